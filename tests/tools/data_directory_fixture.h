// A home for the tools' end-to-end tests: a data directory, a settings file that points at it
// (handed to the child processes through XDG_CONFIG_HOME), and helpers to fill and read the
// instrument and quote tables.
//
// One fixture per test, used from the test's main thread.
#pragma once

#include "child_process.h"
#include "market/bulk_table_writer.h"
#include "market/market_tables.h"
#include "market/quote.h"
#include "platform/paradox/table.h"
#include "platform/registry/registry.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

namespace marlovex::testing_support {

class DataDirectoryTest : public ::testing::Test {
protected:
    DataDirectoryTest() {
        std::filesystem::create_directories(dataDirectory());
        std::filesystem::create_directories(configDirectory() / "Brelmund");
    }

    std::filesystem::path dataDirectory() const { return m_home.path() / "Daten"; }
    std::filesystem::path configDirectory() const { return m_home.path() / "config"; }
    std::filesystem::path settingsFile() const { return configDirectory() / "Brelmund" / "Marlovex.reg"; }
    const TempDirectory& home() const { return m_home; }

    void pointSettingsAtDataDirectory() const {
        registry::Registry settings(settingsFile());
        settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
        settings.writeString("Datenpath", dataDirectory().string());
    }

    ChildResult run(const std::string& program, const std::vector<std::string>& arguments) const {
        return runChild(program, arguments, {{"XDG_CONFIG_HOME", configDirectory().string()}});
    }

    ChildResult lorquin(std::int64_t instrument) const {
        return run(LORQUIN_PATH, {"/W", std::to_string(instrument), "/D"});
    }

    ChildResult pxtoolCheck(const std::filesystem::path& table) const {
        return runChild(PXTOOL_PATH, {"check", table.string()});
    }

    // Creates the quote table on first use.
    void addQuote(const market::Quote& quote) const {
        if (!std::filesystem::exists(dataDirectory() / "Intraday.db")) {
            market::createEmptyTable(dataDirectory(), market::quoteTableLayout());
        }
        paradox::Table table;
        table.setDatabaseName(dataDirectory());
        table.setTableName("Intraday.db");
        table.open();
        table.append();
        table.field("Firma").setInteger(quote.instrument);
        table.field("ZEIT").setDateTime(quote.time);
        table.field("Kurs").setFloat(quote.price);
        if (quote.volume) {
            table.field("Volumen").setInteger(*quote.volume);
        }
        table.post();
    }

    // The instrument's quotes in time order; every quote when `instrument` is 0. None before the
    // quote table exists.
    std::vector<market::Quote> quotes(std::int64_t instrument = 0) const {
        std::vector<market::Quote> result;
        if (!std::filesystem::exists(dataDirectory() / "Intraday.db")) {
            return result;
        }
        paradox::Table table;
        table.setDatabaseName(dataDirectory());
        table.setTableName("Intraday.db");
        table.open();
        for (table.first(); !table.eof(); table.next()) {
            market::Quote quote{table.field("Firma").asInteger(), table.field("ZEIT").asDateTime(),
                                table.field("Kurs").asFloat(), std::nullopt};
            if (!table.field("Volumen").isNull()) {
                quote.volume = table.field("Volumen").asInteger();
            }
            if (instrument == 0 || quote.instrument == instrument) {
                result.push_back(quote);
            }
        }
        return result;
    }

private:
    TempDirectory m_home;
};

} // namespace marlovex::testing_support
