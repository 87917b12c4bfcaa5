#include "support/fault_injecting_env.h"

#include "support/temp_directory.h"

#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace marlovex::testing_support {

namespace fs = std::filesystem;

namespace {

Env& real() {
    return Env::posix();
}

// One spelling per file, so that calls naming it differently meet in one record.
fs::path normal(const fs::path& path) {
    auto result = fs::absolute(path).lexically_normal();
    if (!result.has_filename() && result != result.root_path()) {
        result = result.parent_path();
    }
    return result;
}

std::vector<std::uint8_t> contentsOf(int descriptor) {
    struct stat info {};
    if (real().fstat(descriptor, info) != 0) {
        throw std::runtime_error("fstat failed while recording a sync");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto count =
            real().pread(descriptor, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (count <= 0) {
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    bytes.resize(done);
    return bytes;
}

// Rewrites the file in place, so that it stays the same file.
void overwrite(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!stream.flush()) {
        throw std::runtime_error("cannot restore " + path.string());
    }
}

} // namespace

FaultInjectingEnv::~FaultInjectingEnv() {
    forget();
}

void FaultInjectingEnv::failCall(std::size_t index, int error) {
    m_failAt = index;
    m_failError = error;
}

void FaultInjectingEnv::crashAt(std::size_t index) {
    m_crashAt = index;
}

bool FaultInjectingEnv::admit(Call call, const fs::path& path) {
    if (m_crashed) {
        errno = EIO;
        return false;
    }
    const auto index = m_calls.size();
    m_calls.push_back({call, path});
    if (index == m_crashAt) {
        m_crashed = true;
        errno = EIO;
        return false;
    }
    if (index == m_failAt) {
        errno = m_failError;
        return false;
    }
    return true;
}

const fs::path& FaultInjectingEnv::pathOf(int descriptor) const {
    static const fs::path unknown;
    const auto it = m_open.find(descriptor);
    return it == m_open.end() ? unknown : it->second.path;
}

FaultInjectingEnv::Directory& FaultInjectingEnv::directoryOf(const fs::path& directory) {
    const auto key = normal(directory);
    if (const auto it = m_directories.find(key); it != m_directories.end()) {
        return it->second;
    }
    std::string keep = key.string() + ".durable-XXXXXX";
    if (::mkdtemp(keep.data()) == nullptr) {
        throw std::runtime_error("cannot make " + keep);
    }
    auto& tracked = m_directories[key];
    tracked.keep = keep;
    std::vector<std::string> names;
    real().listDirectory(key, names);
    for (const auto& name : names) {
        struct statx info {};
        if (real().statx(AT_FDCWD, key / name, AT_SYMLINK_NOFOLLOW, STATX_TYPE, info) == 0 &&
            S_ISREG(info.stx_mode)) {
            const auto file = newFile(tracked, name, key / name);
            tracked.durable[name] = file;
            const auto text = readText(key / name);
            m_durableContents[file] = {text.begin(), text.end()};
        }
    }
    return tracked;
}

FaultInjectingEnv::FileId FaultInjectingEnv::newFile(Directory& directory, const std::string& name,
                                                     const fs::path& path) {
    const auto file = m_nextFile++;
    if (::link(path.c_str(), (directory.keep / std::to_string(file)).c_str()) != 0) {
        throw std::runtime_error("cannot keep " + path.string());
    }
    directory.live[name] = file;
    m_durableContents.emplace(file, std::vector<std::uint8_t>{});
    return file;
}

FaultInjectingEnv::FileId FaultInjectingEnv::track(const fs::path& path) {
    auto& directory = directoryOf(path.parent_path());
    const auto name = path.filename().string();
    if (const auto it = directory.live.find(name); it != directory.live.end()) {
        return it->second;
    }
    return newFile(directory, name, path);
}

void FaultInjectingEnv::persist(int descriptor) {
    const auto& entry = m_open.at(descriptor);
    if (entry.directory) {
        auto& directory = directoryOf(entry.path);
        directory.durable = directory.live;
    } else if (entry.file) {
        m_durableContents[*entry.file] = contentsOf(descriptor);
    }
}

void FaultInjectingEnv::restart(Loss loss) {
    for (const auto& [descriptor, entry] : m_open) {
        real().close(descriptor);
    }
    m_open.clear();
    if (loss == Loss::UnsyncedWrites) {
        for (const auto& [path, directory] : m_directories) {
            for (const auto& [name, file] : directory.live) {
                real().unlink(path / name);
            }
            for (const auto& [name, file] : directory.durable) {
                if (::link((directory.keep / std::to_string(file)).c_str(), (path / name).c_str()) != 0) {
                    throw std::runtime_error("cannot bring back " + (path / name).string());
                }
                overwrite(path / name, m_durableContents.at(file));
            }
        }
    }
    forget();
    m_crashAt.reset();
    m_failAt.reset();
    m_crashed = false;
}

void FaultInjectingEnv::forget() {
    for (const auto& [path, directory] : m_directories) {
        std::error_code ignored;
        fs::remove_all(directory.keep, ignored);
    }
    m_directories.clear();
    m_durableContents.clear();
}

int FaultInjectingEnv::open(const fs::path& path, int flags, mode_t mode) {
    if (!admit(Call::Open, path)) {
        return -1;
    }
    const auto name = normal(path);
    struct statx info {};
    const bool directory = real().statx(AT_FDCWD, name, 0, STATX_TYPE, info) == 0 && S_ISDIR(info.stx_mode);
    if (!directory) {
        // Before the call, so that the directory's entries as they were count as durable.
        directoryOf(name.parent_path());
    }
    const int descriptor = real().open(path, flags, mode);
    if (descriptor < 0) {
        return descriptor;
    }
    OpenFile entry{name, std::nullopt, directory};
    struct stat opened {};
    if (!directory && real().fstat(descriptor, opened) == 0 && S_ISREG(opened.st_mode)) {
        entry.file = track(name);
    }
    m_open[descriptor] = entry;
    return descriptor;
}

int FaultInjectingEnv::createTemporary(std::string& pattern, int flags) {
    if (!admit(Call::Open, pattern)) {
        return -1;
    }
    directoryOf(normal(pattern).parent_path());
    const int descriptor = real().createTemporary(pattern, flags);
    if (descriptor >= 0) {
        const auto name = normal(pattern);
        m_open[descriptor] = OpenFile{name, track(name), false};
    }
    return descriptor;
}

int FaultInjectingEnv::close(int descriptor) {
    const bool admitted = admit(Call::Close, pathOf(descriptor));
    const int result = real().close(descriptor);
    m_open.erase(descriptor);
    if (!admitted) {
        errno = m_crashed ? EIO : m_failError;
        return -1;
    }
    return result;
}

ssize_t FaultInjectingEnv::pread(int descriptor, void* out, std::size_t count, off_t offset) {
    if (!admit(Call::Read, pathOf(descriptor))) {
        return -1;
    }
    m_calls.back().bytes = count;
    return real().pread(descriptor, out, count, offset);
}

ssize_t FaultInjectingEnv::pwrite(int descriptor, const void* data, std::size_t count, off_t offset) {
    return admit(Call::Write, pathOf(descriptor)) ? real().pwrite(descriptor, data, count, offset) : -1;
}

int FaultInjectingEnv::ftruncate(int descriptor, off_t size) {
    return admit(Call::Truncate, pathOf(descriptor)) ? real().ftruncate(descriptor, size) : -1;
}

int FaultInjectingEnv::sync(int descriptor, int (Env::*call)(int)) {
    if (!admit(Call::Sync, pathOf(descriptor))) {
        return -1;
    }
    const int result = (real().*call)(descriptor);
    if (result == 0) {
        persist(descriptor);
    }
    return result;
}

int FaultInjectingEnv::fsync(int descriptor) {
    return sync(descriptor, &Env::fsync);
}

int FaultInjectingEnv::fdatasync(int descriptor) {
    return sync(descriptor, &Env::fdatasync);
}

int FaultInjectingEnv::fstat(int descriptor, struct stat& info) {
    return admit(Call::Stat, pathOf(descriptor)) ? real().fstat(descriptor, info) : -1;
}

int FaultInjectingEnv::statx(int directory, const fs::path& path, int flags, unsigned mask,
                             struct statx& info) {
    const auto& named = path.empty() ? pathOf(directory) : path;
    return admit(Call::Stat, named) ? real().statx(directory, path, flags, mask, info) : -1;
}

int FaultInjectingEnv::fchmod(int descriptor, mode_t mode) {
    return admit(Call::Chmod, pathOf(descriptor)) ? real().fchmod(descriptor, mode) : -1;
}

int FaultInjectingEnv::lock(int descriptor, int command, struct flock& request) {
    return admit(Call::Lock, pathOf(descriptor)) ? real().lock(descriptor, command, request) : -1;
}

int FaultInjectingEnv::rename(const fs::path& from, const fs::path& to) {
    if (!admit(Call::Rename, to)) {
        return -1;
    }
    const auto source = normal(from);
    const auto target = normal(to);
    auto& sourceDirectory = directoryOf(source.parent_path());
    auto& targetDirectory = directoryOf(target.parent_path());
    const int result = real().rename(from, to);
    if (result == 0) {
        if (const auto it = sourceDirectory.live.find(source.filename().string());
            it != sourceDirectory.live.end()) {
            const auto file = it->second;
            sourceDirectory.live.erase(it);
            targetDirectory.live[target.filename().string()] = file;
        }
    }
    return result;
}

int FaultInjectingEnv::unlink(const fs::path& path) {
    if (!admit(Call::Remove, path)) {
        return -1;
    }
    const auto name = normal(path);
    auto& directory = directoryOf(name.parent_path());
    const int result = real().unlink(path);
    if (result == 0) {
        directory.live.erase(name.filename().string());
    }
    return result;
}

int FaultInjectingEnv::mkdir(const fs::path& path, mode_t mode) {
    return admit(Call::MakeDirectory, path) ? real().mkdir(path, mode) : -1;
}

int FaultInjectingEnv::listDirectory(const fs::path& directory, std::vector<std::string>& names) {
    return admit(Call::List, directory) ? real().listDirectory(directory, names) : -1;
}

} // namespace marlovex::testing_support
