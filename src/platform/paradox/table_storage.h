// The files of one table on disk (.DB, .PX and two side files) and the protocol that lets
// several processes share them:
//
// - Writers take an open-file-description lock on "<table>.lck"; a conflict fails at once.
// - A commit first writes the changed pages' previous contents to "<table>.jnl" and syncs it,
//   then changes the table in place, syncs, and invalidates the journal: a crash at any moment
//   leaves the table as it was before or after the commit (the next writer or reader rolls an
//   unfinished commit back).
// - A commit counter in the lock file is odd while pages change; readers never lock: they re-read
//   when the counter moved, wait out a live writer's commit, and undo a dead writer's unfinished
//   commit in their copy through the journal, so they always see one whole committed state. The
//   files themselves are repaired by the next writer.
//
// One TableStorage per view; not thread-safe. Different objects (threads, processes) share the
// files safely.
#pragma once

#include "platform/paradox/file_system.h"
#include "platform/paradox/table_image.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace marlovex::paradox {

class TableStorage {
public:
    // `dbPath` names an existing table (resolved without regard to letter case); throws
    // TableError naming the table when it does not exist.
    explicit TableStorage(const std::filesystem::path& dbPath);

    const std::filesystem::path& dbPath() const { return m_dbPath; }
    const std::filesystem::path& pxPath() const { return m_pxPath; }

    struct Snapshot {
        std::vector<std::uint8_t> db;
        std::optional<std::vector<std::uint8_t>> px;
        std::uint64_t sequence = 0;
    };
    // One whole committed state of the table.
    Snapshot read();
    // The commit counter; a change means another writer committed.
    std::uint64_t sequence();

    // Holds the table's write lock; recovers an unfinished commit on acquisition.
    class WriteLock {
    public:
        explicit WriteLock(TableStorage& storage);
        ~WriteLock();
        WriteLock(const WriteLock&) = delete;
        WriteLock& operator=(const WriteLock&) = delete;

    private:
        TableStorage& m_storage;
    };

    // Writes the image's changed pages and the new primary index atomically and durably. The
    // caller holds a WriteLock. `oldPx` is the index the table had (empty when none).
    void commit(TableImage& image, const std::vector<std::uint8_t>& newPx,
                const std::optional<std::vector<std::uint8_t>>& oldPx);

    // Writes a new table's files (no other process can know the table yet).
    static void createFiles(const std::filesystem::path& dbPath, const std::vector<std::uint8_t>& db,
                            const std::optional<std::vector<std::uint8_t>>& px);
    // The .PX, lock and journal names that belong to a .DB path.
    static std::filesystem::path indexPathFor(const std::filesystem::path& dbPath);
    static std::filesystem::path lockPathFor(const std::filesystem::path& dbPath);
    static std::filesystem::path journalPathFor(const std::filesystem::path& dbPath);

private:
    // The lock file is created by the first writer only, so readers leave no trace and work on
    // read-only media.
    File* lockFile(bool create);
    bool tryLock();
    void unlock();
    void writeSequence(std::uint64_t value);
    struct Journal;
    // The journal of an unfinished commit, if the file holds a complete one.
    std::optional<Journal> pendingJournal() const;
    bool lockedByAnotherWriter();
    void recover();
    void rollBack(const Journal& journal);
    void invalidateJournal();

    std::filesystem::path m_dbPath;
    std::filesystem::path m_pxPath;
    std::filesystem::path m_journalPath;
    std::filesystem::path m_lockPath;
    std::optional<File> m_lockFile;
    bool m_locked = false;
};

} // namespace marlovex::paradox
