// Proof against an independent implementation: tables pxlib writes read through our engine with
// the same values, and tables our engine writes and edits read through pxlib (through its use of
// our primary index) with the same values in key order.

#include "platform/paradox/errors.h"
#include "platform/paradox/session.h"
#include "platform/paradox/table.h"
#include "platform/paradox/value_conversion.h"
#include "support/error_message.h"
#include "support/protected_table.h"
#include "support/pxlib_table.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;
using testing_support::OracleValue;
using testing_support::PxlibDocument;

class PxlibInterop : public ::testing::Test {
protected:
    marlovex::testing_support::TempDirectory m_temporary;
    const fs::path m_directory = m_temporary.path();
};

const std::vector<testing_support::PxlibColumn> kAllTypes{
    {"Firma", pxfLong, 4},     {"Name", pxfAlpha, 20},    {"Menge", pxfShort, 2}, {"Kurs", pxfCurrency, 8},
    {"Faktor", pxfNumber, 8},  {"Aktiv", pxfLogical, 1},  {"Datum", pxfDate, 4},  {"Uhrzeit", pxfTime, 4},
    {"ZEIT", pxfTimestamp, 8}, {"Nummer", pxfAutoInc, 4},
};

// The row `i` of the shared sample, as pxlib values; every 4th row has empty fields.
std::vector<OracleValue> sampleRow(int i) {
    const bool withNulls = i % 4 == 3;
    std::vector<OracleValue> row(kAllTypes.size());
    const auto set = [&](std::size_t index, long integer, double number, std::string text) {
        // The key fields and the autoincrement field are never empty.
        row[index].null = withNulls && index != 0 && index != 8 && index != 9;
        row[index].integer = integer;
        row[index].number = number;
        row[index].text = std::move(text);
    };
    set(0, 1000 + (i * 7919) % 500, 0, "");
    set(1, 0, 0, "Wert " + std::to_string(i));
    set(2, -300 + i, 0, "");
    set(3, 0, (i - 20) * 1.25, "");
    set(4, 0, 1.0 / (i + 1), "");
    set(5, i % 2, 0, "");
    set(6, 739956 - i, 0, "");
    set(7, (i * 1000L + 250) % 86400000, 0, "");
    set(8, 0, 739956.0 * 86400000.0 + i * 864001.0, "");
    set(9, i + 1, 0, "");
    return row;
}

// A pxlib value of a field of pxlib type `type` as our engine stores it.
Value storedValue(char type, const OracleValue& value) {
    if (value.null) {
        return Null{};
    }
    if (type == pxfAlpha) {
        return value.text;
    }
    if (type == pxfNumber || type == pxfCurrency || type == pxfTimestamp) {
        return value.number;
    }
    return type == pxfLogical ? Value(value.integer != 0) : Value(std::int64_t{value.integer});
}

TEST_F(PxlibInterop, TablesPxlibWritesReadThroughOurEngine) {
    const auto path = m_directory / "Sample.db";
    std::vector<std::vector<OracleValue>> written;
    {
        PxlibDocument document;
        ASSERT_TRUE(document.create(kAllTypes, path, pxfFileTypNonIndexDB));
        for (int i = 0; i < 700; ++i) {
            const auto row = sampleRow(i);
            ASSERT_TRUE(document.insert(row));
            written.push_back(row);
        }
    }

    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("SAMPLE.DB");
    table.open();
    ASSERT_EQ(table.recordCount(), written.size());
    std::size_t row = 0;
    for (table.first(); !table.eof(); table.next(), ++row) {
        const auto& expected = written[row];
        for (std::size_t f = 0; f < kAllTypes.size(); ++f) {
            EXPECT_EQ(table.field(kAllTypes[f].name).value(), storedValue(kAllTypes[f].type, expected[f]))
                << "row " << row << " field " << kAllTypes[f].name;
        }
    }
    EXPECT_EQ(row, written.size());
}

TEST_F(PxlibInterop, TablesOurEngineWritesAndEditsReadThroughPxlibInKeyOrder) {
    std::vector<FieldDef> fields;
    for (const auto& column : kAllTypes) {
        const auto type = static_cast<FieldType>(column.type);
        fields.push_back(FieldDef::of(column.name, type, type == FieldType::Alpha ? column.size : 0));
    }
    const auto path = m_directory / "Keyed.db";
    Table::createTable(path, fields, {{"KEYED", "Firma;Name", true}});

    // Our engine's view of what must be in the table: key -> row.
    std::map<std::pair<long, std::string>, std::vector<OracleValue>> expected;
    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("keyed");
    table.open();
    std::mt19937 random(5);
    for (int i = 0; i < 400; ++i) {
        auto row = sampleRow(static_cast<int>(random() % 5000));
        row[9].null = true;
        table.append();
        for (std::size_t f = 0; f < kAllTypes.size(); ++f) {
            table.field(kAllTypes[f].name)
                .setValue(toUserValue(fields[f], storedValue(kAllTypes[f].type, row[f])));
        }
        const std::pair<long, std::string> key{row[0].integer, row[1].null ? std::string() : row[1].text};
        if (expected.count(key) != 0) {
            EXPECT_THROW(table.post(), KeyViolationError);
            table.cancel();
            continue;
        }
        table.post();
        row[9].null = false;
        row[9].integer = table.field("Nummer").asInteger();
        expected[key] = row;
    }
    // Edits and deletions through the view.
    int step = 0;
    for (table.first(); !table.eof(); ++step) {
        const std::pair<long, std::string> key{table.field("Firma").asInteger(),
                                               table.field("Name").asString()};
        if (step % 5 == 0) {
            table.deleteRecord();
            expected.erase(key);
            continue;
        }
        if (step % 5 == 1) {
            table.edit();
            table.field("Kurs").setFloat(-99.5);
            table.post();
            expected[key][3] = OracleValue{false, 0, -99.5, ""};
        }
        table.next();
    }
    table.close();

    const auto rows = testing_support::readWithPxlib(path).rows;
    ASSERT_EQ(rows.size(), expected.size());
    auto it = expected.begin();
    for (std::size_t r = 0; r < rows.size(); ++r, ++it) {
        const auto& want = it->second;
        for (std::size_t f = 0; f < kAllTypes.size(); ++f) {
            EXPECT_EQ(storedValue(kAllTypes[f].type, rows[r][f]), storedValue(kAllTypes[f].type, want[f]))
                << "row " << r << " field " << kAllTypes[f].name;
        }
    }
}

// A password-protected keyed table stays protected: what pxlib writes encrypted reads through our
// engine, and what our engine adds is stored encrypted under the table's key, so that pxlib
// (which decrypts with the key the header carries) reads it back.
TEST_F(PxlibInterop, ProtectedTablesReadAndGrowEncryptedBothWays) {
    const auto path = m_directory / "Geheim.db";
    {
        // 1,200 quotes of three instruments, in key order, without the primary index.
        PxlibDocument document;
        ASSERT_TRUE(
            document.create({{"Firma", pxfLong, 4}, {"ZEIT", pxfTimestamp, 8}, {"Kurs", pxfCurrency, 8}},
                            path, pxfFileTypIndexDB));
        ASSERT_EQ(PX_set_value(document.get(), "numprimkeys", 2), 0);
        ASSERT_EQ(PX_set_parameter(document.get(), "password", "WillowFrost"), 0);
        for (int firm = 1; firm <= 3; ++firm) {
            for (int i = 0; i < 400; ++i) {
                ASSERT_TRUE(document.insert({OracleValue{false, firm, 0, ""},
                                             OracleValue{false, 0, 739956.0 * 86400000.0 + i * 1000.0, ""},
                                             OracleValue{false, 0, firm * 1000.0 + i, ""}}));
            }
        }
    }
    const auto check = testing_support::storedPasswordCheck(path);
    ASSERT_NE(check, 0u);

    Table table;
    table.setTableName(path.string());
    session().addPassword("Falsch");
    EXPECT_EQ(testing_support::messageOf<TableError>([&] { table.open(); }),
              "Die Tabelle " + path.string() +
                  " ist durch ein Kennwort geschützt, das dieser Sitzung nicht bekannt ist.");
    session().addPassword("WillowFrost");
    table.open();
    ASSERT_EQ(table.recordCount(), 1200u);
    const double moment = timestampToDateTime(739956.0 * 86400000.0 + 123 * 1000.0);
    ASSERT_TRUE(table.findKey({std::int64_t{2}, moment}));
    EXPECT_EQ(table.field("Kurs").asFloat(), 2123.0);
    // 300 more in key order split blocks and add new ones; our engine writes the primary index.
    for (int i = 0; i < 300; ++i) {
        table.append();
        table.field("Firma").setInteger(2);
        table.field("ZEIT").setDateTime(moment + (i + 0.5) / 86400.0);
        table.field("Kurs").setFloat(-i);
        table.post();
    }
    table.close();

    const auto rows = testing_support::readWithPxlib(path).rows;
    ASSERT_EQ(rows.size(), 1500u);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::pair<long, double> previous{rows[r - 1][0].integer, rows[r - 1][1].number};
        const std::pair<long, double> current{rows[r][0].integer, rows[r][1].number};
        ASSERT_LT(previous, current) << "row " << r;
    }
    EXPECT_EQ(rows[400 + 124][2].number, -0.0);
    EXPECT_EQ(rows[400 + 123][2].number, 2123.0);
    EXPECT_EQ(rows[1499][2].number, 3399.0);
    EXPECT_EQ(testing_support::storedPasswordCheck(path), check);
}

TEST_F(PxlibInterop, CalendarEncodingsAgreeWithPxlib) {
    PxlibDocument document;
    const double timestamp = dateTimeToTimestamp(46362.0 + (9 * 3600 + 30 * 60 + 5) / 86400.0);
    char* text = PX_timestamp2string(document.get(), timestamp, "Y-m-d H:i:s");
    EXPECT_STREQ(text, "2026-12-06 09:30:05");
    document.get()->free(document.get(), text);
    text = PX_date2string(document.get(), dateTimeToDate(46362.0), "Y-m-d");
    EXPECT_STREQ(text, "2026-12-06");
    document.get()->free(document.get(), text);
    text = PX_time2string(document.get(), dateTimeToTime(0.5 + 3723.0 / 86400.0), "H:i:s");
    EXPECT_STREQ(text, "13:02:03");
    document.get()->free(document.get(), text);
}

} // namespace
} // namespace marlovex::paradox
