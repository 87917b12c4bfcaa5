#include "platform/paradox/table_storage.h"

#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"

#include <array>
#include <chrono>
#include <cstring>
#include <thread>

namespace marlovex::paradox {

namespace {

constexpr std::array<std::uint8_t, 8> kJournalMagic{'M', 'X', 'P', 'X', 'J', 'N', 'L', '1'};
constexpr std::uint8_t kTargetDb = 0;
constexpr std::uint8_t kTargetPx = 1;
constexpr std::uint64_t kLockOffset = 0;
constexpr std::uint64_t kLockLength = 1;
constexpr std::size_t kSequenceOffset = 8;
// Granularity at which the primary index is compared and journaled.
constexpr std::size_t kIndexPage = 1024;
// A reader re-reads while a live writer is inside a commit; a commit takes milliseconds.
constexpr auto kRetryPause = std::chrono::microseconds(200);
constexpr auto kReadDeadline = std::chrono::seconds(30);

std::uint64_t fnv1a(std::span<const std::uint8_t> data) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (auto byte : data) {
        hash = (hash ^ byte) * 0x100000001b3ULL;
    }
    return hash;
}

void put64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

std::uint64_t get64(std::span<const std::uint8_t> in, std::size_t offset) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | in[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

std::filesystem::path withSuffix(const std::filesystem::path& dbPath, const std::string& suffix) {
    auto result = dbPath;
    result += suffix;
    return result;
}

struct JournalEntry {
    std::uint8_t target = kTargetDb;
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> before;
};

} // namespace

std::filesystem::path TableStorage::indexPathFor(const std::filesystem::path& dbPath) {
    auto candidate = dbPath;
    const auto extension = dbPath.extension().string();
    const bool lower = !extension.empty() && std::islower(static_cast<unsigned char>(extension.back()));
    candidate.replace_extension(lower ? ".px" : ".PX");
    return resolveForCreate(candidate);
}

std::filesystem::path TableStorage::lockPathFor(const std::filesystem::path& dbPath) {
    return withSuffix(dbPath, ".lck");
}

std::filesystem::path TableStorage::journalPathFor(const std::filesystem::path& dbPath) {
    return withSuffix(dbPath, ".jnl");
}

TableStorage::TableStorage(const std::filesystem::path& dbPath)
    : m_dbPath([&] {
        auto resolved = resolveExisting(dbPath);
        if (!resolved) {
            throw missingTableError(dbPath);
        }
        return *resolved;
    }())
    , m_pxPath(indexPathFor(m_dbPath))
    , m_journalPath(journalPathFor(m_dbPath))
    , m_lockPath(lockPathFor(m_dbPath)) {}

File* TableStorage::lockFile(bool create) {
    if (!m_lockFile) {
        std::error_code error;
        if (create) {
            m_lockFile.emplace(m_lockPath, File::Mode::Create);
        } else if (std::filesystem::exists(m_lockPath, error)) {
            m_lockFile.emplace(m_lockPath, File::Mode::ReadOnly);
        }
    }
    return m_lockFile ? &*m_lockFile : nullptr;
}

bool TableStorage::tryLock() {
    // A lock file first opened for reading is reopened for writing before locking.
    if (m_lockFile) {
        m_lockFile.reset();
    }
    return lockFile(true)->tryLockExclusive(kLockOffset, kLockLength);
}

void TableStorage::unlock() {
    if (m_lockFile) {
        m_lockFile->unlock(kLockOffset, kLockLength);
    }
}

std::uint64_t TableStorage::sequence() {
    std::array<std::uint8_t, 8> bytes{};
    auto* file = lockFile(false);
    if (file == nullptr || file->readAt(kSequenceOffset, bytes) != bytes.size()) {
        return 0;
    }
    return get64(bytes, 0);
}

void TableStorage::writeSequence(std::uint64_t value) {
    std::vector<std::uint8_t> bytes;
    put64(bytes, value);
    lockFile(true)->writeAt(kSequenceOffset, bytes);
}

struct TableStorage::Journal {
    std::uint64_t dbSize = 0;
    std::uint64_t pxSize = 0;
    bool pxExisted = false;
    std::vector<JournalEntry> entries;
};

std::optional<TableStorage::Journal> TableStorage::pendingJournal() const {
    // Layout: magic, db size, px size, px existed, entry count, entries, checksum.
    constexpr std::size_t kFixed = 8 + 8 + 8 + 1 + 8;
    std::error_code error;
    if (!std::filesystem::exists(m_journalPath, error)) {
        return std::nullopt;
    }
    const auto bytes = File(m_journalPath, File::Mode::ReadOnly).readAll();
    if (bytes.size() < kFixed + 8 || !std::equal(kJournalMagic.begin(), kJournalMagic.end(), bytes.begin())) {
        return std::nullopt;
    }
    const auto body = std::span<const std::uint8_t>(bytes).first(bytes.size() - 8);
    if (fnv1a(body) != get64(bytes, bytes.size() - 8)) {
        // Torn: the writer died while writing the journal, before touching the table.
        return std::nullopt;
    }
    Journal journal;
    journal.dbSize = get64(bytes, 8);
    journal.pxSize = get64(bytes, 16);
    journal.pxExisted = bytes[24] != 0;
    const auto count = get64(bytes, 25);
    std::size_t position = kFixed;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (position + 13 > body.size()) {
            return std::nullopt;
        }
        JournalEntry entry;
        entry.target = bytes[position];
        entry.offset = get64(bytes, position + 1);
        const auto length = static_cast<std::size_t>(readU32(bytes, position + 9));
        position += 13;
        if (position + length > body.size()) {
            return std::nullopt;
        }
        entry.before.assign(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                            bytes.begin() + static_cast<std::ptrdiff_t>(position + length));
        position += length;
        journal.entries.push_back(std::move(entry));
    }
    return journal;
}

bool TableStorage::lockedByAnotherWriter() {
    auto* file = lockFile(false);
    return file != nullptr && file->isLockedByOther(kLockOffset, kLockLength);
}

TableStorage::Snapshot TableStorage::read() {
    const auto deadline = std::chrono::steady_clock::now() + kReadDeadline;
    for (;;) {
        const auto before = sequence();
        auto journal = m_locked ? std::nullopt : pendingJournal();
        const bool unfinished = !m_locked && (before % 2 != 0 || journal.has_value());
        if (unfinished && lockedByAnotherWriter()) {
            // A live writer is inside its commit, which takes milliseconds.
            if (std::chrono::steady_clock::now() > deadline) {
                throw TableError("Die Tabelle " + m_dbPath.string() +
                                 " wird zu lange von einem anderen Programm beschrieben.");
            }
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        Snapshot snapshot;
        snapshot.db = File(m_dbPath, File::Mode::ReadOnly).readAll();
        std::error_code error;
        if (std::filesystem::exists(m_pxPath, error)) {
            snapshot.px = File(m_pxPath, File::Mode::ReadOnly).readAll();
        }
        snapshot.sequence = sequence();
        if (snapshot.sequence != before) {
            continue;
        }
        if (unfinished && journal) {
            // A writer died inside its commit: read the table as it was before.
            for (const auto& entry : journal->entries) {
                if (entry.target != kTargetDb && !snapshot.px) {
                    continue;
                }
                auto& target = entry.target == kTargetDb ? snapshot.db : *snapshot.px;
                if (target.size() < entry.offset + entry.before.size()) {
                    target.resize(entry.offset + entry.before.size());
                }
                std::copy(entry.before.begin(), entry.before.end(),
                          target.begin() + static_cast<std::ptrdiff_t>(entry.offset));
            }
            snapshot.db.resize(journal->dbSize);
            if (!journal->pxExisted) {
                snapshot.px.reset();
            } else if (snapshot.px) {
                snapshot.px->resize(journal->pxSize);
            }
        }
        return snapshot;
    }
}

TableStorage::WriteLock::WriteLock(TableStorage& storage)
    : m_storage(storage) {
    if (!storage.tryLock()) {
        throw LockConflictError("Die Tabelle " + storage.m_dbPath.string() +
                                " ist von einem anderen Benutzer gesperrt.");
    }
    storage.m_locked = true;
    try {
        storage.recover();
    } catch (...) {
        storage.m_locked = false;
        storage.unlock();
        throw;
    }
}

TableStorage::WriteLock::~WriteLock() {
    m_storage.m_locked = false;
    m_storage.unlock();
}

void TableStorage::recover() {
    if (const auto journal = pendingJournal()) {
        rollBack(*journal);
    }
    const auto current = sequence();
    if (current % 2 != 0) {
        writeSequence(current + 1);
    }
}

void TableStorage::rollBack(const Journal& journal) {
    File db(m_dbPath, File::Mode::ReadWrite);
    std::optional<File> px;
    if (journal.pxExisted) {
        px.emplace(m_pxPath, File::Mode::Create);
    }
    for (const auto& entry : journal.entries) {
        if (entry.target == kTargetDb) {
            db.writeAt(entry.offset, entry.before);
        } else if (px) {
            px->writeAt(entry.offset, entry.before);
        }
    }
    db.truncate(journal.dbSize);
    db.sync();
    if (px) {
        px->truncate(journal.pxSize);
        px->sync();
    } else {
        std::error_code ignored;
        std::filesystem::remove(m_pxPath, ignored);
    }
    invalidateJournal();
}

void TableStorage::invalidateJournal() {
    File journal(m_journalPath, File::Mode::ReadWrite);
    const std::array<std::uint8_t, kJournalMagic.size()> cleared{};
    journal.writeAt(0, cleared);
    journal.sync();
}

void TableStorage::commit(TableImage& image, const std::vector<std::uint8_t>& newPx,
                          const std::optional<std::vector<std::uint8_t>>& oldPx) {
    std::vector<JournalEntry> entries;
    std::vector<std::pair<std::uint64_t, std::span<const std::uint8_t>>> dbWrites;
    const auto& dbBytes = image.bytes();
    for (const auto& page : image.changedPages()) {
        if (!page.before.empty()) {
            entries.push_back({kTargetDb, page.offset, page.before});
        }
        dbWrites.emplace_back(page.offset,
                              std::span<const std::uint8_t>(dbBytes.data() + page.offset, page.length));
    }
    std::vector<std::pair<std::uint64_t, std::span<const std::uint8_t>>> pxWrites;
    const std::vector<std::uint8_t> noIndex;
    const auto& previous = oldPx ? *oldPx : noIndex;
    for (std::size_t offset = 0; offset < newPx.size(); offset += kIndexPage) {
        const auto length = std::min(kIndexPage, newPx.size() - offset);
        const bool existed = offset + length <= previous.size();
        if (existed && std::memcmp(previous.data() + offset, newPx.data() + offset, length) == 0) {
            continue;
        }
        if (offset < previous.size()) {
            const auto keep = std::min(length, previous.size() - offset);
            entries.push_back(
                {kTargetPx, offset,
                 std::vector<std::uint8_t>(previous.begin() + static_cast<std::ptrdiff_t>(offset),
                                           previous.begin() + static_cast<std::ptrdiff_t>(offset + keep))});
        }
        pxWrites.emplace_back(offset, std::span<const std::uint8_t>(newPx.data() + offset, length));
    }
    const bool pxChanged = !pxWrites.empty() || newPx.size() != previous.size();
    if (dbWrites.empty() && !pxChanged) {
        return;
    }

    std::vector<std::uint8_t> journal(kJournalMagic.begin(), kJournalMagic.end());
    put64(journal, image.sizeBeforeChanges());
    put64(journal, previous.size());
    journal.push_back(oldPx ? 1 : 0);
    put64(journal, entries.size());
    for (const auto& entry : entries) {
        journal.push_back(entry.target);
        put64(journal, entry.offset);
        const auto length = static_cast<std::uint32_t>(entry.before.size());
        for (int i = 0; i < 4; ++i) {
            journal.push_back(static_cast<std::uint8_t>((length >> (8 * i)) & 0xFF));
        }
        journal.insert(journal.end(), entry.before.begin(), entry.before.end());
    }
    put64(journal, fnv1a(journal));

    std::error_code error;
    const bool journalIsNew = !std::filesystem::exists(m_journalPath, error);
    {
        File journalFile(m_journalPath, File::Mode::Create);
        journalFile.truncate(0);
        journalFile.writeAt(0, journal);
        journalFile.sync();
    }
    if (journalIsNew) {
        syncDirectory(m_journalPath.parent_path());
    }

    writeSequence(sequence() | 1);
    {
        File db(m_dbPath, File::Mode::ReadWrite);
        for (const auto& [offset, bytes] : dbWrites) {
            db.writeAt(offset, bytes);
        }
        if (dbBytes.size() != image.sizeBeforeChanges()) {
            db.truncate(dbBytes.size());
        }
        db.sync();
    }
    if (pxChanged) {
        File px(m_pxPath, File::Mode::Create);
        for (const auto& [offset, bytes] : pxWrites) {
            px.writeAt(offset, bytes);
        }
        px.truncate(newPx.size());
        px.sync();
        if (!oldPx) {
            syncDirectory(m_pxPath.parent_path());
        }
    }
    invalidateJournal();
    writeSequence(sequence() + 1);
    image.markClean();
}

void TableStorage::createFiles(const std::filesystem::path& dbPath, const std::vector<std::uint8_t>& db,
                               const std::optional<std::vector<std::uint8_t>>& px) {
    // Written under temporary names and renamed, so a crash never leaves half a table behind.
    const auto writeWhole = [](const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
        auto temporary = path;
        temporary += ".tmp";
        {
            File file(temporary, File::Mode::Create);
            file.truncate(0);
            file.writeAt(0, bytes);
            file.sync();
        }
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        if (error) {
            throw TableError("Die Datei " + path.string() +
                             " kann nicht angelegt werden: " + systemErrorText(error) + ".");
        }
    };
    if (px) {
        writeWhole(indexPathFor(dbPath), *px);
    }
    writeWhole(dbPath, db);
    syncDirectory(dbPath.parent_path());
}

} // namespace marlovex::paradox
