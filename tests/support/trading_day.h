// A data directory for tracker tests: Firma.db with a few instruments and an Intraday.db that
// the test fills with quotes.
#pragma once

#include "platform/formats/date_time.h"
#include "platform/paradox/table.h"
#include "support/temp_directory.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace marlovex::testing_support {

constexpr std::int64_t daxNumber = 846900;
constexpr std::int64_t warrantNumber = 17;
constexpr std::int64_t bayerNumber = 575200;

class TradingDay {
public:
    TradingDay() {
        using paradox::FieldDef;
        using paradox::FieldType;
        paradox::Table::createTable(directory() / "Firma.db",
                                    {
                                        FieldDef::of("Firma", FieldType::Long, 0, true),
                                        FieldDef::of("FirmenName", FieldType::Alpha, 40),
                                        FieldDef::of("Aktiv", FieldType::Logical),
                                        FieldDef::of("Gruppe", FieldType::Long),
                                        FieldDef::of("Branche", FieldType::Long),
                                        FieldDef::of("Merkmal", FieldType::Long),
                                        FieldDef::of("Kennung", FieldType::Alpha, 12),
                                        FieldDef::of("ZDF", FieldType::Alpha, 12),
                                    },
                                    {paradox::IndexDef{"", "Firma", true}});
        addInstrument(daxNumber, "DAX");
        addInstrument(warrantNumber, "DAX Call 20000");
        addInstrument(bayerNumber, "Bayer");
        paradox::Table::createTable(directory() / "Intraday.db",
                                    {
                                        FieldDef::of("Firma", FieldType::Long, 0, true),
                                        FieldDef::of("ZEIT", FieldType::Timestamp, 0, true),
                                        FieldDef::of("Kurs", FieldType::Money, 0, true),
                                        FieldDef::of("Volumen", FieldType::Long),
                                    },
                                    {paradox::IndexDef{"INTRADAY", "FIRMA;ZEIT", true}});
    }

    const std::filesystem::path& directory() const { return m_directory.path(); }

    void writeFile(const std::string& name, const std::string& contents) const {
        m_directory.writeFile(name, contents);
    }

    void addInstrument(std::int64_t number, const std::string& name) {
        paradox::Table table;
        open(table, "Firma.db");
        table.append();
        table.field("Firma").setInteger(number);
        table.field("FirmenName").setString(name);
        table.field("Aktiv").setBoolean(true);
        table.post();
    }

    // A quote at hh:mm:ss of 4 December 2026.
    void addQuote(std::int64_t instrument, int hour, int minute, int second, double price,
                  std::optional<std::int64_t> volume = std::nullopt) {
        paradox::Table table;
        open(table, "Intraday.db");
        table.append();
        table.field("Firma").setInteger(instrument);
        table.field("ZEIT").setDateTime(at(hour, minute, second));
        table.field("Kurs").setFloat(price);
        if (volume) {
            table.field("Volumen").setInteger(*volume);
        }
        table.post();
    }

    static formats::DateTime at(int hour, int minute, int second) {
        return formats::encodeDate(2026, 12, 4) + formats::encodeTime(hour, minute, second);
    }

    // Opens a view of one of the directory's tables.
    void open(paradox::Table& table, const std::string& name) const {
        table.setDatabaseName(directory());
        table.setTableName(name);
        table.open();
    }

private:
    TempDirectory m_directory;
};

} // namespace marlovex::testing_support
