// Where Lorquin finds its data: the directory of its own program file, and the data directory
// that the tracker uses too (the setting "Datenpath", else the program's base directory plus
// "Daten/").
//
// Thread-safe: reads the file system and the settings file only.
#pragma once

#include <filesystem>
#include <string>

namespace marlovex::lorquin {

// The directory of the running program file, symbolic links resolved, so a link to the program
// finds the same data as the program itself. `argv0` serves where the system cannot tell.
std::string programDirectory(const std::string& argv0);

// The value "Datenpath" under \SOFTWARE\Brelmund\Marlovex of the settings file `registryFile`,
// or appDirFromProgramDir(programDir) + "Daten/"; always with a trailing separator. Throws
// RegistryError naming the file when the settings file cannot be read.
std::string dataDirectory(const std::string& programDir, const std::filesystem::path& registryFile);

} // namespace marlovex::lorquin
