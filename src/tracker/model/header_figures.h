// The live update's figures besides prices and profit: how far the warrant moved for each point
// of the underlying, whether the newest quote is overdue, and where the list's time window
// starts.
#pragma once

#include "platform/formats/date_time.h"
#include "tracker/model/level_trailing.h"

#include <optional>

namespace marlovex::tracker {

using formats::DateTime;

// Highest less lowest.
double rangeWidth(const PriceRange& range);

// The width of the warrant's range per point of the underlying's; 0 while the underlying has
// not moved.
double rangeRatio(const PriceRange& warrant, const PriceRange& underlying);

// A quote is overdue when three ticks passed without a newer one.
bool quoteOverdue(DateTime now, DateTime quoteTime, int tickMilliseconds);

// Where the time window of "ComboBox1" starts: its items 1 to 5 show the last 15, 30 and 45
// minutes and the last one and two hours, counted from the current time to the nearest whole
// minute, as a time of day. Other items set no window.
std::optional<double> timeWindowStart(DateTime now, int choice);

} // namespace marlovex::tracker
