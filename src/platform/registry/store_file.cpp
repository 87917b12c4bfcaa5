#include "platform/registry/store_file.h"

#include "platform/common/system_error_text.h"
#include "platform/registry/registry_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace marlovex::registry {

namespace {

[[noreturn]] void failOn(const std::string& what, const std::filesystem::path& file, int error) {
    throw RegistryError("Die Datei " + file.string() + " kann nicht " + what +
                        " werden: " + systemErrorText(error) + ".");
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(Env& env, const std::filesystem::path& besideFile)
        : m_env(env) {
        std::string pattern = besideFile.string() + ".tmp-XXXXXX";
        const int descriptor = env.createTemporary(pattern, O_CLOEXEC);
        if (descriptor < 0)
            failOn("angelegt", pattern, errno);
        m_descriptor = FileDescriptor(env, descriptor);
        m_path = pattern;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_renamed)
            m_env.unlink(m_path);
    }

    const FileDescriptor& descriptor() const { return m_descriptor; }
    const std::filesystem::path& path() const { return m_path; }

    void renameTo(const std::filesystem::path& target) {
        if (m_env.rename(m_path, target) != 0)
            failOn("geschrieben", target, errno);
        m_renamed = true;
    }

private:
    Env& m_env;
    FileDescriptor m_descriptor;
    std::filesystem::path m_path;
    bool m_renamed = false;
};

void writeAll(Env& env, const FileDescriptor& descriptor, std::string_view contents,
              const std::filesystem::path& file) {
    off_t offset = 0;
    while (!contents.empty()) {
        const ssize_t written = env.pwrite(descriptor.get(), contents.data(), contents.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failOn("geschrieben", file, errno);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
}

void syncDirectory(Env& env, const std::filesystem::path& directory) {
    const FileDescriptor descriptor(env, env.open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!descriptor)
        failOn("geöffnet", directory, errno);
    // Some file systems cannot sync a directory (EINVAL); the rename is then as durable as they allow.
    if (env.fsync(descriptor.get()) != 0 && errno != EINVAL)
        failOn("gespeichert", directory, errno);
}

// mkdir -p: 0, or -1 with errno set.
int makeDirectories(Env& env, const std::filesystem::path& directory) {
    struct statx info {};
    if (env.statx(AT_FDCWD, directory, 0, STATX_TYPE, info) == 0) {
        if (S_ISDIR(info.stx_mode))
            return 0;
        errno = ENOTDIR;
        return -1;
    }
    const std::filesystem::path parent = directory.parent_path();
    if (!parent.empty() && parent != directory && makeDirectories(env, parent) != 0)
        return -1;
    return env.mkdir(directory, 0777) == 0 || errno == EEXIST ? 0 : -1;
}

std::filesystem::path directoryOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

} // namespace

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_env(other.m_env)
    , m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0)
            m_env->close(m_descriptor);
        m_env = other.m_env;
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (m_descriptor >= 0)
        m_env->close(m_descriptor);
}

FileDescriptor openIfExists(Env& env, const std::filesystem::path& file) {
    const int descriptor = env.open(file, O_RDONLY | O_CLOEXEC, 0);
    if (descriptor < 0) {
        if (errno == ENOENT)
            return FileDescriptor();
        failOn("gelesen", file, errno);
    }
    return FileDescriptor(env, descriptor);
}

FileStamp stampOf(Env& env, const FileDescriptor& descriptor, const std::filesystem::path& file) {
    struct stat status {};
    if (env.fstat(descriptor.get(), status) != 0)
        failOn("gelesen", file, errno);
    return FileStamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                     static_cast<std::int64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec),
                     static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

std::string readAll(Env& env, const FileDescriptor& descriptor, const std::filesystem::path& file) {
    std::string contents;
    char buffer[65536];
    while (true) {
        const auto offset = static_cast<off_t>(contents.size());
        const ssize_t count = env.pread(descriptor.get(), buffer, sizeof buffer, offset);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            failOn("gelesen", file, errno);
        }
        if (count == 0)
            return contents;
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

ExclusiveFileLock::ExclusiveFileLock(Env& env, const std::filesystem::path& lockFile)
    : m_descriptor(env, env.open(lockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (!m_descriptor)
        failOn("geöffnet", lockFile, errno);
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0; // the whole file
    while (env.lock(m_descriptor.get(), F_OFD_SETLKW, request) != 0) {
        if (errno != EINTR)
            failOn("gesperrt", lockFile, errno);
    }
}

void createParentDirectories(Env& env, const std::filesystem::path& file) {
    const std::filesystem::path directory = directoryOf(file);
    if (makeDirectories(env, directory) != 0)
        throw RegistryError("Das Verzeichnis " + directory.string() +
                            " kann nicht angelegt werden: " + systemErrorText(errno) + ".");
}

FileStamp replaceFileAtomically(Env& env, const std::filesystem::path& file, std::string_view contents) {
    TemporaryFile temporary(env, file);
    const FileDescriptor& descriptor = temporary.descriptor();
    struct statx previous {};
    if (env.statx(AT_FDCWD, file, 0, STATX_MODE, previous) == 0 &&
        env.fchmod(descriptor.get(), previous.stx_mode & 07777) != 0)
        failOn("geschrieben", temporary.path(), errno);
    writeAll(env, descriptor, contents, temporary.path());
    if (env.fsync(descriptor.get()) != 0)
        failOn("gespeichert", temporary.path(), errno);
    const FileStamp stamp = stampOf(env, descriptor, temporary.path());
    temporary.renameTo(file);
    syncDirectory(env, directoryOf(file));
    return stamp;
}

} // namespace marlovex::registry
