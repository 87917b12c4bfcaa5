// libFuzzer target for the layout file reader: any bytes must read without a crash or a hang,
// and what the reader made of them must write and read back to the same windows.

#include "frame/layout_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace marlovex::frame;
    const Layout layout = parseLayout(std::string(reinterpret_cast<const char*>(data), size));
    const Layout again = parseLayout(writeLayout(layout));
    if (again.records.size() != layout.records.size()) {
        std::abort();
    }
    return 0;
}
