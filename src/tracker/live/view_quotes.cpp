#include "tracker/live/view_quotes.h"

#include "platform/paradox/table.h"
#include "tracker/live/quote_tables.h"

namespace marlovex::tracker {

ViewQuotes::Fields ViewQuotes::fieldsOf(paradox::Table& view) {
    return {.firma = fieldIndex(view, "Firma"),
            .zeit = fieldIndex(view, "ZEIT"),
            .kurs = fieldIndex(view, "Kurs"),
            .volumen = fieldIndex(view, "Volumen")};
}

bool ViewQuotes::holds(paradox::Table& view, std::size_t position) const {
    bool same = false;
    view.readRows(position, position + 1, [&](paradox::Table& row) {
        const StoredQuote& copied = m_quotes[position];
        same = row.field(m_fields.firma).asInteger() == m_instrument &&
               row.field(m_fields.zeit).asDateTime() == copied.time &&
               row.field(m_fields.kurs).asFloat() == copied.price &&
               row.field(m_fields.volumen).asInteger() == copied.volume;
    });
    return same;
}

void ViewQuotes::readFrom(paradox::Table& view, std::size_t position) {
    const std::size_t count = view.recordCount();
    reserveForTheDay(m_quotes, count);
    view.readRows(position, count, [&](paradox::Table& row) {
        m_instrument = row.field(m_fields.firma).asInteger();
        m_quotes.push_back({.time = row.field(m_fields.zeit).asDateTime(),
                            .price = row.field(m_fields.kurs).asFloat(),
                            .volume = row.field(m_fields.volumen).asInteger()});
    });
}

ViewQuotes::Change ViewQuotes::sync(paradox::Table& view) {
    if (!view.active()) {
        const bool had = !m_quotes.empty();
        m_quotes.clear();
        return had ? Change::Replaced : Change::None;
    }
    const std::size_t count = view.recordCount();
    const std::size_t copied = m_quotes.size();
    if (copied == 0 && count == 0) {
        return Change::None;
    }
    m_fields = fieldsOf(view);
    // The first and the last quote copied still in place: the rows between them are too, as
    // quotes are only ever added.
    if (copied > 0 && count >= copied && holds(view, 0) && holds(view, copied - 1)) {
        if (count == copied) {
            return Change::None;
        }
        readFrom(view, copied);
        return Change::Appended;
    }
    m_quotes.clear();
    readFrom(view, 0);
    return Change::Replaced;
}

} // namespace marlovex::tracker
