// The instruments of the demo data directory: the index "DAX", a few stocks with invented names
// and call and put warrants on the index and on the stocks, with everything Firma.db holds about
// them and the rhythm at which the demo quotes them.
//
// Pure functions; thread-safe.
#pragma once

#include "market/instrument.h"
#include "platform/formats/date_time.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marlovex::demodata {

using formats::DateTime;

inline constexpr std::int64_t daxNumber = 846900;

struct DemoInstrument {
    market::Instrument instrument;
    // Firma.db's classification: 1 index, 2 stock, 3 warrant.
    int group = 0;
    int sector = 0;
    std::string code;
    // Whether its quotes carry the day's traded shares (stocks) in Volumen.
    bool tradesShares = false;
    // Seconds between two quotes, drawn between these bounds.
    int minimumPause = 30;
    int maximumPause = 60;
};

// The day of the week of `date`, Monday = 0 ... Sunday = 6.
int weekday(DateTime date);

// The demo's instruments; warrant expiries lie three and six months after `today`, on the third
// Friday of the month as exchange-traded warrants do. The DAX call comes first among the warrants.
std::vector<DemoInstrument> demoInstruments(DateTime today);

// The first call on the DAX: the tracker's demo pair.
const DemoInstrument& daxCall(const std::vector<DemoInstrument>& instruments);

} // namespace marlovex::demodata
