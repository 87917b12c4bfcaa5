// marlovex-render-icon SIZE FILE: writes the program's icon, drawn as the frame draws its window
// icon, as a PNG of SIZE x SIZE pixels. The build uses it for the icon theme, so the desktop's
// menu shows the same picture as the running window.
#include "ui/image_list.h"

#include <charconv>
#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    int size = 0;
    const std::string_view text = argc == 3 ? argv[1] : "";
    const auto result = std::from_chars(text.data(), text.data() + text.size(), size);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || size < 1 || size > 1024) {
        std::fprintf(stderr, "Aufruf: marlovex-render-icon GRÖSSE DATEI (GRÖSSE 1 bis 1024)\n");
        return 2;
    }
    const QImage icon = marlovex::ui::imageListImage(marlovex::ui::ImageIndex::WarrantTracker, size);
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "marlovex-render-icon: %s lässt sich nicht schreiben.\n", argv[2]);
        return 1;
    }
    return 0;
}
