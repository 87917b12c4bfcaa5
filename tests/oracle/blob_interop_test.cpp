// Tables with memo fields written by pxlib: our engine reads every memo (held in the record
// alone, in a shared block of the .MB file, or in a block of its own), pxtool dump shows them,
// and editing other fields or appending leaves the .MB file and every reference as pxlib wrote
// them. The table also has a binary blob field, which pxlib leaves empty.

#include "platform/paradox/errors.h"
#include "platform/paradox/field.h"
#include "platform/paradox/table.h"
#include "support/error_message.h"
#include "support/pxlib_table.h"
#include "support/temp_directory.h"
#include "tools/child_process.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

struct Note {
    int number;
    // Windows-1252 bytes, as the table stores them.
    std::string memo;
};

std::string repeated(const std::string& piece, std::size_t length) {
    std::string text;
    while (text.size() < length) {
        text += piece;
    }
    text.resize(length);
    return text;
}

std::vector<Note> sampleNotes() {
    return {
        {1, ""},
        {2, "kurz"},
        {3, repeated("Optionsschein Call \xFC"
                     "ber 12,50 EUR; ",
                     100)},
        {4, repeated("Zeile eins\r\nZeile zwei\\ ", 1500)},
        {5, repeated("Langer Vermerk zum Basiswert. ", 5000)},
        {6, "genau zwanzig Zeichen"},
    };
}

// Compares without printing kilobytes of memo on a failure.
::testing::AssertionResult sameText(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t differ = 0;
    while (differ < actual.size() && differ < expected.size() && actual[differ] == expected[differ]) {
        ++differ;
    }
    return ::testing::AssertionFailure() << "texts of " << actual.size() << " and " << expected.size()
                                         << " bytes differ from byte " << differ;
}

class BlobInterop : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = m_temporary.path() / "NOTIZEN.DB";
        m_mb = m_temporary.path() / "NOTIZEN.MB";
        testing_support::PxlibDocument document;
        ASSERT_TRUE(document.create({{"Nr", pxfLong, 4}, {"Notiz", pxfMemoBLOb, 30}, {"Daten", pxfBLOb, 20}},
                                    m_db, pxfFileTypNonIndexDB));
        ASSERT_EQ(PX_set_blob_file(document.get(), m_mb.c_str()), 0);
        for (const auto& note : m_notes) {
            ASSERT_TRUE(document.insert({{false, note.number, 0, ""},
                                         {note.memo.empty(), 0, 0, note.memo},
                                         testing_support::OracleValue{}}));
        }
    }

    // What pxlib reads now must be what it wrote, plus `extra` rows with empty blobs.
    void expectPxlibReadsTheNotes(const std::vector<int>& numbers) const {
        const auto table = testing_support::readWithPxlib(m_db);
        ASSERT_EQ(table.rows.size(), numbers.size());
        for (std::size_t row = 0; row < numbers.size(); ++row) {
            SCOPED_TRACE("row " + std::to_string(row));
            EXPECT_EQ(table.at(row, "Nr").integer, numbers[row]);
            const auto* note = findNote(numbers[row]);
            const auto& memo = table.at(row, "Notiz");
            const auto& data = table.at(row, "Daten");
            EXPECT_TRUE(sameText(memo.null ? std::string() : memo.text, note != nullptr ? note->memo : ""));
            EXPECT_TRUE(data.null || data.text.empty());
        }
    }

    const Note* findNote(int number) const {
        for (const auto& note : m_notes) {
            if (note.number == number || note.number * 10 == number) {
                return &note;
            }
        }
        return nullptr;
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_db;
    fs::path m_mb;
    const std::vector<Note> m_notes = sampleNotes();
};

TEST_F(BlobInterop, EveryMemoReadsAsPxlibWroteIt) {
    Table table;
    table.setTableName(m_db.string());
    table.open();
    ASSERT_EQ(table.recordCount(), m_notes.size());
    std::size_t row = 0;
    for (table.first(); !table.eof(); table.next(), ++row) {
        const auto& note = m_notes[row];
        SCOPED_TRACE("note " + std::to_string(note.number));
        EXPECT_EQ(table.field("Nr").asInteger(), note.number);
        EXPECT_EQ(table.field("Notiz").isNull(), note.memo.empty());
        EXPECT_TRUE(sameText(table.field("Notiz").asString(), windows1252ToUtf8(note.memo)));
        EXPECT_TRUE(table.field("Daten").isNull());
    }
}

TEST_F(BlobInterop, PxtoolDumpShowsEachMemoOnItsRecordsLine) {
    const auto dump = testing_support::runChild(PXTOOL_PATH, {"dump", m_db.string()});
    ASSERT_EQ(dump.exitCode, 0) << dump.standardError;
    std::istringstream lines(dump.standardOutput);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Nr;Notiz;Daten");
    for (const auto& note : m_notes) {
        ASSERT_TRUE(std::getline(lines, line));
        std::string memo;
        for (std::size_t i = 0; i < note.memo.size(); ++i) {
            if (note.memo.compare(i, 2, "\r\n") == 0) {
                memo += "\\n";
                ++i;
            } else if (note.memo[i] == '\\') {
                memo += "\\\\";
            } else {
                memo += note.memo[i];
            }
        }
        EXPECT_TRUE(sameText(line, std::to_string(note.number) + ";" + windows1252ToUtf8(memo) + ";"));
    }
}

TEST_F(BlobInterop, EditingOtherFieldsAndAppendingKeepTheBlobFileAndItsReferences) {
    const auto blobFile = testing_support::readText(m_mb);
    {
        Table table;
        table.setTableName(m_db.string());
        table.open();
        for (table.first(); !table.eof(); table.next()) {
            if (table.field("Nr").asInteger() == 3 || table.field("Nr").asInteger() == 5) {
                table.edit();
                table.field("Nr").setInteger(table.field("Nr").asInteger() * 10);
                table.post();
            }
        }
        table.append();
        table.field("Nr").setInteger(7);
        table.post();
        // Writing a memo would need the blob file written; it is refused, naming the field.
        table.append();
        EXPECT_NE(testing_support::messageOf<TableError>([&] {
                      table.field("Notiz").setString("neu");
                  }).find("Notiz"),
                  std::string::npos);
        table.cancel();
    }
    EXPECT_TRUE(testing_support::readText(m_mb) == blobFile);
    expectPxlibReadsTheNotes({1, 2, 30, 4, 50, 6, 7});
    Table table;
    table.setTableName(m_db.string());
    table.open();
    table.last();
    EXPECT_EQ(table.field("Nr").asInteger(), 7);
    EXPECT_TRUE(table.field("Notiz").isNull());
}

TEST_F(BlobInterop, RenameAndDeleteCarryTheBlobFileAlong) {
    const auto renamed = m_temporary.path() / "ARCHIV.DB";
    Table::renameTable(m_db, renamed);
    EXPECT_FALSE(fs::exists(m_mb));
    EXPECT_TRUE(fs::exists(m_temporary.path() / "ARCHIV.MB"));
    {
        Table table;
        table.setTableName(renamed.string());
        table.open();
        table.last();
        EXPECT_EQ(table.field("Notiz").asString(), windows1252ToUtf8(m_notes.back().memo));
    }
    Table::deleteTable(renamed);
    EXPECT_FALSE(fs::exists(m_temporary.path() / "ARCHIV.MB"));
    EXPECT_FALSE(fs::exists(renamed));
}

TEST_F(BlobInterop, ADamagedOrMissingBlobFileIsNamedNeverACrash) {
    const auto readAllMemos = [&] {
        Table table;
        table.setTableName(m_db.string());
        table.open();
        for (table.first(); !table.eof(); table.next()) {
            table.field("Notiz").asString();
        }
    };
    const auto original = testing_support::readText(m_mb);
    for (const std::size_t size : {original.size() - 100, std::size_t{4096} + 7, std::size_t{0}}) {
        SCOPED_TRACE("blob file cut to " + std::to_string(size));
        fs::resize_file(m_mb, size);
        const auto message = testing_support::messageOf<CorruptTableError>(readAllMemos);
        EXPECT_NE(message.find("Die Blob-Datei " + m_mb.string() + " ist beschädigt"), std::string::npos)
            << message;
        std::ofstream(m_mb, std::ios::binary) << original;
    }
    fs::remove(m_mb);
    const auto message = testing_support::messageOf<CorruptTableError>(readAllMemos);
    EXPECT_NE(message.find("fehlt"), std::string::npos) << message;
}

} // namespace
} // namespace marlovex::paradox
