#include "app/startup_options.h"

#include <gtest/gtest.h>

namespace marlovex::app {
namespace {

TEST(StartupOptionsTest, SeparatesProgramOptionsFromFrameParametersAndABadDelayKeepsTheDefault) {
    const StartupOptions options = parseStartupOptions({"/opt/marlovex", "/A", "--screenshot=/tmp/frame.png",
                                                        "Morgen.QVZ", "--screenshot-delay=400", "AUTO"});
    EXPECT_EQ(options.frameParameters, (QStringList{"/A", "Morgen.QVZ", "AUTO"}));
    EXPECT_EQ(options.screenshotFile, "/tmp/frame.png");
    EXPECT_EQ(options.screenshotDelayMs, 400);

    const StartupOptions plain = parseStartupOptions({"marlovex", "--screenshot-delay=bald"});
    EXPECT_TRUE(plain.frameParameters.isEmpty());
    EXPECT_TRUE(plain.screenshotFile.isEmpty());
    EXPECT_EQ(plain.screenshotDelayMs, 2500);
}

TEST(StartupOptionsTest, HelpAndVersionReplaceTheRunAndHelpWinsOverVersion) {
    const StartupOptions version = parseStartupOptions({"marlovex", "--version", "Morgen.QVZ"});
    EXPECT_EQ(version.request, StartupOptions::Request::Version);
    EXPECT_EQ(version.frameParameters, QStringList{"Morgen.QVZ"});
    EXPECT_EQ(parseStartupOptions({"marlovex", "--version", "--help"}).request,
              StartupOptions::Request::Help);
    EXPECT_EQ(parseStartupOptions({"marlovex", "/A", "-help"}).request, StartupOptions::Request::Run);
}

} // namespace
} // namespace marlovex::app
