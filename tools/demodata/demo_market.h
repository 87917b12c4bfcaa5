// The quotes of the demo data directory: weeks of daily closes and volumes up to yesterday, and
// today's intraday quotes, all from the simulated market that Lorquin continues.
//
// Today's session begins at 09:00 and ends at the moment of generation, or at the 17:30 close
// when generated later. Before 09:00 it begins at midnight instead, so that every quote is of
// today and none lies in the future: Lorquin's next quotes then follow on seamlessly.
//
// Pure functions of their arguments and seed; thread-safe.
#pragma once

#include "demodata/demo_instruments.h"
#include "market/quote.h"

#include <cstdint>
#include <vector>

namespace marlovex::demodata {

inline constexpr int historyDays = 30;

struct DailyPrice {
    std::int64_t instrument = 0;
    DateTime date = 0;
    double price = 0;
};

struct DailyVolume {
    std::int64_t instrument = 0;
    DateTime date = 0;
    std::int64_t volume = 0;
};

struct DemoMarket {
    DateTime sessionStart = 0;
    DateTime sessionEnd = 0;
    // In key order: by instrument, then time.
    std::vector<market::Quote> quotes;
    std::vector<DailyPrice> dailyPrices;
    // Stocks only: an index trades no shares, and the volume of a warrant quote is its delta.
    std::vector<DailyVolume> dailyVolumes;
};

// The session of a day generated at `now` (see above).
void sessionBounds(DateTime now, DateTime& start, DateTime& end);

// Closes of the `historyDays` weekdays before today, then today's session up to `now`.
DemoMarket generateMarket(const std::vector<DemoInstrument>& instruments, DateTime now, std::uint64_t seed);

} // namespace marlovex::demodata
