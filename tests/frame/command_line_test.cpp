#include "frame/command_line.h"

#include <gtest/gtest.h>

namespace marlovex::frame {
namespace {

TEST(CommandLineTest, WorkspaceSwitchesInAnyCaseWinOverFilesAndOnlyExistingFilesOpen) {
    const auto everyFileExists = [](const QString&) { return true; };
    for (const char* parameter : {"/A", "/a", "AUTO", "auto", "Auto", "A", "a"}) {
        EXPECT_EQ(classifyParameter(QString::fromLatin1(parameter), everyFileExists),
                  CommandLineAction::RestoreWorkspace)
            << parameter;
    }
    // An existing file opens whatever its extension; the rest is ignored.
    const auto exists = [](const QString& name) { return name == QLatin1String("/data/layout.txt"); };
    EXPECT_EQ(classifyParameter(QStringLiteral("/data/layout.txt"), exists),
              CommandLineAction::OpenLayoutFile);
    EXPECT_EQ(classifyParameter(QStringLiteral("/data/missing.QVZ"), exists), CommandLineAction::Ignore);
    EXPECT_EQ(classifyParameter(QStringLiteral("/AUTO"), exists), CommandLineAction::Ignore);
    EXPECT_EQ(classifyParameter(QString(), exists), CommandLineAction::Ignore);
}

} // namespace
} // namespace marlovex::frame
