#include "platform/paradox/file_system.h"

#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace marlovex::paradox {

namespace {

// Enough attempts to get past entries that vanish or appear between two system calls.
constexpr int kOpenAttempts = 8;
constexpr int kUniqueNameAttempts = 32;
constexpr unsigned kReadWriteBits = 0666;

FileIdentity toIdentity(const struct statx& info) {
    FileIdentity identity;
    identity.device = (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    identity.inode = info.stx_ino;
    if ((info.stx_mask & STATX_BTIME) != 0) {
        identity.birthSeconds = info.stx_btime.tv_sec;
        identity.birthNanoseconds = info.stx_btime.tv_nsec;
    }
    return identity;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<std::filesystem::path> resolveExisting(Env& env, const std::filesystem::path& path) {
    struct statx info {};
    if (env.statx(AT_FDCWD, path, 0, 0, info) == 0) {
        return path;
    }
    const auto directory = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const auto wanted = path.filename().string();
    std::vector<std::string> names;
    if (env.listDirectory(directory, names) != 0) {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> found;
    for (const auto& name : names) {
        if (equalsIgnoringCase(name, wanted) && (!found || name < found->filename().string())) {
            found = path.has_parent_path() ? directory / name : std::filesystem::path(name);
        }
    }
    return found;
}

std::filesystem::path resolveForCreate(Env& env, const std::filesystem::path& path) {
    return resolveExisting(env, path).value_or(path);
}

bool isDirectory(Env& env, const std::filesystem::path& path) {
    struct statx info {};
    return env.statx(AT_FDCWD, path, 0, STATX_TYPE, info) == 0 && S_ISDIR(info.stx_mode);
}

void syncDirectory(Env& env, const std::filesystem::path& directory) {
    const auto name = directory.empty() ? std::filesystem::path(".") : directory;
    const int descriptor = env.open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (descriptor < 0) {
        const int error = errno;
        throw TableError("Das Verzeichnis " + name.string() +
                         " kann nicht geöffnet werden: " + systemErrorText(error) + ".");
    }
    const int result = env.fsync(descriptor);
    const int savedErrno = errno;
    env.close(descriptor);
    if (result != 0) {
        throw TableError(
            "Das Verzeichnis " + name.string() +
            " kann nicht auf den Datenträger geschrieben werden: " + systemErrorText(savedErrno) + ".");
    }
}

std::error_code removeFile(Env& env, const std::filesystem::path& path) {
    if (env.unlink(path) != 0 && errno != ENOENT) {
        return {errno, std::generic_category()};
    }
    return {};
}

std::error_code renameFile(Env& env, const std::filesystem::path& from, const std::filesystem::path& to) {
    if (env.rename(from, to) != 0) {
        return {errno, std::generic_category()};
    }
    return {};
}

std::optional<FileIdentity> identityAt(Env& env, const std::filesystem::path& path, bool followLink) {
    struct statx info {};
    const int flags = followLink ? 0 : AT_SYMLINK_NOFOLLOW;
    if (env.statx(AT_FDCWD, path, flags, STATX_INO | STATX_BTIME, info) != 0) {
        return std::nullopt;
    }
    return toIdentity(info);
}

File::File(Env& env, const std::filesystem::path& path, Mode mode, Links links)
    : m_env(&env)
    , m_path(path) {
    // O_NONBLOCK keeps a planted FIFO from blocking the open; regular files ignore it.
    const int common = O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW | O_NONBLOCK : 0);
    switch (mode) {
    case Mode::ReadOnly:
        m_descriptor = m_env->open(path, common | O_RDONLY, 0);
        break;
    case Mode::ReadWrite:
        m_descriptor = m_env->open(path, common | O_RDWR, 0);
        break;
    case Mode::Create:
        // Exclusive first, so that the handle knows whether it made the file (and may give it
        // the table's permissions).
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            m_descriptor = m_env->open(path, common | O_RDWR | O_CREAT | O_EXCL, 0666);
            if (m_descriptor >= 0) {
                m_created = true;
                break;
            }
            if (errno != EEXIST) {
                break;
            }
            m_descriptor = m_env->open(path, common | O_RDWR, 0);
            if (m_descriptor >= 0 || errno != ENOENT) {
                break;
            }
        }
        break;
    }
    if (m_descriptor < 0) {
        if (errno == ELOOP && links == Links::Refuse) {
            throw TableError(withName("Die Datei {} ist eine symbolische Verknüpfung; die Tabelle folgt "
                                      "ihr aus Sicherheitsgründen nicht und benutzt sie nicht",
                                      m_path.string()) +
                             ".");
        }
        if (errno == ENOENT) {
            throw MissingFileError(withName("Die Datei {} kann nicht geöffnet werden", m_path.string()) +
                                   ": " + systemErrorText(ENOENT) + ".");
        }
        fail("Die Datei {} kann nicht geöffnet werden");
    }
    if (links == Links::Refuse) {
        struct stat info {};
        if (m_env->fstat(m_descriptor, info) != 0) {
            fail("Die Datei {} kann nicht geprüft werden");
        }
        if (!S_ISREG(info.st_mode)) {
            throw TableError(
                withName("Die Datei {} ist keine gewöhnliche Datei und wird nicht benutzt", m_path.string()) +
                ".");
        }
    }
}

File File::createUnique(Env& env, const std::filesystem::path& base) {
    std::random_device device;
    std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device() ^
                           static_cast<std::uint64_t>(::getpid()));
    File file(env);
    for (int attempt = 0; attempt < kUniqueNameAttempts; ++attempt) {
        std::array<char, 17> suffix{};
        std::snprintf(suffix.data(), suffix.size(), "%016llx", static_cast<unsigned long long>(random()));
        file.m_path = base;
        file.m_path += std::string(".") + suffix.data();
        file.m_descriptor = env.open(file.m_path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file.m_descriptor >= 0) {
            file.m_created = true;
            return file;
        }
        if (errno != EEXIST) {
            file.fail("Die Datei {} kann nicht angelegt werden");
        }
    }
    throw TableError("Neben der Datei " + base.string() +
                     " lässt sich keine Hilfsdatei mit eindeutigem Namen anlegen.");
}

File::~File() {
    if (m_descriptor >= 0) {
        m_env->close(m_descriptor);
    }
}

File::File(File&& other) noexcept
    : m_env(other.m_env)
    , m_path(std::move(other.m_path))
    , m_descriptor(std::exchange(other.m_descriptor, -1))
    , m_created(other.m_created) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0) {
            m_env->close(m_descriptor);
        }
        m_env = other.m_env;
        m_path = std::move(other.m_path);
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_created = other.m_created;
    }
    return *this;
}

FileIdentity File::identity() const {
    struct statx info {};
    if (m_env->statx(m_descriptor, {}, AT_EMPTY_PATH, STATX_INO | STATX_BTIME, info) != 0) {
        fail("Die Datei {} kann nicht geprüft werden");
    }
    return toIdentity(info);
}

unsigned File::permissions() const {
    struct stat info {};
    if (m_env->fstat(m_descriptor, info) != 0) {
        fail("Die Datei {} kann nicht geprüft werden");
    }
    return static_cast<unsigned>(info.st_mode) & kReadWriteBits;
}

void File::setPermissions(unsigned bits) {
    if (m_env->fchmod(m_descriptor, static_cast<mode_t>(bits & kReadWriteBits)) != 0) {
        fail("Die Zugriffsrechte der Datei {} können nicht gesetzt werden");
    }
}

std::uint64_t File::size() const {
    struct stat info {};
    if (m_env->fstat(m_descriptor, info) != 0) {
        fail("Die Größe der Datei {} kann nicht ermittelt werden");
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t File::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const auto count = m_env->pread(m_descriptor, out.data() + done, out.size() - done,
                                        static_cast<off_t>(offset + done));
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

void File::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto count = m_env->pwrite(m_descriptor, data.data() + done, data.size() - done,
                                         static_cast<off_t>(offset + done));
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
    if (m_env->ftruncate(m_descriptor, static_cast<off_t>(size)) != 0) {
        fail("Die Datei {} kann nicht gekürzt werden");
    }
}

void File::sync() {
    if (m_env->fdatasync(m_descriptor) != 0) {
        fail("Die Datei {} kann nicht auf den Datenträger geschrieben werden");
    }
}

bool File::tryLockExclusive(std::uint64_t offset, std::uint64_t length) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    if (m_env->lock(m_descriptor, F_OFD_SETLK, lock) == 0) {
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
    m_env->lock(m_descriptor, F_OFD_SETLK, lock);
}

bool File::isLockedByOther(std::uint64_t offset, std::uint64_t length) const {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    if (m_env->lock(m_descriptor, F_OFD_GETLK, lock) != 0) {
        fail("Die Sperre der Datei {} kann nicht geprüft werden");
    }
    return lock.l_type != F_UNLCK;
}

void File::fail(const char* pattern) const {
    const int error = errno;
    throw TableError(withName(pattern, m_path.string()) + ": " + systemErrorText(error) + ".");
}

} // namespace marlovex::paradox
