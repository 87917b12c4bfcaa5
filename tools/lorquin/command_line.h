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

// The instrument number of `arguments` (the program name excluded): a positive 32-bit number.
// Throws UsageError naming the offending argument.
std::int64_t parseCommandLine(const std::vector<std::string>& arguments);

} // namespace marlovex::lorquin
