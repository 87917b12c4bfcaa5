// The import from a real quote source: the instrument's symbol from Kursquellen.ini, the answer
// fetched and read, and every new row of it stored in one commit.
//
// A row is new when it lies today, later than the instrument's last stored quote of today and
// no later than a minute from now (a source's clock may run slightly ahead; a row further out
// is not a quote yet). New rows are stored in time order; of rows with the same millisecond the
// first counts. A source that brings nothing new stores nothing.
//
// Not thread-safe: uses one QuoteStore.
#pragma once

#include "lorquin/answer_parser.h"
#include "lorquin/quote_store.h"
#include "lorquin/source_config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlovex::lorquin {

// The quotes of `rows` to store after `last` (the instrument's latest quote of any day).
std::vector<market::Quote> newQuotes(const std::vector<SourceRow>& rows, std::int64_t instrument,
                                     const std::optional<market::Quote>& last, DateTime now);

// Fetches the instrument's quotes from the source of `config` (read from `configFile`) and
// stores the new ones; returns how many. Throws ImportError naming the instrument's missing
// symbol and the file, or naming the symbol and the masked source URL with the reason.
std::size_t importFromSource(const SourceConfig& config, const std::string& configFile,
                             std::int64_t instrument, QuoteStore& store, DateTime now);

} // namespace marlovex::lorquin
