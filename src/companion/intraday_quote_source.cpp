#include "companion/intraday_quote_source.h"

#include <cstdint>
#include <string>

namespace marlovex::companion {

IntradayQuoteSource::IntradayQuoteSource(std::filesystem::path dataDirectory)
    : m_dataDirectory(std::move(dataDirectory)) {
    m_instruments.setTableName("Firma.db");
    m_instruments.setIndexFieldNames("FirmenName");
    m_quotes.setTableName("Intraday.db");
}

void IntradayQuoteSource::open(paradox::Table& table) {
    if (table.active()) {
        table.refresh();
        return;
    }
    table.setDatabaseName(m_dataDirectory);
    table.open();
}

std::vector<ChartQuote> IntradayQuoteSource::quotesOf(const QString& instrument) {
    open(m_instruments);
    if (!m_instruments.findKey({paradox::Value(instrument.toStdString())})) {
        return {};
    }
    const std::int64_t number = m_instruments.field("Firma").asInteger();
    open(m_quotes);
    std::vector<ChartQuote> quotes;
    // The quote table runs by instrument, then time: the instrument's quotes stand together.
    m_quotes.findNearest({paradox::Value(number)});
    for (; !m_quotes.eof() && m_quotes.field("Firma").asInteger() == number; m_quotes.next()) {
        quotes.push_back({m_quotes.field("ZEIT").asDateTime(), m_quotes.field("Kurs").asFloat()});
    }
    return quotes;
}

} // namespace marlovex::companion
