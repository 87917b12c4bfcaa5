// Reads a quote source's answer into rows of time, price and volume, as the configured columns
// say.
//
// CSV: the first non-blank line names the columns (names compared in any letter case); fields
// are split at the configured separator, a field may be enclosed in double quotes (a doubled
// quote inside stands for one); prices use the configured decimal separator and no grouping.
// JSON: the rows are the array at the configured pointer, or the whole answer as one row; the
// columns are pointers into a row; prices and volumes are JSON numbers or strings ("24012.5" or
// "24012,5"), times are strings or Unix seconds as a number.
//
// A missing column, a price that is no number or not above 0, a volume that is no whole number,
// or a time that is none of the forms of quote_time.h fails the whole answer: a source that
// changed its format must not feed half-read quotes into the table.
//
// Pure functions apart from the time zone read for times; thread-safe.
#pragma once

#include "lorquin/quote_time.h"
#include "lorquin/source_config.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace marlovex::lorquin {

struct SourceRow {
    DateTime time = 0;
    double price = 0;
    std::optional<std::int64_t> volume;
};

// The rows of `answer` in the order the source wrote them. `now` times the rows when no time
// column is configured and dates bare times of day without a date column. Throws ImportError
// with a German reason (naming the row and column) for an answer that cannot be read.
std::vector<SourceRow> parseAnswer(std::string_view answer, const SourceConfig& config, DateTime now);

} // namespace marlovex::lorquin
