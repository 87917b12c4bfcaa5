// Writes the demo data directory (Firma.db, Intraday.db, Aktien.db, Volumen.db, Message.DB and
// Temp/Analyse.db) and, on request, a settings file that points the program at it and opens the
// tracker on the DAX call.
//
// Not thread-safe: writes files that no other program may use meanwhile.
#pragma once

#include "demodata/demo_instruments.h"
#include "demodata/demo_market.h"

#include <filesystem>

namespace marlovex::demodata {

// Creates `directory` and its missing parents; throws Error naming the directory on failure.
void createDirectory(const std::filesystem::path& directory);

// Writes every table of the data directory `directory`, which must exist and hold no tables yet.
// Each table is written in one go. Throws paradox::TableError naming the table on failure.
void writeDataDirectory(const std::filesystem::path& directory,
                        const std::vector<DemoInstrument>& instruments, const DemoMarket& market);

// Writes the settings under \SOFTWARE\Brelmund\Marlovex of the settings file `registryFile`:
// "Datenpath" = `directory`, the tracker's "OS_" values for the DAX call and the DAX (bought at
// the first quotes of the day), and the frame's size. Prices are written exactly, without
// grouping and with `decimalSeparator`, which must be the one of the locale the program will run
// under: it reads them as text with the desktop's locale. Other values of the file stay. Throws
// RegistryError naming the file on failure.
void writeDemoSettings(const std::filesystem::path& registryFile, const std::filesystem::path& directory,
                       const std::vector<DemoInstrument>& instruments, const DemoMarket& market,
                       char decimalSeparator);

} // namespace marlovex::demodata
