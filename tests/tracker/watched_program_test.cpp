#include "support/temp_directory.h"
#include "tracker/live/watched_program.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace marlovex::tracker {
namespace {

using testing_support::TempDirectory;

class WatchedProgramTest : public testing::Test {
protected:
    std::string script(const std::string& name, const std::string& body) {
        const std::filesystem::path file = m_directory.writeFile(name, "#!/bin/sh\n" + body);
        ::chmod(file.c_str(), 0755);
        return file.string();
    }

    // Runs the event loop until the program has reported, for ten seconds at most.
    std::optional<ProgramOutcome> runToEnd(const std::string& program,
                                           const std::vector<std::string>& arguments) {
        std::optional<ProgramOutcome> outcome;
        startWatchedProgram(&m_owner, program, arguments,
                            [&](const ProgramOutcome& ended) { outcome = ended; });
        const QDeadlineTimer deadline(10000);
        while (!outcome && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return outcome;
    }

    TempDirectory m_directory;
    QObject m_owner;
};

TEST_F(WatchedProgramTest, PassesArgumentsUntouchedWithoutAShellAndReportsTheExitCodeAndFirstLines) {
    const std::string program = script("Lorquin", "for a in \"$@\"; do printf '[%s]' \"$a\"; done\necho\n"
                                                  "echo zweite\n"
                                                  "echo 'Lorquin /W 17: Die Quelle antwortet nicht.' >&2\n"
                                                  "echo weiter >&2\nexit 1\n");
    const auto outcome = runToEnd(program, {"/W", "17", "/D", "$HOME; echo x", "two words"});
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->exitCode, 1);
    EXPECT_EQ(outcome->output, "[/W][17][/D][$HOME; echo x][two words]");
    EXPECT_EQ(outcome->error, "Lorquin /W 17: Die Quelle antwortet nicht.");
}

TEST_F(WatchedProgramTest, AProgramThatCannotStartOrDiesIsAFailureWithAReason) {
    const auto missing = runToEnd((m_directory.path() / "Lorquin").string(), {"/W", "1", "/D"});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->exitCode, -1);
    EXPECT_FALSE(missing->error.empty());

    const std::filesystem::path notExecutable = m_directory.writeFile("Starr", "#!/bin/sh\n");
    ::chmod(notExecutable.c_str(), 0644);
    const auto refused = runToEnd(notExecutable.string(), {});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->exitCode, -1);

    const auto killed = runToEnd(script("Absturz", "kill -9 $$\n"), {});
    ASSERT_TRUE(killed);
    EXPECT_EQ(killed->exitCode, -1);
}

TEST_F(WatchedProgramTest, AProgramStillRunningWhenItsOwnerGoesIsStoppedUnreported) {
    const std::filesystem::path pidFile = m_directory.path() / "pid";
    const std::string program =
        script("Langsam", "echo $$ > '" + pidFile.string() + ".tmp'\nmv '" + pidFile.string() + ".tmp' '" +
                              pidFile.string() + "'\nexec sleep 30\n");
    bool reported = false;
    pid_t pid = 0;
    {
        QObject owner;
        startWatchedProgram(&owner, program, {}, [&](const ProgramOutcome&) { reported = true; });
        const QDeadlineTimer deadline(10000);
        while (!std::filesystem::exists(pidFile) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        std::ifstream(pidFile) >> pid;
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(pid, 0), 0);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(reported);
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

} // namespace
} // namespace marlovex::tracker
