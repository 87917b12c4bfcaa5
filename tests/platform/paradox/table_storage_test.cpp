#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_storage.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRows = 40;

std::vector<std::uint8_t> readFile(const fs::path& path) {
    return File(path, File::Mode::ReadOnly).readAll();
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    File file(path, File::Mode::Create);
    file.truncate(0);
    file.writeAt(0, bytes);
}

// A commit invalidates its journal by clearing the leading marker; putting the marker back
// recreates the state of a writer that died after changing the table, before finishing.
void reviveJournal(const fs::path& journal) {
    File file(journal, File::Mode::ReadWrite);
    const std::string marker = "MXPXJNL1";
    file.writeAt(0, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(marker.data()),
                                                  marker.size()));
}

class StorageRecovery : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = m_temporary.path();
        m_db = m_directory / "Intraday.db";
        Table::createTable(m_db,
                           {FieldDef::of("Firma", FieldType::Long),
                            FieldDef::of("ZEIT", FieldType::Timestamp),
                            FieldDef::of("Kurs", FieldType::Money)},
                           {{"INTRADAY", "FIRMA;ZEIT", true}});
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
    EXPECT_EQ(snapshot.db, dbBefore);
    EXPECT_EQ(snapshot.px, pxBefore);
    EXPECT_EQ(readFile(m_db), dbAfter);
    // The next writer rolls the files back.
    { TableStorage::WriteLock lock(reader); }
    EXPECT_EQ(readFile(m_db), dbBefore);
    EXPECT_EQ(readFile(m_directory / "Intraday.px"), pxBefore);
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

TEST_F(StorageRecovery, ReadersNeitherTakeNorNeedTheWriteLock) {
    TableStorage writer(m_db);
    TableStorage::WriteLock lock(writer);
    TableStorage reader(m_db);
    const auto snapshot = reader.read();
    EXPECT_EQ(snapshot.db, readFile(m_db));
    EXPECT_THROW(TableStorage::WriteLock second(reader), LockConflictError);
}

} // namespace
} // namespace marlovex::paradox
