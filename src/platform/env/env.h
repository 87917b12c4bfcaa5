// The one way the table engine and the registry store reach the file system. Each function
// behaves as the POSIX call of its name: it returns what that call returns and, on failure,
// sets errno. Callers turn a failure into their own error, whose message names the file, just as
// they would after the system call itself.
//
// Production code uses Env::posix(), which makes the system calls and nothing else. Tests put
// their own Env in its place to record the calls, to fail one, or to lose what was not synced.
// An Env is handed to each object that touches files (Table, TableStorage, Registry) and must
// outlive it; there is no process-wide setting.
//
// Env::posix() holds no state and is thread-safe; other implementations state their own rules.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

struct flock;

namespace marlovex {

class Env {
public:
    virtual ~Env() = default;

    // The real file system.
    static Env& posix();

    // open(2) with `flags` and, when creating, permission bits `mode`.
    virtual int open(const std::filesystem::path& path, int flags, mode_t mode) = 0;
    // mkostemp(3): replaces the "XXXXXX" that ends `pattern` and creates that file exclusively.
    virtual int createTemporary(std::string& pattern, int flags) = 0;
    virtual int close(int descriptor) = 0;
    virtual ssize_t pread(int descriptor, void* out, std::size_t count, off_t offset) = 0;
    virtual ssize_t pwrite(int descriptor, const void* data, std::size_t count, off_t offset) = 0;
    virtual int ftruncate(int descriptor, off_t size) = 0;
    // fsync(2) of a file or, opened with O_DIRECTORY, of a directory's entries.
    virtual int fsync(int descriptor) = 0;
    virtual int fdatasync(int descriptor) = 0;
    virtual int fstat(int descriptor, struct stat& info) = 0;
    // statx(2): of `path`, or of `directory` itself with an empty path and AT_EMPTY_PATH.
    virtual int statx(int directory, const std::filesystem::path& path, int flags, unsigned mask,
                      struct statx& info) = 0;
    virtual int fchmod(int descriptor, mode_t mode) = 0;
    // fcntl(2) with F_OFD_SETLK, F_OFD_SETLKW or F_OFD_GETLK.
    virtual int lock(int descriptor, int command, struct flock& request) = 0;
    virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual int unlink(const std::filesystem::path& path) = 0;
    virtual int mkdir(const std::filesystem::path& path, mode_t mode) = 0;
    // The entry names of `directory` without "." and "..", into `names`; 0 or -1 as the others.
    virtual int listDirectory(const std::filesystem::path& directory, std::vector<std::string>& names) = 0;
};

} // namespace marlovex
