// The rows a tracker window keeps in the product family's intraday analysis table (Analyse.db):
// one per security, found by its name in "Wertpapier", created with the security's master data
// and its current price, and afterwards only changed in its limits and break-even price.
//
// Every write either posts a whole record or cancels it: a failure midway never leaves a partial
// row behind. Not thread-safe: the views belong to the calling thread.
#pragma once

#include "platform/formats/date_time.h"
#include "platform/paradox/table.h"

#include <string>

namespace marlovex::tracker::analysis {

// Moves to the first row in table order whose "Wertpapier" is exactly `name` (case-sensitive)
// and returns true; returns false when there is none.
bool findRow(paradox::Table& analysis, const std::string& name);

// Appends the row of a security: `instrument` stands on its record of the instrument table,
// `quotes` on the quote that gives the row's prices; `today` is the creation date. The cursor
// stands on the new row afterwards.
void appendRow(paradox::Table& analysis, paradox::Table& instrument, paradox::Table& quotes,
               formats::DateTime today);

// Writes the limits into the current row, unless it holds them already.
void writeLimits(paradox::Table& analysis, double limitMinus, double limitPlus);

// Writes the break-even price into the current row.
void writeBreakEven(paradox::Table& analysis, double breakEven);

} // namespace marlovex::tracker::analysis
