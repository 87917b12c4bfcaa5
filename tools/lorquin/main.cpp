// Lorquin, the quote-import program that the tracker windows start: "Lorquin /W <number> /D"
// stores the instrument's new quotes in the data directory's Intraday.db and exits.
//
// Quotes come from the real source configured in the data directory's Kursquellen.ini when
// there is one (all new rows of its answer), else from a replay file "Kurse<number>.csv" (one
// line per run), else from the simulated market (one quote per run). Exit codes: 0 stored, or
// nothing new; 1 the import failed, nothing stored; 2 bad command line. Every failure is one
// line on stderr; a success prints the time of the newest stored quote, which the tracker shows.

#include "lorquin/command_line.h"
#include "lorquin/data_directory.h"
#include "lorquin/import_error.h"
#include "lorquin/quote_source.h"
#include "lorquin/quote_store.h"
#include "lorquin/replay.h"
#include "lorquin/simulation.h"
#include "lorquin/source_import.h"
#include "market/instrument.h"
#include "market/price_walk.h"
#include "platform/paradox/session.h"
#include "platform/paths/file_names.h"
#include "platform/registry/registry.h"

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace lorquin = marlovex::lorquin;
namespace market = marlovex::market;

namespace {

constexpr int stored = 0;
constexpr int failed = 1;
constexpr int badUsage = 2;

// Values from a configuration file or an answer end up in messages; whatever they hold, the
// failure stays one line.
std::string oneLine(std::string text) {
    for (auto& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return text;
}

// What the tracker shows of a successful run: the time of the instrument's newest stored quote,
// with its date when it is not today's; nothing when it has none.
void reportLastQuote(lorquin::QuoteStore& store, std::int64_t number, marlovex::formats::DateTime now) {
    const auto last = store.lastQuote(number);
    if (!last) {
        return;
    }
    const bool today = marlovex::formats::datePart(last->time) == marlovex::formats::datePart(now);
    std::cout << "letzter Kurs "
              << marlovex::formats::formatDateTime(last->time, today ? "hh:mm:ss" : "dd.mm.yyyy hh:mm:ss")
              << "\n";
}

void importQuote(std::int64_t number, const std::string& argv0) {
    // The family's protected tables open with its password, as in the windows.
    marlovex::paradox::session().addPassword(std::string(marlovex::paradox::familyPassword));
    const std::string dataDirectory =
        lorquin::dataDirectory(lorquin::programDirectory(argv0), marlovex::registry::defaultRegistryFile());
    // Read first, so that what a fetch needs is being prepared while the tables are read.
    const auto configFile = lorquin::findSourceConfig(dataDirectory);
    std::optional<lorquin::SourceConfig> config;
    if (configFile) {
        config = lorquin::readSourceConfig(*configFile);
        lorquin::prepareFetch(config->url);
    }
    const auto instrument = market::findInstrument(dataDirectory, number);
    if (!instrument) {
        throw lorquin::ImportError(
            "Das Instrument " + std::to_string(number) + " steht nicht in " +
            marlovex::paths::resolveCaseInsensitive(std::filesystem::path(dataDirectory) / "Firma.db")
                .string() +
            ".");
    }
    lorquin::QuoteStore store(dataDirectory);
    const auto now = marlovex::formats::now();
    if (config) {
        lorquin::importFromSource(*config, configFile->string(), number, store, now);
    } else if (const auto file = lorquin::findReplayFile(dataDirectory, number)) {
        const auto quote =
            lorquin::nextReplayQuote(lorquin::readReplayFile(*file), number, store.lastQuote(number), now);
        if (quote) {
            store.append(*quote);
        }
    } else {
        market::PriceWalk walk(market::processSeed(number));
        store.append(lorquin::simulateQuote(*instrument, store, dataDirectory, now, walk));
    }
    reportLastQuote(store, number, now);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string>{"--help"}) {
        std::cout << lorquin::helpText;
        return stored;
    }
    if (arguments == std::vector<std::string>{"--version"}) {
        std::cout << "Lorquin (Marlovex Diagramm-Manager) " << MARLOVEX_VERSION << "\n";
        return stored;
    }
    std::int64_t number = 0;
    try {
        number = lorquin::parseCommandLine(arguments);
    } catch (const lorquin::UsageError& error) {
        std::cerr << "Lorquin: " << error.what() << " " << lorquin::usageText << "\n";
        return badUsage;
    }
    try {
        importQuote(number, argc > 0 ? argv[0] : "Lorquin");
        return stored;
    } catch (const std::exception& error) {
        std::cerr << "Lorquin /W " << number << ": " << oneLine(error.what()) << "\n";
        return failed;
    }
}
