// One intraday quote as the quote table Intraday.db stores it.
//
// Plain value type; thread-safe.
#pragma once

#include "platform/formats/date_time.h"

#include <cstdint>
#include <optional>

namespace marlovex::market {

struct Quote {
    std::int64_t instrument = 0;
    formats::DateTime time = 0;
    double price = 0;
    // A plain instrument's shares traded so far that day; a warrant's encoded delta.
    std::optional<std::int64_t> volume;
};

} // namespace marlovex::market
