// The engine's error messages as the central error display shows them: German, and naming the
// table or file, for each kind of failure a user meets.
#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_storage.h"
#include "support/error_message.h"
#include "support/temp_directory.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

using testing_support::messageOf;

class TableMessages : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = m_temporary.path();
        m_firms = m_directory / "Firma.db";
        Table::createTable(
            m_firms,
            {FieldDef::of("Firma", FieldType::Long), FieldDef::of("FirmenName", FieldType::Alpha, 12)},
            {{"", "Firma", true}});
        Table table;
        open(table, "Firma.db");
        addFirm(table, 1);
    }

    void open(Table& table, const std::string& name) const {
        table.setDatabaseName(m_directory);
        table.setTableName(name);
        table.open();
    }

    static void addFirm(Table& table, int number) {
        table.append();
        table.field("Firma").setInteger(number);
        table.post();
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_directory;
    fs::path m_firms;
};

TEST_F(TableMessages, AMissingTableOrDirectoryIsNamed) {
    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("Intraday.db");
    EXPECT_EQ(messageOf<TableError>([&] { table.open(); }),
              "Die Tabelle " + (m_directory / "Intraday.db").string() + " existiert nicht.");
    EXPECT_FALSE(table.active());

    const auto missing = m_directory / "Daten";
    table.setDatabaseName(missing);
    EXPECT_EQ(messageOf<TableError>([&] { table.open(); }),
              "Die Tabelle " + (missing / "Intraday.db").string() + " existiert nicht: das Verzeichnis " +
                  missing.string() + " fehlt.");
    EXPECT_EQ(messageOf<TableError>([&] {
                  Table::createTable(missing / "Intraday.db", {FieldDef::of("Firma", FieldType::Long)}, {});
              }),
              "Die Tabelle " + (missing / "Intraday.db").string() +
                  " kann nicht angelegt werden: das Verzeichnis " + missing.string() + " fehlt.");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(TableMessages, WorkOnAClosedOrBusyTableSaysWhyItCannotBeDone) {
    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("Firma.db");
    EXPECT_EQ(messageOf<TableError>([&] { table.field("Firma"); }),
              "Ein Feld der Tabelle " + m_firms.string() +
                  " kann nicht gelesen werden: die Tabelle ist nicht geöffnet.");

    table.open();
    EXPECT_EQ(messageOf<TableError>([&] { table.renameTable("Firmen.db"); }),
              "Die Tabelle " + m_firms.string() + " kann nicht umbenannt werden: die Tabelle ist geöffnet.");
    table.edit();
    EXPECT_EQ(messageOf<TableError>([&] { table.next(); }),
              "In der Tabelle " + m_firms.string() +
                  " kann nicht geblättert werden: ein Datensatz wird gerade "
                  "bearbeitet.");
    table.cancel();
    EXPECT_EQ(messageOf<TableError>([&] { table.field("Kurs"); }),
              "Die Tabelle " + m_firms.string() + " hat kein Feld 'Kurs'.");
    EXPECT_EQ(messageOf<TableError>([&] { table.post(); }),
              "In der Tabelle " + m_firms.string() +
                  " kann nichts gespeichert werden: es wird kein Datensatz "
                  "bearbeitet.");
}

TEST_F(TableMessages, AKeyViolationNamesTheTableAndLeavesItUnchanged) {
    Table table;
    open(table, "Firma.db");
    EXPECT_EQ(messageOf<KeyViolationError>([&] { addFirm(table, 1); }),
              "Schlüsselverletzung in der Tabelle " + m_firms.string() +
                  ": der Schlüssel ist schon vergeben.");
    table.cancel();
    EXPECT_EQ(table.recordCount(), 1u);
}

TEST_F(TableMessages, AValueThatDoesNotFitNamesTheField) {
    Table table;
    open(table, "Firma.db");
    table.edit();
    EXPECT_EQ(messageOf<TableError>([&] { table.field("FirmenName").setString("Arnsfeld Chemie AG"); }),
              "Der Text 'Arnsfeld Chemie AG' ist zu lang für das Feld 'FirmenName' (höchstens 12 Zeichen).");
    EXPECT_EQ(messageOf<TableError>([&] { table.field("FirmenName").setString("Chemie ☺"); }),
              "Der Text 'Chemie ☺' enthält ein Zeichen, das eine Tabelle nicht speichern kann.");
    table.cancel();
}

// The post fails at once rather than waiting, and the record stays for a later try.
TEST_F(TableMessages, ALockHeldByAnotherWriterNamesTheTableAndChangesNothing) {
    Table table;
    open(table, "Firma.db");
    {
        TableStorage other(m_firms);
        TableStorage::WriteLock lock(other);
        table.append();
        table.field("Firma").setInteger(2);
        EXPECT_EQ(messageOf<LockConflictError>([&] { table.post(); }),
                  "Die Tabelle " + m_firms.string() + " ist von einem anderen Benutzer gesperrt.");
    }
    table.post();
    EXPECT_EQ(table.field("Firma").asInteger(), 2);
    EXPECT_EQ(table.recordCount(), 2u);
}

TEST_F(TableMessages, ADamagedFileNamesTheFileAndTheDamage) {
    fs::resize_file(m_firms, fs::file_size(m_firms) - 100);
    Table table;
    const auto truncated = messageOf<CorruptTableError>([&] { open(table, "Firma.db"); });
    EXPECT_TRUE(truncated.starts_with("Die Tabelle " + m_firms.string() +
                                      " ist beschädigt: die Datei ist abgeschnitten ("))
        << truncated;

    std::ofstream(m_firms, std::ios::binary | std::ios::trunc) << std::string(2048, 'x');
    EXPECT_EQ(messageOf<TableError>([&] { open(table, "Firma.db"); }),
              "Die Datei " + m_firms.string() + " ist keine Paradox-Tabelle (Dateityp 120).");
}

TEST_F(TableMessages, FailuresOfTheFileSystemGiveTheGermanReason) {
    // A folder where the table file should be: it opens, but cannot be read.
    fs::create_directory(m_directory / "Kurse.db");
    Table table;
    EXPECT_EQ(messageOf<TableError>([&] { open(table, "Kurse.db"); }),
              "Die Datei " + (m_directory / "Kurse.db").string() +
                  " kann nicht gelesen werden: " + systemErrorText(EISDIR) + ".");

    const auto target = m_directory / "Archiv" / "Firma.db";
    EXPECT_EQ(messageOf<TableError>([&] { Table::renameTable(m_firms, target); }),
              "Die Tabelle " + m_firms.string() + " kann nicht in " + target.string() +
                  " umbenannt werden: " + systemErrorText(ENOENT) + ".");
    fs::create_directory(m_directory / "Archiv");
    std::ofstream(target) << "belegt";
    EXPECT_EQ(messageOf<TableError>([&] { Table::renameTable(m_firms, target); }),
              "Die Tabelle " + m_firms.string() + " kann nicht umbenannt werden: " + target.string() +
                  " existiert bereits.");
}

} // namespace
} // namespace marlovex::paradox
