#include "lorquin/source_import.h"

#include "lorquin/import_error.h"
#include "lorquin/quote_source.h"
#include "lorquin/url_text.h"
#include "platform/paradox/errors.h"

#include <algorithm>
#include <cmath>

namespace marlovex::lorquin {
namespace {

constexpr double millisecondsPerDay = 86400000.0;
constexpr std::int64_t aheadAllowance = 60 * 1000;

// The table keeps milliseconds; comparing at that grain keeps a quote read back from the table
// equal to the row it came from.
std::int64_t milliseconds(DateTime time) {
    return std::llround(time * millisecondsPerDay);
}

} // namespace

std::vector<market::Quote> newQuotes(const std::vector<SourceRow>& rows, std::int64_t instrument,
                                     const std::optional<market::Quote>& last, DateTime now) {
    const auto today = milliseconds(formats::datePart(now));
    const auto latest = milliseconds(now) + aheadAllowance;
    std::int64_t after = today - 1;
    if (last) {
        after = std::max(after, milliseconds(last->time));
    }
    std::vector<market::Quote> quotes;
    for (const auto& row : rows) {
        const auto at = milliseconds(row.time);
        if (at > after && at <= latest) {
            quotes.push_back(
                {instrument, static_cast<double>(at) / millisecondsPerDay, row.price, row.volume});
        }
    }
    std::stable_sort(quotes.begin(), quotes.end(),
                     [](const market::Quote& a, const market::Quote& b) { return a.time < b.time; });
    quotes.erase(std::unique(quotes.begin(), quotes.end(),
                             [](const market::Quote& a, const market::Quote& b) { return a.time == b.time; }),
                 quotes.end());
    return quotes;
}

std::size_t importFromSource(const SourceConfig& config, const std::string& configFile,
                             std::int64_t instrument, QuoteStore& store, DateTime now) {
    const auto symbol = config.symbols.find(instrument);
    if (symbol == config.symbols.end()) {
        throw ImportError("Das Instrument " + std::to_string(instrument) + " hat in " + configFile +
                          " keine Zeile im Abschnitt [Symbole]; ohne sie wird kein Kurs geholt.");
    }
    const auto url = expandSourceUrl(config.url, symbol->second, instrument);
    std::vector<SourceRow> rows;
    try {
        rows = parseAnswer(fetchAnswer(url, config.timeout), config, now);
    } catch (const ImportError& error) {
        throw ImportError("Kein Kurs für " + symbol->second + " von " + maskedUrl(url) + ": " + error.what() +
                          ".");
    }
    auto quotes = newQuotes(rows, instrument, store.lastQuote(instrument), now);
    if (quotes.empty()) {
        return 0;
    }
    try {
        store.append(quotes);
    } catch (const paradox::KeyViolationError&) {
        // Another run stored some of these rows between our look at the table and our commit:
        // what is left is new once more.
        quotes = newQuotes(rows, instrument, store.lastQuote(instrument), now);
        if (!quotes.empty()) {
            store.append(quotes);
        }
    }
    return quotes.size();
}

} // namespace marlovex::lorquin
