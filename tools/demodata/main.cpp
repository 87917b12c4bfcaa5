// marlovex-demodata: creates a believable data directory for trying the program out.
//
//   marlovex-demodata DIR [--registry FILE]
//
// DIR (created when missing) receives the instrument table, today's quotes and weeks of daily
// history, the messenger's table and Temp/Analyse.db. With --registry, FILE (a REGEDIT4
// settings file, e.g. $XDG_CONFIG_HOME/Brelmund/Marlovex.reg) is pointed at DIR and set up for a
// tracker on the DAX call; its purchase prices take the decimal separator of the locale the
// generator runs under, which must be the one the program will run under. Exit codes: 0 done,
// 1 failed, 2 bad command line.

#include "demodata/demo_files.h"
#include "demodata/demo_instruments.h"
#include "demodata/demo_market.h"
#include "demodata/number_locale.h"
#include "platform/paths/file_names.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace demodata = marlovex::demodata;

namespace {

constexpr int done = 0;
constexpr int failed = 1;
constexpr int badUsage = 2;

const char* const usage = "Aufruf: marlovex-demodata VERZEICHNIS [--registry DATEI]";

struct Options {
    std::filesystem::path directory;
    std::optional<std::filesystem::path> registryFile;
};

std::optional<Options> parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    bool haveDirectory = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--registry" && i + 1 < arguments.size() && !options.registryFile) {
            options.registryFile = arguments[++i];
        } else if (!haveDirectory && !arguments[i].empty() && arguments[i][0] != '-') {
            options.directory = arguments[i];
            haveDirectory = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveDirectory) {
        return std::nullopt;
    }
    return options;
}

// A data directory is never overwritten: the quotes in it may be someone's real ones.
void requireNoTables(const std::filesystem::path& directory) {
    for (const char* table : {"Firma.db", "Intraday.db", "Aktien.db", "Volumen.db", "Message.DB"}) {
        if (marlovex::paths::fileExistsCaseInsensitive(directory / table)) {
            throw marlovex::Error("Das Verzeichnis " + directory.string() + " enthält schon die Tabelle " +
                                  table + "; bitte ein neues oder leeres Verzeichnis angeben.");
        }
    }
}

std::string timeOfDay(marlovex::formats::DateTime time) {
    return marlovex::formats::formatDateTime(time, "hh:mm:ss");
}

} // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << usage << "\n";
        return badUsage;
    }
    try {
        const auto directory = std::filesystem::absolute(options->directory);
        demodata::createDirectory(directory);
        requireNoTables(directory);
        const auto now = marlovex::formats::now();
        const auto instruments = demodata::demoInstruments(marlovex::formats::datePart(now));
        // One path a day: generating twice on the same day gives the same quotes.
        const auto seed = static_cast<std::uint64_t>(marlovex::formats::datePart(now));
        const auto market = demodata::generateMarket(instruments, now, seed);
        demodata::writeDataDirectory(directory, instruments, market);
        std::cout << "Demodaten in " << directory.string() << ": " << instruments.size() << " Instrumente, "
                  << market.quotes.size() << " Kurse von " << timeOfDay(market.sessionStart) << " bis "
                  << timeOfDay(market.sessionEnd) << ", " << demodata::historyDays << " Tage Kurshistorie\n";
        if (options->registryFile) {
            const auto decimalSeparator = demodata::environmentDecimalSeparator();
            if (!decimalSeparator) {
                std::cerr
                    << "marlovex-demodata: Warnung: Die Sprachumgebung aus LC_ALL, LC_NUMERIC oder LANG "
                       "ist auf diesem Rechner nicht installiert; die Kaufkurse erhalten einen "
                       "Dezimalpunkt, den das Programm unter dieser Sprachumgebung womöglich falsch liest.\n";
            }
            demodata::writeDemoSettings(*options->registryFile, directory, instruments, market,
                                        decimalSeparator.value_or('.'));
            std::cout << "Einstellungen in " << options->registryFile->string() << "\n";
        }
        return done;
    } catch (const std::exception& error) {
        std::cerr << "marlovex-demodata: " << error.what() << "\n";
        return failed;
    }
}
