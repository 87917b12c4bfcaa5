// Lorquin, the quote-import program that the tracker windows start: "Lorquin /W <number> /D"
// stores one new quote of the instrument in the data directory's Intraday.db and exits.
//
// Quotes come from a replay file "Kurse<number>.csv" in the data directory when there is one,
// otherwise from the simulated market. Exit codes: 0 stored (or the replay file is used up),
// 1 the import failed, 2 bad command line. Every failure is one line on stderr.

#include "lorquin/command_line.h"
#include "lorquin/data_directory.h"
#include "lorquin/import_error.h"
#include "lorquin/quote_store.h"
#include "lorquin/replay.h"
#include "lorquin/simulation.h"
#include "market/instrument.h"
#include "market/price_walk.h"
#include "platform/paths/file_names.h"
#include "platform/registry/registry.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace lorquin = marlovex::lorquin;
namespace market = marlovex::market;

namespace {

constexpr int stored = 0;
constexpr int failed = 1;
constexpr int badUsage = 2;

void importQuote(std::int64_t number, const std::string& argv0) {
    const std::string dataDirectory =
        lorquin::dataDirectory(lorquin::programDirectory(argv0), marlovex::registry::defaultRegistryFile());
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
    if (const auto file = lorquin::findReplayFile(dataDirectory, number)) {
        const auto quote =
            lorquin::nextReplayQuote(lorquin::readReplayFile(*file), number, store.lastQuote(number), now);
        if (quote) {
            store.append(*quote);
        }
        return;
    }
    market::PriceWalk walk(market::processSeed(number));
    store.append(lorquin::simulateQuote(*instrument, store, dataDirectory, now, walk));
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
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
        std::cerr << "Lorquin /W " << number << ": " << error.what() << "\n";
        return failed;
    }
}
