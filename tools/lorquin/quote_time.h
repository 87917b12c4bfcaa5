// The times and dates a quote source writes, read as the local date-times the quote table
// stores:
//   times  "hh:mm:ss", "yyyy-mm-dd hh:mm:ss" and "yyyy-mm-ddThh:mm:ss" (seconds may carry a
//          fraction; a zone "Z", "+hh:mm", "+hhmm" or "+hh" converts to local time, without one
//          the time is local), or Unix seconds (digits, a fraction allowed);
//   dates  "yyyy-mm-dd" or "dd.mm.yyyy".
// A bare time of day lies on the date given with it, else today.
//
// Pure functions apart from the system's time zone, which the conversions read; thread-safe.
#pragma once

#include "platform/formats/date_time.h"

#include <optional>
#include <string_view>

namespace marlovex::lorquin {

using formats::DateTime;

// nullopt when `text` is none of the listed date forms or names no real day.
std::optional<DateTime> parseQuoteDate(std::string_view text);

// The local date-time of `text`; a bare time of day is placed on `day` (a date at midnight).
// nullopt when `text` is none of the listed forms or names no real moment.
std::optional<DateTime> parseQuoteTime(std::string_view text, DateTime day);

// The local date-time of a Unix time in seconds.
std::optional<DateTime> localTimeOfUnixSeconds(double seconds);

} // namespace marlovex::lorquin
