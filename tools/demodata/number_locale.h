// The decimal separator of the locale this process runs under. The program reads the stored
// purchase prices with the desktop's locale (LC_ALL, else LC_NUMERIC, else LANG), so the
// generator writes them in the same form; it stays free of Qt and asks the C++ library, which
// follows the same variables.
//
// Thread-safe: reads the environment only.
#pragma once

#include <optional>

namespace marlovex::demodata {

// ',' under de_DE.UTF-8, '.' under C.UTF-8 or en_US.UTF-8; nullopt when the environment names a
// locale that is not installed on this machine.
std::optional<char> environmentDecimalSeparator();

} // namespace marlovex::demodata
