// The file handling beneath the registry store: a stamp that tells whether the store file was
// replaced since it was read, whole-file reads, the writers' exclusive lock and atomic
// replacement of the file. Every file access goes through the Env passed in. Failures raise
// RegistryError naming the file.
//
// Each object belongs to one caller; the functions are thread-safe as the system calls are.
#pragma once

#include "platform/env/env.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace marlovex::registry {

// Identifies one committed version of a file. Every commit renames a new file into place, so a
// new version has a new inode, and normally a new size or modification time too.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// An open file descriptor of `env`, closed on destruction.
class FileDescriptor {
public:
    FileDescriptor() = default;
    FileDescriptor(Env& env, int descriptor)
        : m_env(&env)
        , m_descriptor(descriptor) {}
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return m_descriptor; }
    explicit operator bool() const { return m_descriptor >= 0; }

private:
    Env* m_env = nullptr;
    int m_descriptor = -1;
};

// Opens `file` for reading; an empty descriptor when it does not exist.
FileDescriptor openIfExists(Env& env, const std::filesystem::path& file);
FileStamp stampOf(Env& env, const FileDescriptor& descriptor, const std::filesystem::path& file);
std::string readAll(Env& env, const FileDescriptor& descriptor, const std::filesystem::path& file);

// Holds an exclusive open-file-description lock on `lockFile` (created when missing) from
// construction, which waits for it, to destruction. Such locks exclude other descriptions in the
// same process as well as other processes, and work on network file systems.
class ExclusiveFileLock {
public:
    ExclusiveFileLock(Env& env, const std::filesystem::path& lockFile);

private:
    FileDescriptor m_descriptor;
};

// Creates the parent directories of `file` when they are missing.
void createParentDirectories(Env& env, const std::filesystem::path& file);

// Writes `contents` to a temporary file beside `file`, flushes it to disk and renames it over
// `file`, so that readers see either the old or the new file whole, even after a crash. The new
// file keeps the old one's permissions. Returns the stamp of the new file.
FileStamp replaceFileAtomically(Env& env, const std::filesystem::path& file, std::string_view contents);

} // namespace marlovex::registry
