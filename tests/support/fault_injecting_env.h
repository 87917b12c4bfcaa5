// An Env for tests that works on the real file system and keeps a record of every call, can
// fail a chosen call, and can simulate a crash: at a chosen call the process "dies" (nothing
// from then on reaches the disk), and restart() then brings the disk to what survives the crash.
//
// For a power failure it keeps what a careful file system guarantees and nothing more: a file's
// contents as of its last fsync or fdatasync, a directory's entries as of the last fsync of the
// directory. Whatever a directory held when the Env first touched it counts as durable.
// Directories themselves (mkdir) are assumed durable. A file comes back as the same file (inode
// and birth time), even when it had been renamed over or removed.
//
// Not thread-safe; one test thread. Files written to the touched directories by other means
// than this Env, while it tracks them, confuse it.
#pragma once

#include "platform/env/env.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marlovex::testing_support {

class FaultInjectingEnv final : public Env {
public:
    enum class Call {
        Open,
        Close,
        Read,
        Write,
        Truncate,
        Sync,
        Stat,
        Chmod,
        Lock,
        Rename,
        Remove,
        MakeDirectory,
        List
    };
    struct Record {
        Call call;
        std::filesystem::path path;
        // How many bytes a read asked for.
        std::size_t bytes = 0;
    };
    enum class Loss {
        // Power failure: every write, creation, rename and removal that was not synced is lost.
        UnsyncedWrites,
        // The process was killed: the kernel keeps everything it was handed.
        Nothing,
    };

    FaultInjectingEnv() = default;
    ~FaultInjectingEnv() override;
    FaultInjectingEnv(const FaultInjectingEnv&) = delete;
    FaultInjectingEnv& operator=(const FaultInjectingEnv&) = delete;

    // Every call so far, in order; a call's index is its position here.
    const std::vector<Record>& calls() const { return m_calls; }

    // The call at `index` fails with `error` without touching anything; later calls work.
    void failCall(std::size_t index, int error = EIO);
    // The process dies at the call at `index`: that call and every later one fail with EIO and
    // touch nothing (a close still releases its descriptor and its locks, as the kernel does).
    void crashAt(std::size_t index);
    bool crashed() const { return m_crashed; }
    // Leaves the disk as it is after a crash now (or at the crash point, once reached), closes
    // what is still open and starts afresh: the new state counts as durable.
    void restart(Loss loss);

    int open(const std::filesystem::path& path, int flags, mode_t mode) override;
    int createTemporary(std::string& pattern, int flags) override;
    int close(int descriptor) override;
    ssize_t pread(int descriptor, void* out, std::size_t count, off_t offset) override;
    ssize_t pwrite(int descriptor, const void* data, std::size_t count, off_t offset) override;
    int ftruncate(int descriptor, off_t size) override;
    int fsync(int descriptor) override;
    int fdatasync(int descriptor) override;
    int fstat(int descriptor, struct stat& info) override;
    int statx(int directory, const std::filesystem::path& path, int flags, unsigned mask,
              struct statx& info) override;
    int fchmod(int descriptor, mode_t mode) override;
    int lock(int descriptor, int command, struct flock& request) override;
    int rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    int unlink(const std::filesystem::path& path) override;
    int mkdir(const std::filesystem::path& path, mode_t mode) override;
    int listDirectory(const std::filesystem::path& directory, std::vector<std::string>& names) override;

private:
    using FileId = std::uint64_t;
    struct Directory {
        std::map<std::string, FileId> live;
        std::map<std::string, FileId> durable;
        // A hard link per file keeps every file's inode alive, so that a crash can bring back
        // the very file a rename replaced.
        std::filesystem::path keep;
    };
    struct OpenFile {
        std::filesystem::path path;
        // Unset for anything but a regular file.
        std::optional<FileId> file;
        bool directory = false;
    };

    // Records the call; false (with errno set) when it must not happen.
    bool admit(Call call, const std::filesystem::path& path);
    const std::filesystem::path& pathOf(int descriptor) const;
    Directory& directoryOf(const std::filesystem::path& directory);
    // The file a name denotes, tracked from now on when it is new to this Env.
    FileId track(const std::filesystem::path& path);
    FileId newFile(Directory& directory, const std::string& name, const std::filesystem::path& path);
    // fsync or fdatasync through `call`, keeping the file's contents as durable when it works.
    int sync(int descriptor, int (Env::*call)(int));
    void persist(int descriptor);
    void forget();

    std::vector<Record> m_calls;
    std::optional<std::size_t> m_failAt;
    int m_failError = EIO;
    std::optional<std::size_t> m_crashAt;
    bool m_crashed = false;
    std::map<int, OpenFile> m_open;
    std::map<std::filesystem::path, Directory> m_directories;
    std::map<FileId, std::vector<std::uint8_t>> m_durableContents;
    FileId m_nextFile = 0;
};

} // namespace marlovex::testing_support
