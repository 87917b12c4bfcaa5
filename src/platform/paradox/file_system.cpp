#include "platform/paradox/file_system.h"

#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace marlovex::paradox {

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<std::filesystem::path> resolveExisting(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return path;
    }
    const auto directory = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const auto wanted = path.filename().string();
    std::optional<std::filesystem::path> found;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const auto name = it->path().filename().string();
        if (equalsIgnoringCase(name, wanted) && (!found || name < found->filename().string())) {
            found = path.has_parent_path() ? directory / name : std::filesystem::path(name);
        }
    }
    return found;
}

std::filesystem::path resolveForCreate(const std::filesystem::path& path) {
    return resolveExisting(path).value_or(path);
}

void syncDirectory(const std::filesystem::path& directory) {
    const auto name = directory.empty() ? std::filesystem::path(".") : directory;
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        throw TableError("Das Verzeichnis " + name.string() +
                         " kann nicht geöffnet werden: " + systemErrorText(error) + ".");
    }
    const int result = ::fsync(descriptor);
    const int savedErrno = errno;
    ::close(descriptor);
    if (result != 0) {
        throw TableError(
            "Das Verzeichnis " + name.string() +
            " kann nicht auf den Datenträger geschrieben werden: " + systemErrorText(savedErrno) + ".");
    }
}

File::File(const std::filesystem::path& path, Mode mode)
    : m_path(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= O_RDONLY;
        break;
    case Mode::ReadWrite:
        flags |= O_RDWR;
        break;
    case Mode::Create:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    m_descriptor = ::open(path.c_str(), flags, 0666);
    if (m_descriptor < 0) {
        fail("Die Datei {} kann nicht geöffnet werden");
    }
}

File::~File() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

File::File(File&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_descriptor(std::exchange(other.m_descriptor, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        m_path = std::move(other.m_path);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

std::uint64_t File::size() const {
    struct stat info {};
    if (::fstat(m_descriptor, &info) != 0) {
        fail("Die Größe der Datei {} kann nicht ermittelt werden");
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t File::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const auto count =
            ::pread(m_descriptor, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Die Datei {} kann nicht gelesen werden");
        }
        if (count == 0) {
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}

std::vector<std::uint8_t> File::readAll() const {
    std::vector<std::uint8_t> data(size());
    data.resize(readAt(0, data));
    return data;
}

void File::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto count =
            ::pwrite(m_descriptor, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Die Datei {} kann nicht geschrieben werden");
        }
        done += static_cast<std::size_t>(count);
    }
}

void File::truncate(std::uint64_t size) {
    if (::ftruncate(m_descriptor, static_cast<off_t>(size)) != 0) {
        fail("Die Datei {} kann nicht gekürzt werden");
    }
}

void File::sync() {
    if (::fdatasync(m_descriptor) != 0) {
        fail("Die Datei {} kann nicht auf den Datenträger geschrieben werden");
    }
}

bool File::tryLockExclusive(std::uint64_t offset, std::uint64_t length) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    if (::fcntl(m_descriptor, F_OFD_SETLK, &lock) == 0) {
        return true;
    }
    if (errno == EACCES || errno == EAGAIN) {
        return false;
    }
    fail("Die Datei {} kann nicht gesperrt werden");
}

void File::unlock(std::uint64_t offset, std::uint64_t length) {
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    ::fcntl(m_descriptor, F_OFD_SETLK, &lock);
}

bool File::isLockedByOther(std::uint64_t offset, std::uint64_t length) const {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    if (::fcntl(m_descriptor, F_OFD_GETLK, &lock) != 0) {
        fail("Die Sperre der Datei {} kann nicht geprüft werden");
    }
    return lock.l_type != F_UNLCK;
}

void File::fail(const char* pattern) const {
    const int error = errno;
    throw TableError(withName(pattern, m_path.string()) + ": " + systemErrorText(error) + ".");
}

} // namespace marlovex::paradox
