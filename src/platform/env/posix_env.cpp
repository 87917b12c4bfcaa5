#include "platform/env/env.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>

namespace marlovex {

namespace {

class PosixEnv final : public Env {
public:
    int open(const std::filesystem::path& path, int flags, mode_t mode) override {
        return ::open(path.c_str(), flags, mode);
    }

    int createTemporary(std::string& pattern, int flags) override {
        return ::mkostemp(pattern.data(), flags);
    }

    int close(int descriptor) override { return ::close(descriptor); }

    ssize_t pread(int descriptor, void* out, std::size_t count, off_t offset) override {
        return ::pread(descriptor, out, count, offset);
    }

    ssize_t pwrite(int descriptor, const void* data, std::size_t count, off_t offset) override {
        return ::pwrite(descriptor, data, count, offset);
    }

    int ftruncate(int descriptor, off_t size) override { return ::ftruncate(descriptor, size); }

    int fsync(int descriptor) override { return ::fsync(descriptor); }

    int fdatasync(int descriptor) override { return ::fdatasync(descriptor); }

    int fstat(int descriptor, struct stat& info) override { return ::fstat(descriptor, &info); }

    int statx(int directory, const std::filesystem::path& path, int flags, unsigned mask,
              struct statx& info) override {
        return ::statx(directory, path.c_str(), flags, mask, &info);
    }

    int fchmod(int descriptor, mode_t mode) override { return ::fchmod(descriptor, mode); }

    int lock(int descriptor, int command, struct flock& request) override {
        return ::fcntl(descriptor, command, &request);
    }

    int rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::rename(from.c_str(), to.c_str());
    }

    int unlink(const std::filesystem::path& path) override { return ::unlink(path.c_str()); }

    int mkdir(const std::filesystem::path& path, mode_t mode) override { return ::mkdir(path.c_str(), mode); }

    int listDirectory(const std::filesystem::path& directory, std::vector<std::string>& names) override {
        const std::unique_ptr<DIR, int (*)(DIR*)> stream(::opendir(directory.c_str()), ::closedir);
        if (!stream) {
            return -1;
        }
        names.clear();
        errno = 0;
        while (const dirent* entry = ::readdir(stream.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        return errno == 0 ? 0 : -1;
    }
};

} // namespace

Env& Env::posix() {
    static PosixEnv instance;
    return instance;
}

} // namespace marlovex
