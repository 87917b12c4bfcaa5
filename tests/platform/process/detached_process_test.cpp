#include "platform/process/detached_process.h"
#include "support/temp_directory.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace marlovex::process {
namespace {

using testing_support::TempDirectory;

std::string readWhenPresent(const std::filesystem::path& file) {
    // The started program runs on its own; give it a moment to write.
    for (int attempt = 0; attempt < 500 && !std::filesystem::exists(file); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DetachedProcessTest, PassesArgumentsUntouchedWithoutAShell) {
    TempDirectory directory;
    const std::filesystem::path script = directory.writeFile(
        "Lorquin",
        "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$(dirname \"$0\")/args.tmp\"\n"
        "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n");
    ::chmod(script.c_str(), 0755);
    ASSERT_TRUE(startDetached(script.string(), {"/W", "17", "/D", "$HOME; echo x", "two words"}));
    EXPECT_EQ(readWhenPresent(directory.path() / "args.txt"), "[/W][17][/D][$HOME; echo x][two words]");
}

TEST(DetachedProcessTest, AMissingOrUnusableProgramIsReported) {
    TempDirectory directory;
    EXPECT_FALSE(startDetached((directory.path() / "Lorquin").string(), {"/W", "1", "/D"}));
    const std::filesystem::path notExecutable = directory.writeFile("Lorquin", "#!/bin/sh\n");
    ::chmod(notExecutable.c_str(), 0644);
    EXPECT_FALSE(startDetached(notExecutable.string(), {}));
}

TEST(DetachedProcessTest, LeavesNoChildToReap) {
    TempDirectory directory;
    const std::filesystem::path script = directory.writeFile("quick", "#!/bin/sh\nexit 0\n");
    ::chmod(script.c_str(), 0755);
    ASSERT_TRUE(startDetached(script.string(), {}));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
} // namespace marlovex::process
