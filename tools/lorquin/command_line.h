// Lorquin's command line: "/W <instrument number> /D", switches in either letter case. /W names
// the instrument whose quote is fetched; /D stores it in the data directory's quote table, the
// only mode there is.
//
// Pure functions; thread-safe.
#pragma once

#include "platform/common/error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marlovex::lorquin {

// A command line that is not "/W <number> /D". Lorquin answers it with exit code 2.
class UsageError : public Error {
public:
    using Error::Error;
};

inline constexpr const char* usageText = "Aufruf: Lorquin /W <Instrumentnummer> /D";

// What "Lorquin --help" prints: the trackers start Lorquin, but a user who comes across it
// should learn what it does without the manual.
inline constexpr const char* helpText =
    "Aufruf: Lorquin /W <Instrumentnummer> /D\n"
    "        Lorquin --help | --version\n"
    "\n"
    "Holt die neuen Kurse des Instruments <Instrumentnummer> und speichert sie in Intraday.db\n"
    "des Datenverzeichnisses. Die Tracker des Marlovex Diagramm-Managers starten Lorquin bei\n"
    "jedem Takt.\n"
    "\n"
    "Die Kurse kommen aus der Quelle in Kursquellen.ini, sonst aus Kurse<Instrumentnummer>.csv,\n"
    "sonst aus dem simulierten Markt. Das Datenverzeichnis ist der Wert Datenpath der\n"
    "Einstellungen, sonst Daten/ im Programmverzeichnis (ohne dessen Ordner bin).\n"
    "\n"
    "Ende-Code: 0 gespeichert oder nichts Neues, 1 Import fehlgeschlagen, 2 falscher Aufruf.\n";

// The instrument number of `arguments` (the program name excluded): a positive 32-bit number.
// Throws UsageError naming the offending argument.
std::int64_t parseCommandLine(const std::vector<std::string>& arguments);

} // namespace marlovex::lorquin
