// The record of one instrument in the price messenger's table (Message.DB): found by the
// instrument number, updated in place or appended, and flagged for the messenger to pick up.
//
// Not thread-safe: the view belongs to the calling thread.
#pragma once

#include "platform/paradox/table.h"

#include <cstdint>
#include <string>

namespace marlovex::tracker::messenger {

// What one hand-over tells the messenger about an instrument.
struct HandOver {
    std::int64_t number = 0;
    std::string name;
    double price = 0;
    double first = 0;
    double minimum = 0;
    double maximum = 0;
};

// Moves to the first record in table order whose "FirmaNr" reads as `number` and returns true;
// returns false when there is none.
bool findRecord(paradox::Table& messages, std::int64_t number);

// Writes `handOver` into the record under the cursor when `found` (findRecord's answer), else
// into a new record, and posts it. A failure cancels the record, so nothing partial is stored.
void writeHandOver(paradox::Table& messages, const HandOver& handOver, bool found);

} // namespace marlovex::tracker::messenger
