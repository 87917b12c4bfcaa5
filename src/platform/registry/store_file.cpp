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
    explicit TemporaryFile(const std::filesystem::path& besideFile) {
        std::string pattern = besideFile.string() + ".tmp-XXXXXX";
        const int descriptor = mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor < 0)
            failOn("angelegt", pattern, errno);
        m_descriptor = FileDescriptor(descriptor);
        m_path = pattern;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_renamed)
            ::unlink(m_path.c_str());
    }

    const FileDescriptor& descriptor() const { return m_descriptor; }
    const std::filesystem::path& path() const { return m_path; }

    void renameTo(const std::filesystem::path& target) {
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            failOn("geschrieben", target, errno);
        m_renamed = true;
    }

private:
    FileDescriptor m_descriptor;
    std::filesystem::path m_path;
    bool m_renamed = false;
};

void writeAll(const FileDescriptor& descriptor, std::string_view contents,
              const std::filesystem::path& file) {
    while (!contents.empty()) {
        const ssize_t written = ::write(descriptor.get(), contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failOn("geschrieben", file, errno);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
}

void syncDirectory(const std::filesystem::path& directory) {
    const FileDescriptor descriptor(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!descriptor)
        failOn("geöffnet", directory, errno);
    // Some file systems cannot sync a directory (EINVAL); the rename is then as durable as they allow.
    if (::fsync(descriptor.get()) != 0 && errno != EINVAL)
        failOn("gespeichert", directory, errno);
}

std::filesystem::path directoryOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

} // namespace

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

FileDescriptor openIfExists(const std::filesystem::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT)
            return FileDescriptor();
        failOn("gelesen", file, errno);
    }
    return FileDescriptor(descriptor);
}

FileStamp stampOf(const FileDescriptor& descriptor, const std::filesystem::path& file) {
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0)
        failOn("gelesen", file, errno);
    return FileStamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                     static_cast<std::int64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec),
                     static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

std::string readAll(const FileDescriptor& descriptor, const std::filesystem::path& file) {
    std::string contents;
    char buffer[65536];
    while (true) {
        const ssize_t count = ::read(descriptor.get(), buffer, sizeof buffer);
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

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile)
    : m_descriptor(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (!m_descriptor)
        failOn("geöffnet", lockFile, errno);
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0; // the whole file
    while (::fcntl(m_descriptor.get(), F_OFD_SETLKW, &request) != 0) {
        if (errno != EINTR)
            failOn("gesperrt", lockFile, errno);
    }
}

void createParentDirectories(const std::filesystem::path& file) {
    const std::filesystem::path directory = directoryOf(file);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw RegistryError("Das Verzeichnis " + directory.string() +
                            " kann nicht angelegt werden: " + systemErrorText(error) + ".");
}

FileStamp replaceFileAtomically(const std::filesystem::path& file, std::string_view contents) {
    TemporaryFile temporary(file);
    const FileDescriptor& descriptor = temporary.descriptor();
    struct stat previous {};
    if (::stat(file.c_str(), &previous) == 0 && ::fchmod(descriptor.get(), previous.st_mode & 07777) != 0)
        failOn("geschrieben", temporary.path(), errno);
    writeAll(descriptor, contents, temporary.path());
    if (::fsync(descriptor.get()) != 0)
        failOn("gespeichert", temporary.path(), errno);
    const FileStamp stamp = stampOf(descriptor, temporary.path());
    temporary.renameTo(file);
    syncDirectory(directoryOf(file));
    return stamp;
}

} // namespace marlovex::registry
