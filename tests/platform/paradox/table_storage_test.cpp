#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "support/error_message.h"
#include "support/sound_table.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRows = 40;

std::vector<std::uint8_t> readFile(const fs::path& path) {
    return File(Env::posix(), path, File::Mode::ReadOnly).readAll();
}

std::vector<std::uint8_t> plain(const FileBytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    File file(Env::posix(), path, File::Mode::Create);
    file.truncate(0);
    file.writeAt(0, bytes);
}

// A commit invalidates its journal by clearing the leading marker; putting the marker back
// recreates the state of a writer that died after changing the table, before finishing.
void reviveJournal(const fs::path& journal) {
    File file(Env::posix(), journal, File::Mode::ReadWrite);
    const std::string marker = "MXPXJNL2";
    file.writeAt(0, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(marker.data()),
                                                  marker.size()));
}

// The quote table as the tests here use it, made anew and empty.
void createQuoteTable(const fs::path& db) {
    Table::createTable(db,
                       {FieldDef::of("Firma", FieldType::Long), FieldDef::of("ZEIT", FieldType::Timestamp),
                        FieldDef::of("Kurs", FieldType::Money)},
                       {{"INTRADAY", "FIRMA;ZEIT", true}});
}

class StorageRecovery : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = m_temporary.path();
        m_db = m_directory / "Intraday.db";
        createQuoteTable(m_db);
        Table table;
        table.setTableName(m_db.string());
        table.open();
        for (int i = 0; i < static_cast<int>(kRows); ++i) {
            append(table, i);
        }
    }

    static void append(Table& table, int i) {
        table.append();
        table.field("Firma").setInteger(i % 2);
        table.field("ZEIT").setDateTime(46362.0 + i / 1440.0);
        table.field("Kurs").setFloat(i);
        table.post();
    }

    // Commits one more quote and returns the table files from before that commit.
    std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> commitOneMore() {
        const auto db = readFile(m_db);
        const auto px = readFile(m_directory / "Intraday.px");
        Table table;
        table.setTableName(m_db.string());
        table.open();
        append(table, 1000);
        return {db, px};
    }

    std::size_t rowsSeenByAView() const {
        Table table;
        table.setTableName(m_db.string());
        table.open();
        return table.recordCount();
    }

    // Appends `count` quotes through a view, then proves the table sound three ways: our own
    // view, our own structural check of the table and its index, and pxlib.
    void appendAndExpectSound(int count) const {
        {
            Table table;
            table.setTableName(m_db.string());
            table.open();
            for (int i = 0; i < count; ++i) {
                append(table, 2000 + i);
            }
        }
        EXPECT_EQ(rowsSeenByAView(), static_cast<std::size_t>(count));
        testing_support::expectSoundTable(m_db, static_cast<std::size_t>(count));
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_directory;
    fs::path m_db;
};

TEST_F(StorageRecovery, ReadersSeeTheStateBeforeAnUnfinishedCommitAndWritersRepairIt) {
    const auto [dbBefore, pxBefore] = commitOneMore();
    const auto dbAfter = readFile(m_db);
    reviveJournal(TableStorage::journalPathFor(m_db));
    // Readers undo the dead writer's commit in their copy and leave the files alone.
    EXPECT_EQ(rowsSeenByAView(), kRows);
    TableStorage reader(m_db);
    const auto snapshot = reader.read();
    EXPECT_EQ(plain(snapshot.db), dbBefore);
    EXPECT_EQ(snapshot.px, pxBefore);
    EXPECT_EQ(readFile(m_db), dbAfter);
    // The next writer rolls the files back.
    { TableStorage::WriteLock lock(reader); }
    EXPECT_EQ(readFile(m_db), dbBefore);
    EXPECT_EQ(readFile(m_directory / "Intraday.px"), pxBefore);
}

// Tables over a megabyte are read into memory of their own kind (huge pages, mapped at once);
// what a reader sees in it must not differ from the file, nor from the undo of a dead writer.
TEST_F(StorageRecovery, LargeTablesReadAndRollBackAsSmallOnes) {
    {
        Table table;
        table.setTableName(m_db.string());
        table.open();
        std::vector<std::vector<Value>> records;
        for (int i = 0; i < 60000; ++i) {
            records.push_back({Value(std::int64_t{7}), Value(46363.0 + i / 86400.0), Value(i * 0.5)});
        }
        table.appendRecords(records);
    }
    ASSERT_GT(fs::file_size(m_db), 1024u * 1024u);
    const auto [dbBefore, pxBefore] = commitOneMore();
    TableStorage reader(m_db);
    EXPECT_EQ(plain(reader.read().db), readFile(m_db));
    reviveJournal(TableStorage::journalPathFor(m_db));
    auto snapshot = reader.read();
    EXPECT_EQ(plain(snapshot.db), dbBefore);
    EXPECT_EQ(TableImage(std::move(snapshot.db), m_db.string()).size(), kRows + 60000);
}

TEST_F(StorageRecovery, TornTablePagesAreRestoredFromTheJournal) {
    const auto [dbBefore, pxBefore] = commitOneMore();
    // Every page the commit changed is left half written.
    auto torn = readFile(m_db);
    constexpr std::size_t kPage = 1024;
    for (std::size_t page = 0; page < torn.size(); page += kPage) {
        const bool changed =
            page + kPage > dbBefore.size() || !std::equal(torn.begin() + static_cast<long>(page),
                                                          torn.begin() + static_cast<long>(page + kPage),
                                                          dbBefore.begin() + static_cast<long>(page));
        for (std::size_t i = page + kPage / 2; changed && i < page + kPage && i < torn.size(); i += 3) {
            torn[i] = 0xA5;
        }
    }
    writeFile(m_db, torn);
    reviveJournal(TableStorage::journalPathFor(m_db));
    EXPECT_EQ(rowsSeenByAView(), kRows);
    TableStorage storage(m_db);
    { TableStorage::WriteLock lock(storage); }
    EXPECT_EQ(readFile(m_db), dbBefore);
    EXPECT_EQ(rowsSeenByAView(), kRows);
}

TEST_F(StorageRecovery, ATornJournalLeavesTheUntouchedTableAlone) {
    commitOneMore();
    const auto dbAfter = readFile(m_db);
    const auto journal = TableStorage::journalPathFor(m_db);
    reviveJournal(journal);
    // The journal's end never reached the disk: its checksum fails.
    fs::resize_file(journal, fs::file_size(journal) - 5);
    EXPECT_EQ(rowsSeenByAView(), kRows + 1);
    EXPECT_EQ(readFile(m_db), dbAfter);
}

TEST_F(StorageRecovery, TheWriteLockExcludesWritersAndTableMakersButNoReader) {
    TableStorage writer(m_db);
    TableStorage::WriteLock lock(writer);
    TableStorage reader(m_db);
    EXPECT_EQ(plain(reader.read().db), readFile(m_db));
    EXPECT_THROW(TableStorage::WriteLock second(reader), LockConflictError);
    EXPECT_THROW(createQuoteTable(m_db), LockConflictError);
    EXPECT_EQ(rowsSeenByAView(), kRows);
}

// A writer killed inside a commit leaves its journal; the table made anew under the same name is
// another file, and the old journal's pages must never be written into it.
TEST_F(StorageRecovery, AStaleJournalNeverAppliesToATableMadeAnew) {
    const auto journal = TableStorage::journalPathFor(m_db);
    {
        SCOPED_TRACE("re-created through createTable");
        commitOneMore();
        reviveJournal(journal);
        createQuoteTable(m_db);
        EXPECT_FALSE(fs::exists(journal));
        appendAndExpectSound(5);
    }
    {
        SCOPED_TRACE("deleted by hand and copied in from elsewhere");
        commitOneMore();
        reviveJournal(journal);
        const auto elsewhere = m_directory / "elsewhere";
        fs::create_directory(elsewhere);
        const auto fresh = elsewhere / "Intraday.db";
        createQuoteTable(fresh);
        fs::remove(m_db);
        fs::remove(m_directory / "Intraday.px");
        fs::copy_file(fresh, m_db);
        fs::copy_file(elsewhere / "Intraday.px", m_directory / "Intraday.px");
        // The journal is still there and complete, but it belongs to the deleted file.
        TableStorage storage(m_db);
        EXPECT_FALSE(storage.repairDue());
        EXPECT_EQ(rowsSeenByAView(), 0u);
        appendAndExpectSound(7);
    }
}

TEST_F(StorageRecovery, AReaderWaitsForAWriterInsideItsCommitOnlyBriefly) {
    TableStorage writer(m_db);
    TableStorage::WriteLock lock(writer);
    // The live writer is inside a commit for as long as its counter stays odd.
    const auto setCounter = [&](bool odd) {
        File counter(Env::posix(), TableStorage::lockPathFor(m_db), File::Mode::ReadWrite);
        std::array<std::uint8_t, 8> bytes{};
        ASSERT_EQ(counter.readAt(8, bytes), bytes.size());
        bytes[0] = static_cast<std::uint8_t>(odd ? bytes[0] | 1 : (bytes[0] | 1) + 1);
        counter.writeAt(8, bytes);
    };
    setCounter(true);
    TableStorage reader(m_db);
    EXPECT_EQ(testing_support::messageOf<LockConflictError>([&] { reader.read(); }),
              "Die Tabelle " + m_db.string() +
                  " wird gerade von einem anderen Programm geändert und ist belegt; bitte später erneut "
                  "versuchen.");
    setCounter(false);
    EXPECT_EQ(plain(reader.read().db), readFile(m_db));
}

} // namespace
} // namespace marlovex::paradox
