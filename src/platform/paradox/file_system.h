// The engine's file handling on top of its Env: case-insensitive name resolution, and a file
// handle with positioned reads and writes, durable syncs and advisory locks. Every call that
// reaches the file system goes through the Env passed in.
//
// A File is owned by one thread at a time; distinct File objects may be used concurrently.
#pragma once

#include "platform/env/env.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace marlovex::paradox {

// The existing entry of `path`'s directory whose name equals `path`'s file name without regard
// to letter case (the exact name wins); nullopt when there is none.
std::optional<std::filesystem::path> resolveExisting(Env& env, const std::filesystem::path& path);
// The existing entry if there is one, otherwise `path` itself (for files about to be created).
std::filesystem::path resolveForCreate(Env& env, const std::filesystem::path& path);

bool isDirectory(Env& env, const std::filesystem::path& path);

// Makes a rename, creation or removal in `directory` durable.
void syncDirectory(Env& env, const std::filesystem::path& directory);

// Removes the file at `path`; no error when there is none.
std::error_code removeFile(Env& env, const std::filesystem::path& path);
std::error_code renameFile(Env& env, const std::filesystem::path& from, const std::filesystem::path& to);

// Which file a path or handle denotes. A file that was deleted and made anew has another
// identity, even when the system reuses the inode number, as long as it records birth times.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t birthSeconds = 0;
    std::uint32_t birthNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (following a symbolic link there only with `followLink`);
// nullopt when there is none.
std::optional<FileIdentity> identityAt(Env& env, const std::filesystem::path& path, bool followLink);

class File {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };
    // A table's side files (index, lock, journal) live in directories that several users share:
    // a symbolic link planted there must not redirect a write to another file, so side files
    // refuse links and anything but a regular file.
    enum class Links { Follow, Refuse };

    File(Env& env, const std::filesystem::path& path, Mode mode, Links links = Links::Follow);
    // A new file beside `base` with a unique name "<base>.<random>", created exclusively: never
    // an existing entry, never through a link.
    static File createUnique(Env& env, const std::filesystem::path& base);
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Whether this handle created the file (Mode::Create only).
    bool created() const { return m_created; }
    FileIdentity identity() const;
    // The file's read and write permission bits, and setting them (for files this process owns).
    unsigned permissions() const;
    void setPermissions(unsigned bits);
    std::uint64_t size() const;
    // Reads up to out.size() bytes at `offset`; returns the count read (short at the end).
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // The whole file, into any vector of bytes (a table file goes into FileBytes).
    template <typename Buffer = std::vector<std::uint8_t>> Buffer readAll() const {
        Buffer data(size());
        data.resize(readAt(0, data));
        return data;
    }
    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data);
    void truncate(std::uint64_t size);
    void sync();

    // Open-file-description locks: released with the File, never inherited by other handles.
    // Return false at once when another handle holds a conflicting lock.
    bool tryLockExclusive(std::uint64_t offset, std::uint64_t length);
    void unlock(std::uint64_t offset, std::uint64_t length);
    // Whether another handle holds a lock that would conflict with an exclusive one.
    bool isLockedByOther(std::uint64_t offset, std::uint64_t length) const;

private:
    // Throws TableError: `pattern` naming the file ("{}"), then errno's reason. A pattern rather
    // than a built text, so that nothing runs between the failed call and the reading of errno.
    [[noreturn]] void fail(const char* pattern) const;

    explicit File(Env& env)
        : m_env(&env) {}

    Env* m_env;
    std::filesystem::path m_path;
    int m_descriptor = -1;
    bool m_created = false;
};

} // namespace marlovex::paradox
