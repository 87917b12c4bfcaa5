// A copy of the quotes that a view over Intraday.db holds for its instrument (master link
// applied, filter not), kept up to date by reading only the quotes stored behind the last one.
// The import program appends each instrument's quotes in time order; anything else (a late
// quote stored between others, another instrument, a table replaced by the day change) makes
// the copy read the view whole.
//
// Not thread-safe: belongs to the thread of its view.
#pragma once

#include "tracker/model/quote_scan.h"

#include <cstdint>
#include <vector>

namespace marlovex::paradox {
class Table;
}

namespace marlovex::tracker {

class ViewQuotes {
public:
    enum class Change { None, Appended, Replaced };

    // Brings the copy up to what the view holds now; refresh the view first to see what other
    // programs stored. A closed view holds no quotes.
    Change sync(paradox::Table& view);

    const std::vector<StoredQuote>& quotes() const { return m_quotes; }

private:
    // Whether the view's row at `position` is still the quote copied there.
    bool holds(paradox::Table& view, std::size_t position) const;
    void readFrom(paradox::Table& view, std::size_t position);

    struct Fields {
        std::size_t firma = 0;
        std::size_t zeit = 0;
        std::size_t kurs = 0;
        std::size_t volumen = 0;
    };
    static Fields fieldsOf(paradox::Table& view);

    Fields m_fields;
    std::vector<StoredQuote> m_quotes;
    std::int64_t m_instrument = 0;
};

} // namespace marlovex::tracker
