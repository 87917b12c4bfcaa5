// Path rules of the product family on this platform. The family's programs were written for
// desktops where file names ignore letter case and the program directory may sit in a "BIN"
// folder beside the data; these functions keep both habits without changing the case of a path.
//
// Thread-safe: pure functions and read-only file system queries.
#pragma once

#include <filesystem>
#include <string>

namespace marlovex::paths {

// The program's base directory: `programDir` with a trailing separator and its first folder
// named "bin" (any letter case, either separator) cut out, so a program in
// ".../Marlovex/bin" uses ".../Marlovex/" and finds its data in ".../Marlovex/Daten/".
std::string appDirFromProgramDir(std::string programDir);

// `directory` with a trailing separator, so that a file name can be appended directly.
std::string withTrailingSeparator(std::string directory);

// Resolves the last component of `path` inside its directory without regard to letter case:
// returns the existing entry's real path, or `path` unchanged when nothing matches.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& path);

// True when a regular file of that name exists, letter case aside.
bool fileExistsCaseInsensitive(const std::filesystem::path& path);

} // namespace marlovex::paths
