// The crash tests of the engine and the registry are only as good as this Env's idea of what a
// crash loses.

#include "support/fault_injecting_env.h"
#include "support/temp_directory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace marlovex::testing_support {
namespace {

namespace fs = std::filesystem;
using Loss = FaultInjectingEnv::Loss;

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

void write(Env& env, int descriptor, const std::string& text) {
    ASSERT_EQ(env.pwrite(descriptor, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
}

class FaultInjectingEnvTest : public ::testing::Test {
protected:
    TempDirectory m_directory;
    fs::path m_file = m_directory.writeFile("a", "old");
    FaultInjectingEnv m_env;
};

TEST_F(FaultInjectingEnvTest, APowerFailureLosesWhatWasNotSyncedAndKeepsWhatWas) {
    int descriptor = m_env.open(m_file, O_RDWR, 0);
    write(m_env, descriptor, "new");
    m_env.restart(Loss::UnsyncedWrites);
    EXPECT_EQ(readText(m_file), "old");

    descriptor = m_env.open(m_file, O_RDWR, 0);
    write(m_env, descriptor, "new");
    ASSERT_EQ(m_env.fdatasync(descriptor), 0);
    m_env.close(descriptor);
    m_env.restart(Loss::UnsyncedWrites);
    EXPECT_EQ(readText(m_file), "new");
}

TEST_F(FaultInjectingEnvTest, ARenameLastsOnlyOnceItsDirectoryIsSyncedAndTheReplacedFileComesBackItself) {
    const auto inode = inodeOf(m_file);
    const auto replacement = m_directory.path() / "b";
    for (const bool syncDirectory : {false, true}) {
        const int descriptor = m_env.open(replacement, O_RDWR | O_CREAT | O_EXCL, 0666);
        write(m_env, descriptor, "new");
        ASSERT_EQ(m_env.fsync(descriptor), 0);
        m_env.close(descriptor);
        ASSERT_EQ(m_env.rename(replacement, m_file), 0);
        if (syncDirectory) {
            const int directory = m_env.open(m_directory.path(), O_RDONLY | O_DIRECTORY, 0);
            ASSERT_EQ(m_env.fsync(directory), 0);
            m_env.close(directory);
        }
        m_env.restart(Loss::UnsyncedWrites);
        EXPECT_FALSE(fs::exists(replacement));
        EXPECT_EQ(readText(m_file), syncDirectory ? "new" : "old");
        EXPECT_EQ(inodeOf(m_file) == inode, !syncDirectory);
    }
}

TEST_F(FaultInjectingEnvTest, AFailedCallFailsAloneAndACrashStopsEveryCallFromItsPointOn) {
    const int descriptor = m_env.open(m_file, O_RDWR, 0);
    m_env.failCall(m_env.calls().size(), ENOSPC);
    EXPECT_EQ(m_env.pwrite(descriptor, "new", 3, 0), -1);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(readText(m_file), "old");
    write(m_env, descriptor, "mid");

    m_env.crashAt(m_env.calls().size() + 1);
    write(m_env, descriptor, "new");
    EXPECT_FALSE(m_env.crashed());
    EXPECT_EQ(m_env.pwrite(descriptor, "end", 3, 0), -1);
    EXPECT_TRUE(m_env.crashed());
    EXPECT_EQ(m_env.fdatasync(descriptor), -1);
    EXPECT_EQ(readText(m_file), "new");
    ASSERT_EQ(m_env.calls().size(), 5u);
    EXPECT_EQ(m_env.calls().back().call, FaultInjectingEnv::Call::Write);
    EXPECT_EQ(m_env.calls().back().path, m_file);
    m_env.restart(Loss::Nothing);
    EXPECT_EQ(readText(m_file), "new");
}

} // namespace
} // namespace marlovex::testing_support
