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

// Writes every table of the data directory `directory`, which must exist and hold no tables yet.
// Each table is written in one go. Throws paradox::TableError naming the table on failure.
void writeDataDirectory(const std::filesystem::path& directory,
                        const std::vector<DemoInstrument>& instruments, const DemoMarket& market);

// Writes the settings under \SOFTWARE\Brelmund\Marlovex of the settings file `registryFile`:
// "Datenpath" = `directory`, the tracker's "OS_" values for the DAX call and the DAX (bought at
// the first quotes of the day), and the frame's size. Prices are written with the decimal
// separator of the current locale, as the tracker reads its edit fields. Other values of the
// file stay. Throws RegistryError naming the file on failure.
void writeDemoSettings(const std::filesystem::path& registryFile, const std::filesystem::path& directory,
                       const std::vector<DemoInstrument>& instruments, const DemoMarket& market);

} // namespace marlovex::demodata
