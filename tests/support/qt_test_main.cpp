// main() for tests that need the application object: widgets and dialogs can only be built once
// a QApplication exists. The locale is pinned to German, as on the desktops the program serves.
#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A desktop-sized screen: windows are kept to the screen, and the offscreen platform's own
    // is only 800 x 800.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" OFFSCREEN_SCREEN_CONFIG);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
