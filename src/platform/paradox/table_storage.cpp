#include "platform/paradox/table_storage.h"

#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"

#include <array>
#include <chrono>
#include <cstring>
#include <thread>

namespace marlovex::paradox {

namespace {

constexpr std::array<std::uint8_t, 8> kJournalMagic{'M', 'X', 'P', 'X', 'J', 'N', 'L', '2'};
constexpr std::uint8_t kTargetDb = 0;
constexpr std::uint8_t kTargetPx = 1;
// The write lock's byte in the table file: beyond the largest table the format can describe
// (65535 blocks of 32 KiB), and within 31 bits for file systems with 32-bit lock ranges.
constexpr std::uint64_t kWriteLockOffset = 0x7FFFFF00;
constexpr std::uint64_t kWriteLockLength = 1;
constexpr std::size_t kSequenceOffset = 8;
// Behind the counter, a ring of the last commits' written ranges of the .DB file, so that a
// reader that follows the commits re-reads only those. A commit that wrote more ranges than a
// slot holds leaves its slot marked as overflowing, and its readers read the whole table.
constexpr std::size_t kChangeLogOffset = 64;
constexpr std::uint64_t kChangeLogSlots = 32;
constexpr std::size_t kChangeLogRanges = 16;
constexpr std::size_t kChangeLogRangeSize = 12;
constexpr std::size_t kChangeLogSlotSize = 8 + 2 + kChangeLogRanges * kChangeLogRangeSize;
constexpr std::uint16_t kChangeLogOverflow = 0xFFFF;
// Granularity at which the primary index is compared and journaled.
constexpr std::size_t kIndexPage = 1024;
// A reader re-reads while a live writer is inside a commit; a commit takes milliseconds, so a
// writer still inside after the deadline is stuck (or very slow storage), and the reader gives up.
constexpr auto kRetryPause = std::chrono::microseconds(200);
constexpr auto kReadDeadline = std::chrono::seconds(2);
// Opening and locking the table file is retried this often while the table is being replaced.
constexpr int kLockAttempts = 8;

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

// Side files are looked at without following links: a link there is refused when opened.
bool sideFileExists(Env& env, const std::filesystem::path& path) {
    return identityAt(env, path, false).has_value();
}

std::string busyMessage(const std::filesystem::path& dbPath) {
    return "Die Tabelle " + dbPath.string() +
           " wird gerade von einem anderen Programm geändert und ist belegt; bitte später erneut versuchen.";
}

} // namespace

namespace {

// The companion file with `extension` (upper case) of the table, in the letter case of the
// table's own extension unless a file of another case exists.
std::filesystem::path companionPath(Env& env, const std::filesystem::path& dbPath,
                                    const std::string& extension) {
    auto candidate = dbPath;
    const auto own = dbPath.extension().string();
    const bool lower = !own.empty() && std::islower(static_cast<unsigned char>(own.back()));
    std::string wanted = extension;
    if (lower) {
        for (auto& c : wanted) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    candidate.replace_extension(wanted);
    return resolveForCreate(env, candidate);
}

} // namespace

std::filesystem::path TableStorage::indexPathFor(const std::filesystem::path& dbPath, Env& env) {
    return companionPath(env, dbPath, ".PX");
}

std::filesystem::path TableStorage::blobPathFor(const std::filesystem::path& dbPath, Env& env) {
    return companionPath(env, dbPath, ".MB");
}

std::filesystem::path TableStorage::lockPathFor(const std::filesystem::path& dbPath) {
    return withSuffix(dbPath, ".lck");
}

std::filesystem::path TableStorage::journalPathFor(const std::filesystem::path& dbPath) {
    return withSuffix(dbPath, ".jnl");
}

TableStorage::TableStorage(const std::filesystem::path& dbPath, Env& env)
    : m_env(env)
    , m_dbPath([&] {
        auto resolved = resolveExisting(env, dbPath);
        if (!resolved) {
            throw missingTableError(env, dbPath);
        }
        return *resolved;
    }())
    , m_pxPath(indexPathFor(m_dbPath, env))
    , m_blobPath(blobPathFor(m_dbPath, env))
    , m_journalPath(journalPathFor(m_dbPath))
    , m_lockPath(lockPathFor(m_dbPath)) {}

File* TableStorage::sequenceFile(bool create) {
    if (m_lockFile && identityAt(m_env, m_lockPath, false) != m_lockFile->identity()) {
        // Someone deleted or replaced the counter file: a counter nobody else sees is useless.
        m_lockFile.reset();
    }
    if (create && m_lockFile && !m_lockFileWritable) {
        m_lockFile.reset();
    }
    if (!m_lockFile) {
        if (create) {
            m_lockFile.emplace(openSideFile(m_lockPath));
            m_lockFileWritable = true;
            if (m_lockFile->created()) {
                // A fresh counter starts from the clock rather than zero, so that a view that
                // remembers the counter of a deleted lock file does not mistake the new one's
                // values for its own state.
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::vector<std::uint8_t> bytes;
                put64(bytes, static_cast<std::uint64_t>(
                                 std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) &
                                 ~std::uint64_t{1});
                m_lockFile->writeAt(kSequenceOffset, bytes);
            }
        } else if (sideFileExists(m_env, m_lockPath)) {
            try {
                m_lockFile.emplace(m_env, m_lockPath, File::Mode::ReadOnly, File::Links::Refuse);
                m_lockFileWritable = false;
            } catch (const MissingFileError&) {
                // Deleted between the look and the open: as if it had never been there.
            }
        }
    }
    return m_lockFile ? &*m_lockFile : nullptr;
}

File TableStorage::openSideFile(const std::filesystem::path& path) const {
    File file(m_env, path, File::Mode::Create, File::Links::Refuse);
    if (file.created() && m_writeLock) {
        file.setPermissions(m_writeLock->permissions());
    }
    return file;
}

bool TableStorage::tryLock() {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        File table(m_env, m_dbPath, File::Mode::ReadWrite);
        if (!table.tryLockExclusive(kWriteLockOffset, kWriteLockLength)) {
            return false;
        }
        if (identityAt(m_env, m_dbPath, true) == table.identity()) {
            m_writeLock.emplace(std::move(table));
            return true;
        }
        // The table was replaced between opening and locking: the lock guards a file that
        // nobody opens any more.
    }
    throw TableError("Die Tabelle " + m_dbPath.string() +
                     " wird fortwährend ersetzt und lässt sich nicht sperren.");
}

void TableStorage::unlock() {
    if (m_writeLock) {
        m_writeLock->unlock(kWriteLockOffset, kWriteLockLength);
        m_writeLock.reset();
    }
}

std::uint64_t TableStorage::sequence() {
    std::array<std::uint8_t, 8> bytes{};
    auto* file = sequenceFile(m_locked);
    if (file == nullptr || file->readAt(kSequenceOffset, bytes) != bytes.size()) {
        return 0;
    }
    return get64(bytes, 0);
}

void TableStorage::writeSequence(std::uint64_t value) {
    std::vector<std::uint8_t> bytes;
    put64(bytes, value);
    sequenceFile(true)->writeAt(kSequenceOffset, bytes);
}

struct TableStorage::Journal {
    FileIdentity table;
    std::uint64_t dbSize = 0;
    std::uint64_t pxSize = 0;
    bool pxExisted = false;
    std::vector<JournalEntry> entries;

    std::vector<std::uint8_t> serialize() const {
        std::vector<std::uint8_t> out(kJournalMagic.begin(), kJournalMagic.end());
        put64(out, table.device);
        put64(out, table.inode);
        put64(out, static_cast<std::uint64_t>(table.birthSeconds));
        put64(out, table.birthNanoseconds);
        put64(out, dbSize);
        put64(out, pxSize);
        out.push_back(pxExisted ? 1 : 0);
        put64(out, entries.size());
        for (const auto& entry : entries) {
            out.push_back(entry.target);
            put64(out, entry.offset);
            const auto length = static_cast<std::uint32_t>(entry.before.size());
            for (int i = 0; i < 4; ++i) {
                out.push_back(static_cast<std::uint8_t>((length >> (8 * i)) & 0xFF));
            }
            out.insert(out.end(), entry.before.begin(), entry.before.end());
        }
        put64(out, fnv1a(out));
        return out;
    }
};

struct TableStorage::JournalRead {
    std::optional<Journal> journal;
    bool foreign = false;
};

TableStorage::JournalRead TableStorage::pendingJournal(const std::optional<FileIdentity>& table) const {
    // Layout: magic, table identity (device, inode, birth seconds, birth nanoseconds), db size,
    // px size, px existed, entry count, entries, checksum.
    constexpr std::size_t kIdentity = 8;
    constexpr std::size_t kDbSize = kIdentity + 32;
    constexpr std::size_t kPxExisted = kDbSize + 16;
    constexpr std::size_t kFixed = kPxExisted + 1 + 8;
    if (!sideFileExists(m_env, m_journalPath)) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = File(m_env, m_journalPath, File::Mode::ReadOnly, File::Links::Refuse).readAll();
    } catch (const MissingFileError&) {
        // Removed between the look and the open: no journal.
        return {};
    }
    if (bytes.size() < kFixed + 8 || !std::equal(kJournalMagic.begin(), kJournalMagic.end(), bytes.begin())) {
        return {};
    }
    const auto body = std::span<const std::uint8_t>(bytes).first(bytes.size() - 8);
    if (fnv1a(body) != get64(bytes, bytes.size() - 8)) {
        // Torn: the writer died while writing the journal, before touching the table.
        return {};
    }
    Journal journal;
    journal.table.device = get64(bytes, kIdentity);
    journal.table.inode = get64(bytes, kIdentity + 8);
    journal.table.birthSeconds = static_cast<std::int64_t>(get64(bytes, kIdentity + 16));
    journal.table.birthNanoseconds = static_cast<std::uint32_t>(get64(bytes, kIdentity + 24));
    if (!table || journal.table != *table) {
        // Left by a writer of a table that was since deleted and made anew: its pages belong
        // to another file.
        return {std::nullopt, true};
    }
    journal.dbSize = get64(bytes, kDbSize);
    journal.pxSize = get64(bytes, kDbSize + 8);
    journal.pxExisted = bytes[kPxExisted] != 0;
    const auto count = get64(bytes, kPxExisted + 1);
    std::size_t position = kFixed;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (position + 13 > body.size()) {
            return {};
        }
        JournalEntry entry;
        entry.target = bytes[position];
        entry.offset = get64(bytes, position + 1);
        const auto length = static_cast<std::size_t>(readU32(bytes, position + 9));
        position += 13;
        if (position + length > body.size()) {
            return {};
        }
        entry.before.assign(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                            bytes.begin() + static_cast<std::ptrdiff_t>(position + length));
        position += length;
        journal.entries.push_back(std::move(entry));
    }
    return {std::move(journal), false};
}

bool TableStorage::lockedByAnotherWriter() const {
    return File(m_env, m_dbPath, File::Mode::ReadOnly).isLockedByOther(kWriteLockOffset, kWriteLockLength);
}

bool TableStorage::repairDue() {
    return pendingJournal(identityAt(m_env, m_dbPath, true)).journal.has_value() && !lockedByAnotherWriter();
}

std::optional<std::vector<std::uint8_t>> TableStorage::readSideFile(const std::filesystem::path& path) const {
    if (!sideFileExists(m_env, path)) {
        return std::nullopt;
    }
    return File(m_env, path, File::Mode::ReadOnly, File::Links::Refuse).readAll();
}

namespace {

std::uint64_t changeLogSlotOffset(std::uint64_t sequence) {
    return kChangeLogOffset + (sequence / 2 % kChangeLogSlots) * kChangeLogSlotSize;
}

} // namespace

void TableStorage::writeChangeLog(std::uint64_t sequence, const std::vector<TableImage::PageChange>& writes) {
    std::vector<std::uint8_t> slot;
    put64(slot, sequence);
    const bool overflow = writes.size() > kChangeLogRanges;
    const auto count = overflow ? kChangeLogOverflow : static_cast<std::uint16_t>(writes.size());
    slot.push_back(static_cast<std::uint8_t>(count & 0xFF));
    slot.push_back(static_cast<std::uint8_t>(count >> 8));
    for (std::size_t i = 0; !overflow && i < writes.size(); ++i) {
        put64(slot, writes[i].offset);
        for (int shift = 0; shift < 32; shift += 8) {
            slot.push_back(static_cast<std::uint8_t>((writes[i].after.size() >> shift) & 0xFF));
        }
    }
    sequenceFile(true)->writeAt(changeLogSlotOffset(sequence), slot);
}

std::optional<TableStorage::Changes> TableStorage::changesSince(std::uint64_t since,
                                                                const FileIdentity& file) {
    const auto before = sequence();
    if (before % 2 != 0 || before <= since || (before - since) / 2 > kChangeLogSlots) {
        return std::nullopt;
    }
    File* counter = sequenceFile(m_locked);
    if (counter == nullptr || pendingJournal(file).journal) {
        return std::nullopt;
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> written;
    for (std::uint64_t commit = since + 2; commit <= before; commit += 2) {
        std::array<std::uint8_t, kChangeLogSlotSize> slot{};
        if (counter->readAt(changeLogSlotOffset(commit), slot) < 10 || get64(slot, 0) != commit) {
            return std::nullopt;
        }
        const std::size_t count = readU16(slot, 8);
        if (count > kChangeLogRanges) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = 10 + i * kChangeLogRangeSize;
            written.emplace_back(get64(slot, at), readU32(slot, at + 8));
        }
    }
    File db(m_env, m_dbPath, File::Mode::ReadOnly);
    if (db.identity() != file) {
        return std::nullopt;
    }
    // Every commit rewrites the header, and neighbouring commits often the same last block:
    // each byte is read once.
    std::sort(written.begin(), written.end());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
    for (const auto& [offset, length] : written) {
        if (!merged.empty() && offset <= merged.back().first + merged.back().second) {
            merged.back().second = std::max(merged.back().second, offset + length - merged.back().first);
        } else {
            merged.emplace_back(offset, length);
        }
    }
    Changes changes;
    changes.dbSize = db.size();
    for (const auto& [offset, length] : merged) {
        if (offset >= changes.dbSize) {
            continue;
        }
        std::vector<std::uint8_t> bytes(
            static_cast<std::size_t>(std::min<std::uint64_t>(length, changes.dbSize - offset)));
        bytes.resize(db.readAt(offset, bytes));
        changes.ranges.emplace_back(offset, std::move(bytes));
    }
    changes.px = readSideFile(m_pxPath);
    changes.blobs = readSideFile(m_blobPath);
    changes.sequence = sequence();
    if (changes.sequence != before) {
        return std::nullopt;
    }
    return changes;
}

TableStorage::Snapshot TableStorage::read() {
    const auto deadline = std::chrono::steady_clock::now() + kReadDeadline;
    for (;;) {
        const auto before = sequence();
        // Under our own write lock a pending journal is our own commit that failed and could not
        // be rolled back; its previous contents are the committed state all the same.
        const auto journal = pendingJournal(identityAt(m_env, m_dbPath, true)).journal;
        const bool unfinished = before % 2 != 0 || journal.has_value();
        if (!m_locked && unfinished && lockedByAnotherWriter()) {
            // A live writer is inside its commit, which takes milliseconds.
            if (std::chrono::steady_clock::now() > deadline) {
                throw LockConflictError(busyMessage(m_dbPath));
            }
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        Snapshot snapshot;
        const File db(m_env, m_dbPath, File::Mode::ReadOnly);
        snapshot.file = db.identity();
        snapshot.db = db.readAll<FileBytes>();
        snapshot.px = readSideFile(m_pxPath);
        snapshot.blobs = readSideFile(m_blobPath);
        snapshot.sequence = sequence();
        if (snapshot.sequence != before) {
            continue;
        }
        if (journal) {
            // A writer died inside its commit: read the table as it was before.
            const auto restore = [](auto& target, const auto& entry) {
                if (target.size() < entry.offset + entry.before.size()) {
                    target.resize(entry.offset + entry.before.size(), 0);
                }
                std::copy(entry.before.begin(), entry.before.end(),
                          target.begin() + static_cast<std::ptrdiff_t>(entry.offset));
            };
            for (const auto& entry : journal->entries) {
                if (entry.target == kTargetDb) {
                    restore(snapshot.db, entry);
                } else if (snapshot.px) {
                    restore(*snapshot.px, entry);
                }
            }
            snapshot.db.resize(journal->dbSize, 0);
            if (!journal->pxExisted) {
                snapshot.px.reset();
            } else if (snapshot.px) {
                snapshot.px->resize(journal->pxSize, 0);
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
        // Opened now, so that a side file that cannot be used fails the lock, not a commit.
        storage.sequenceFile(true);
        m_recovered = storage.recover();
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

bool TableStorage::recover() {
    const auto pending = pendingJournal(m_writeLock->identity());
    if (pending.journal) {
        rollBack(*pending.journal);
    } else if (pending.foreign) {
        invalidateJournal();
    }
    const auto current = sequence();
    if (current % 2 != 0) {
        writeSequence(current + 1);
    }
    return pending.journal.has_value();
}

void TableStorage::rollBack(const Journal& journal) {
    File& db = *m_writeLock;
    std::optional<File> px;
    if (journal.pxExisted) {
        px.emplace(openSideFile(m_pxPath));
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
        removeFile(m_env, m_pxPath);
    }
    invalidateJournal();
}

void TableStorage::invalidateJournal() {
    File journal(m_env, m_journalPath, File::Mode::ReadWrite, File::Links::Refuse);
    const std::array<std::uint8_t, kJournalMagic.size()> cleared{};
    journal.writeAt(0, cleared);
    journal.sync();
}

void TableStorage::commit(TableImage& image, const std::vector<std::uint8_t>& newPx,
                          const std::optional<std::vector<std::uint8_t>>& oldPx) {
    Journal journal;
    const auto& dbBytes = image.bytes();
    const std::vector<TableImage::PageChange> dbWrites = image.changedPages();
    for (const auto& page : dbWrites) {
        if (!page.before.empty()) {
            journal.entries.push_back({kTargetDb, page.offset, page.before});
        }
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
            journal.entries.push_back(
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
    journal.table = m_writeLock->identity();
    journal.dbSize = image.sizeBeforeChanges();
    journal.pxSize = previous.size();
    journal.pxExisted = oldPx.has_value();

    {
        File journalFile = openSideFile(m_journalPath);
        journalFile.truncate(0);
        journalFile.writeAt(0, journal.serialize());
        journalFile.sync();
        if (journalFile.created()) {
            syncDirectory(m_env, m_journalPath.parent_path());
        }
    }

    const auto odd = sequence() | 1;
    try {
        writeSequence(odd);
        // Named before any page changes: a commit that is rolled back, now or by the next writer
        // after a crash, ends on this count too, and its readers re-read the restored ranges.
        writeChangeLog(odd + 1, dbWrites);
        File& db = *m_writeLock;
        for (const auto& page : dbWrites) {
            db.writeAt(page.offset, page.after);
        }
        if (dbBytes.size() != image.sizeBeforeChanges()) {
            db.truncate(dbBytes.size());
        }
        db.sync();
        if (pxChanged) {
            File px = openSideFile(m_pxPath);
            for (const auto& [offset, bytes] : pxWrites) {
                px.writeAt(offset, bytes);
            }
            px.truncate(newPx.size());
            px.sync();
            if (px.created()) {
                syncDirectory(m_env, m_pxPath.parent_path());
            }
        }
        invalidateJournal();
    } catch (const TableError&) {
        // Undone at once, so that the table stays readable and the caller learns the cause (a
        // full disk, say) instead of meeting the half-written table on its next read. If the
        // undo fails as well, the journal stays for the next writer or reader.
        try {
            rollBack(journal);
            writeSequence(odd + 1);
        } catch (const TableError&) {
        }
        throw;
    }
    writeSequence(odd + 1);
    image.markClean();
}

void TableStorage::createFiles(const std::filesystem::path& dbPath, std::span<const std::uint8_t> db,
                               const std::optional<std::vector<std::uint8_t>>& px, Env& env) {
    std::optional<TableStorage> previous;
    if (resolveExisting(env, dbPath)) {
        previous.emplace(dbPath, env);
        if (!previous->tryLock()) {
            throw LockConflictError("Die Tabelle " + dbPath.string() +
                                    " ist von einem anderen Benutzer gesperrt.");
        }
        previous->m_locked = true;
    }
    // A journal beside the name belongs to the file being replaced (or long gone).
    const auto journal = journalPathFor(dbPath);
    auto error = removeFile(env, journal);
    if (error) {
        throw TableError("Die Tabelle " + dbPath.string() + " kann nicht angelegt werden: das alte Journal " +
                         journal.string() + " lässt sich nicht löschen (" + systemErrorText(error) + ").");
    }
    const auto permissions = previous ? std::optional(previous->m_writeLock->permissions()) : std::nullopt;
    // Written under unique temporary names and renamed, so a crash never leaves half a table
    // behind, and a name planted in the directory cannot redirect the write.
    const auto writeWhole = [&](const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
        auto file = File::createUnique(env, path);
        try {
            if (permissions) {
                file.setPermissions(*permissions);
            }
            file.writeAt(0, bytes);
            file.sync();
        } catch (const TableError&) {
            removeFile(env, file.path());
            throw;
        }
        if (const auto renameError = renameFile(env, file.path(), path)) {
            removeFile(env, file.path());
            throw TableError("Die Datei " + path.string() +
                             " kann nicht angelegt werden: " + systemErrorText(renameError) + ".");
        }
    };
    if (px) {
        writeWhole(indexPathFor(dbPath, env), *px);
    }
    writeWhole(dbPath, db);
    if (!px) {
        if (const auto stale = resolveExisting(env, indexPathFor(dbPath, env))) {
            error = removeFile(env, *stale);
            if (error) {
                throw TableError("Die Tabelle " + dbPath.string() +
                                 " kann nicht angelegt werden: der alte Index " + stale->string() +
                                 " lässt sich nicht löschen (" + systemErrorText(error) + ").");
            }
        }
    }
    syncDirectory(env, dbPath.parent_path());
    if (previous) {
        // Views of the replaced table reload.
        previous->writeSequence((previous->sequence() | 1) + 1);
    }
}

} // namespace marlovex::paradox
