#include "demodata/demo_files.h"

#include "market/bulk_table_writer.h"
#include "market/market_tables.h"
#include "platform/common/system_error_text.h"
#include "platform/formats/number_format.h"
#include "platform/paths/file_names.h"
#include "platform/registry/registry.h"

#include <string>

namespace marlovex::demodata {
namespace {

using paradox::Null;
using paradox::Value;

const char* const settingsKey = "\\SOFTWARE\\Brelmund\\Marlovex";

void writeInstruments(const std::filesystem::path& directory,
                      const std::vector<DemoInstrument>& instruments) {
    const auto layout = market::instrumentTableLayout();
    market::BulkTableWriter table(directory, layout);
    for (const auto& demo : instruments) {
        const auto& instrument = demo.instrument;
        std::vector<std::pair<std::string, Value>> values{
            {"Firma", Value(instrument.number)},
            {"FirmenName", Value(instrument.name)},
            {"Aktiv", Value(true)},
            {"Gruppe", Value(std::int64_t{demo.group})},
            {"Branche", Value(std::int64_t{demo.sector})},
            {"Merkmal", Value(std::int64_t{0})},
            {"Kennung", Value(std::to_string(instrument.number))},
            {"ZDF", Value(demo.code)},
        };
        if (instrument.referencePrice) {
            values.emplace_back("Referenz", Value(*instrument.referencePrice));
        }
        if (const auto& terms = instrument.warrant) {
            values.emplace_back("Basis", Value(terms->underlying));
            values.emplace_back("Typ",
                                Value(std::string(terms->kind == market::OptionKind::Call ? "C" : "P")));
            values.emplace_back("Basispreis", Value(terms->strike));
            values.emplace_back("Bezug", Value(terms->ratio));
            values.emplace_back("Verfall", Value(terms->expiry));
        }
        table.add(market::recordOf(layout, values));
    }
    table.write();
}

void writeQuotes(const std::filesystem::path& directory, const DemoMarket& market) {
    const auto layout = market::quoteTableLayout();
    market::BulkTableWriter table(directory, layout);
    // Firma, ZEIT, Kurs, Volumen.
    std::vector<Value> record(layout.fields.size());
    for (const auto& quote : market.quotes) {
        record[0] = quote.instrument;
        record[1] = quote.time;
        record[2] = quote.price;
        record[3] = quote.volume ? Value(*quote.volume) : Value(Null{});
        table.add(record);
    }
    table.write();
}

void writeHistory(const std::filesystem::path& directory, const DemoMarket& market) {
    market::BulkTableWriter prices(directory, market::dailyPriceTableLayout());
    for (const auto& daily : market.dailyPrices) {
        prices.add({Value(daily.instrument), Value(daily.date), Value(daily.price)});
    }
    prices.write();
    market::BulkTableWriter volumes(directory, market::dailyVolumeTableLayout());
    for (const auto& daily : market.dailyVolumes) {
        volumes.add({Value(daily.instrument), Value(daily.date), Value(daily.volume)});
    }
    volumes.write();
}

double firstQuote(const DemoMarket& market, std::int64_t instrument) {
    for (const auto& quote : market.quotes) {
        if (quote.instrument == instrument) {
            return quote.price;
        }
    }
    return 0;
}

} // namespace

void createDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        throw Error("Das Verzeichnis " + directory.string() +
                    " kann nicht angelegt werden: " + systemErrorText(error) + ".");
    }
}

void writeDataDirectory(const std::filesystem::path& directory,
                        const std::vector<DemoInstrument>& instruments, const DemoMarket& market) {
    writeInstruments(directory, instruments);
    writeQuotes(directory, market);
    writeHistory(directory, market);
    market::BulkTableWriter(directory, market::messageTableLayout()).write();
    const auto temp = directory / "Temp";
    createDirectory(temp);
    market::BulkTableWriter(temp, market::analysisTableLayout()).write();
}

void writeDemoSettings(const std::filesystem::path& registryFile, const std::filesystem::path& directory,
                       const std::vector<DemoInstrument>& instruments, const DemoMarket& market,
                       char decimalSeparator) {
    const auto& call = daxCall(instruments);
    formats::NumberLocale numbers;
    numbers.decimalSeparator = decimalSeparator;
    const auto price = [&](std::int64_t instrument) {
        return formats::formatGeneral(firstQuote(market, instrument), 15, numbers);
    };
    createDirectory(std::filesystem::absolute(registryFile).parent_path());
    registry::Registry settings(registryFile);
    settings.openKey(settingsKey, true);
    settings.writeString("Datenpath",
                         paths::withTrailingSeparator(std::filesystem::absolute(directory).string()));
    settings.writeString("OS_Option", call.instrument.name);
    settings.writeString("OS_Basis", "DAX");
    settings.writeInteger("OS_Width", 560);
    settings.writeInteger("OS_Height", 420);
    settings.writeString("OS_Ankauf", price(call.instrument.number));
    settings.writeString("OS_AnkaufBasis", price(daxNumber));
    settings.writeString("OS_AnkaufAnteile", "1000");
    settings.writeBool("OS_Call", false);
    settings.writeString("OS_Limitanpassung", "5%");
    // The trailed limits go into Temp/Analyse.db at every tick.
    settings.writeBool("OS_Auto", true);
    // The demo shows quotes arriving: the tracker fetches and redraws every half second.
    settings.writeBool("OS_Turbo", true);
    settings.writeInteger("ShowWinWidth", 1100);
    settings.writeInteger("ShowWinHeight", 720);
}

} // namespace marlovex::demodata
