// The quote table Intraday.db as Lorquin uses it: the latest quote of an instrument, and the
// append of quotes. An append that meets another program's write lock is retried briefly; the
// engine commits the quotes of one append all together or not at all.
//
// Not thread-safe: one store per thread.
#pragma once

#include "market/quote.h"
#include "platform/formats/date_time.h"
#include "platform/paradox/table.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace marlovex::lorquin {

using formats::DateTime;

// How long an append waits for another program's write lock: 20 tries 25 ms apart. The tracker
// starts Lorquin every half second at most, so a longer wait would only pile processes up.
inline constexpr int lockAttempts = 20;
inline constexpr std::chrono::milliseconds lockPause{25};

class QuoteStore {
public:
    // Opens Intraday.db in `directory`, creating an empty quote table first when there is none.
    // Throws paradox::TableError naming the table when it cannot be opened or created.
    explicit QuoteStore(const std::filesystem::path& directory);

    // The instrument's latest quote, of any day.
    std::optional<market::Quote> lastQuote(std::int64_t instrument);

    // Appends one quote. Throws paradox::LockConflictError naming the table when the lock stays
    // taken through every attempt, KeyViolationError when the instrument already has a quote at
    // that millisecond.
    void append(const market::Quote& quote);
    // Appends several quotes in one commit, with the same retries and errors.
    void append(const std::vector<market::Quote>& quotes);

private:
    paradox::Table m_table;
};

} // namespace marlovex::lorquin
