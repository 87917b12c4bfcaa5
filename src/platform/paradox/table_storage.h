// The files of one table on disk (.DB, .PX and two side files) and the protocol that lets
// several processes share them:
//
// - Writers take an open-file-description lock on one byte of the table file itself, beyond any
//   data a table can hold; a conflict fails at once. A lock on a side file would not survive
//   someone deleting that file while writers run. After locking, the writer checks that the
//   locked file is still the one at the path (a re-created table replaces it).
// - A commit first writes the changed pages' previous contents to "<table>.jnl" and syncs it,
//   then changes the table in place, syncs, and invalidates the journal: a crash at any moment
//   leaves the table as it was before or after the commit (the next writer or reader rolls an
//   unfinished commit back). A commit that fails (a full disk) rolls itself back at once. The
//   journal names the table file it belongs to (device, inode, birth time): a journal left
//   beside a table that was deleted and made anew is discarded, never applied.
// - A commit counter in "<table>.lck" is odd while pages change; readers never lock: they
//   re-read when the counter moved, wait out a live writer's commit (for a bounded time), and
//   undo a dead writer's unfinished commit in their copy through the journal, so they always see
//   one whole committed state. The files themselves are repaired by the next writer.
// - Behind the counter, "<table>.lck" keeps a ring of the last 32 commits' written ranges of the
//   .DB file, each named under its final count before any page changes. A reader that holds an
//   earlier commit re-reads only those ranges; where the ring misses a commit (a writer that
//   keeps no ring, a table made anew, too many commits or ranges) it reads the whole table.
// - Side files (.PX, .lck, .jnl, temporaries) never follow symbolic links, and the ones a
//   writer creates take the table file's permission bits, so that everyone who may write the
//   table may also lock and journal it.
//
// One TableStorage per view; not thread-safe. Different objects (threads, processes) share the
// files safely.
#pragma once

#include "platform/paradox/file_system.h"
#include "platform/paradox/table_image.h"

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace marlovex::paradox {

class TableStorage {
public:
    // `dbPath` names an existing table (resolved without regard to letter case); throws
    // TableError naming the table when it does not exist. Every file access goes through `env`.
    explicit TableStorage(const std::filesystem::path& dbPath, Env& env = Env::posix());

    const std::filesystem::path& dbPath() const { return m_dbPath; }
    const std::filesystem::path& pxPath() const { return m_pxPath; }
    const std::filesystem::path& blobPath() const { return m_blobPath; }

    struct Snapshot {
        FileBytes db;
        std::optional<std::vector<std::uint8_t>> px;
        // The blob file of a table with memo or blob fields; the engine only reads it.
        std::optional<std::vector<std::uint8_t>> blobs;
        std::uint64_t sequence = 0;
        // The .DB file that was read.
        FileIdentity file;
    };
    // One whole committed state of the table.
    Snapshot read();

    // What the commits after `since` wrote to the .DB file `file`, as the change log in the
    // counter file names it: each written range with its bytes now, and the .PX and .MB whole.
    // Empty when the log does not name every one of those commits, a commit is unfinished, or
    // `file` is no longer the table file at the path; the caller then reads the whole table.
    struct Changes {
        std::uint64_t sequence = 0;
        std::uint64_t dbSize = 0;
        std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> ranges;
        std::optional<std::vector<std::uint8_t>> px;
        std::optional<std::vector<std::uint8_t>> blobs;
    };
    std::optional<Changes> changesSince(std::uint64_t since, const FileIdentity& file);
    // The commit counter; a change means another writer committed.
    std::uint64_t sequence();

    // Whether a writer died inside a commit and the table files still hold its partial changes
    // (readers undo them in their copy; the next writer, or a repair, rolls them back).
    bool repairDue();

    // Holds the table's write lock; recovers an unfinished commit on acquisition.
    class WriteLock {
    public:
        explicit WriteLock(TableStorage& storage);
        ~WriteLock();
        WriteLock(const WriteLock&) = delete;
        WriteLock& operator=(const WriteLock&) = delete;

        // Whether taking the lock rolled back a dead writer's unfinished commit.
        bool recovered() const { return m_recovered; }

    private:
        TableStorage& m_storage;
        bool m_recovered = false;
    };

    // Writes the image's changed pages and the new primary index atomically and durably. The
    // caller holds a WriteLock. `oldPx` is the index the table had (empty when none).
    void commit(TableImage& image, const std::vector<std::uint8_t>& newPx,
                const std::optional<std::vector<std::uint8_t>>& oldPx);

    // Writes a new table's files, replacing a table of that name under its write lock (and with
    // its permissions); the old table's journal and, for a table without key, its index go.
    static void createFiles(const std::filesystem::path& dbPath, std::span<const std::uint8_t> db,
                            const std::optional<std::vector<std::uint8_t>>& px, Env& env = Env::posix());
    // The .PX, .MB, lock and journal names that belong to a .DB path.
    static std::filesystem::path indexPathFor(const std::filesystem::path& dbPath, Env& env = Env::posix());
    static std::filesystem::path blobPathFor(const std::filesystem::path& dbPath, Env& env = Env::posix());
    static std::filesystem::path lockPathFor(const std::filesystem::path& dbPath);
    static std::filesystem::path journalPathFor(const std::filesystem::path& dbPath);

private:
    // The counter file is created by the first writer only, so readers leave no trace and work
    // on read-only media. It is re-opened when the file at its path is no longer the open one.
    File* sequenceFile(bool create);
    bool tryLock();
    void unlock();
    void writeSequence(std::uint64_t value);
    void writeChangeLog(std::uint64_t sequence, const std::vector<TableImage::PageChange>& writes);
    // The whole .PX or .MB beside the table, when there is one.
    std::optional<std::vector<std::uint8_t>> readSideFile(const std::filesystem::path& path) const;
    // Opens (creating) a side file; a new one takes the locked table's permission bits.
    File openSideFile(const std::filesystem::path& path) const;
    struct Journal;
    struct JournalRead;
    // The journal of an unfinished commit of the table file `table`, if the file holds a
    // complete one; a complete journal of another file is reported as foreign.
    JournalRead pendingJournal(const std::optional<FileIdentity>& table) const;
    bool lockedByAnotherWriter() const;
    bool recover();
    void rollBack(const Journal& journal);
    void invalidateJournal();

    Env& m_env;
    std::filesystem::path m_dbPath;
    std::filesystem::path m_pxPath;
    std::filesystem::path m_blobPath;
    std::filesystem::path m_journalPath;
    std::filesystem::path m_lockPath;
    std::optional<File> m_lockFile;
    bool m_lockFileWritable = false;
    // The table file, open for writing, that carries the write lock while it is held.
    std::optional<File> m_writeLock;
    bool m_locked = false;
};

} // namespace marlovex::paradox
