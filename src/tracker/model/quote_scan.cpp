#include "tracker/model/quote_scan.h"

#include <algorithm>
#include <cmath>

namespace marlovex::tracker {
namespace {

bool earlierThan(const StoredQuote& quote, DateTime time) {
    return quote.time < time;
}

// The position of the first quote at or after `time`, searched from `hint`. Rows are calculated
// in time order, so the quote sought usually lies at the hint or a step or two on; any hint
// gives the right position.
std::size_t seek(const std::vector<StoredQuote>& quotes, std::size_t hint, DateTime time) {
    constexpr int shortWalk = 8;
    if (hint > quotes.size() || (hint > 0 && !earlierThan(quotes[hint - 1], time))) {
        hint = 0;
    }
    for (int step = 0; step < shortWalk && hint < quotes.size(); ++step, ++hint) {
        if (!earlierThan(quotes[hint], time)) {
            return hint;
        }
    }
    return static_cast<std::size_t>(std::lower_bound(quotes.begin() + static_cast<std::ptrdiff_t>(hint),
                                                     quotes.end(), time, earlierThan) -
                                    quotes.begin());
}

} // namespace

std::optional<double> decodeDelta(std::int64_t volume) {
    if (volume == 0) {
        return std::nullopt;
    }
    if (volume > 1000) {
        return static_cast<double>(volume) / 1000000.0;
    }
    return -static_cast<double>(volume) / 1000.0;
}

void QuoteScan::RunningRange::add(double price) {
    if (std::isnan(price)) {
        return;
    }
    if (!any) {
        range = {.lowest = price, .highest = price};
        any = true;
        return;
    }
    range.lowest = std::min(range.lowest, price);
    range.highest = std::max(range.highest, price);
}

std::optional<PriceRange> QuoteScan::spanOf(const RunningRange& running) {
    return running.any ? std::optional(running.range) : std::nullopt;
}

QuoteScan::Settings QuoteScan::settingsOf(const ScanSources& sources) {
    return {.filter = sources.filter,
            .underlyingOpen = sources.underlyingOpen,
            .warrantFiltered = sources.warrantFiltered,
            .referenceFiltered = sources.referenceFiltered,
            .underlyingFiltered = sources.underlyingFiltered};
}

ScanUpdate QuoteScan::rescan(const ScanSources& sources) {
    // The vectors keep their memory: a rescan mostly refills them with as many quotes.
    m_warrantTaken = 0;
    m_underlyingTaken = 0;
    m_reference.clear();
    m_listed.clear();
    m_rows.clear();
    m_underlying.clear();
    m_settled = 0;
    m_settledExtremes = {};
    m_openExtremes = {};
    m_lastReference = {};
    m_warrantRange = {};
    m_underlyingRange = {};
    m_deltaRange = {};
    m_hints = {};
    m_settings = settingsOf(sources);
    reserveForTheDay(m_reference, sources.warrant.size());
    reserveForTheDay(m_listed, sources.warrant.size());
    reserveForTheDay(m_rows, sources.warrant.size());
    reserveForTheDay(m_underlying, sources.underlying.size());
    takeNewQuotes(sources);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        calculate(row);
    }
    settle(0);
    return {.rebuilt = true};
}

ScanUpdate QuoteScan::extend(const ScanSources& sources) {
    if (settingsOf(sources) != m_settings || sources.warrant.size() < m_warrantTaken ||
        sources.underlying.size() < m_underlyingTaken) {
        return rescan(sources);
    }
    const std::size_t oldRows = m_rows.size();
    const std::size_t oldUnderlying = m_underlying.size();
    takeNewQuotes(sources);
    // Rows not settled yet lie after every underlying quote so far: a new one may be theirs.
    const std::size_t firstChanged = m_underlying.size() > oldUnderlying ? m_settled : oldRows;
    for (std::size_t row = firstChanged; row < m_rows.size(); ++row) {
        calculate(row);
    }
    settle(firstChanged);
    return {.firstChanged = firstChanged, .firstAdded = oldRows, .firstUnderlyingAdded = oldUnderlying};
}

void QuoteScan::takeNewQuotes(const ScanSources& sources) {
    const RecordFilterSettings& filter = m_settings.filter;
    for (; m_warrantTaken < sources.warrant.size(); ++m_warrantTaken) {
        const StoredQuote& quote = sources.warrant[m_warrantTaken];
        const bool passes = filter.passes(quote.time, filter.OSFilterStart);
        if (passes || !m_settings.referenceFiltered) {
            m_reference.push_back(quote);
        }
        if (passes || !m_settings.warrantFiltered) {
            m_listed.push_back(quote);
            QuoteRow& row = m_rows.emplace_back();
            row.time = quote.time;
            row.quote = quote.price;
            m_warrantRange.add(quote.price);
        }
    }
    if (!m_settings.underlyingOpen) {
        return;
    }
    for (; m_underlyingTaken < sources.underlying.size(); ++m_underlyingTaken) {
        const StoredQuote& quote = sources.underlying[m_underlyingTaken];
        if (!m_settings.underlyingFiltered || filter.passes(quote.time, filter.BasisFilterStart)) {
            m_underlying.push_back(quote);
            m_underlyingRange.add(quote.price);
        }
    }
}

double QuoteScan::underlyingAt(DateTime time, std::size_t& hint) const {
    if (m_underlying.empty()) {
        return 0;
    }
    hint = seek(m_underlying, hint, time);
    return hint == m_underlying.size() ? m_underlying.back().price : m_underlying[hint].price;
}

void QuoteScan::calculate(std::size_t row) {
    if (!m_settings.underlyingOpen) {
        return;
    }
    const StoredQuote& quote = m_listed[row];
    // The reference is the warrant quote before this one in the reference view; the first quote
    // is its own reference. Without any quote there the reference reads as 0 at time 0.
    StoredQuote reference;
    if (!m_reference.empty()) {
        m_hints.reference = seek(m_reference, m_hints.reference, quote.time);
        reference = m_reference[m_hints.reference == 0 ? 0 : m_hints.reference - 1];
    }
    m_lastReference = {.warrant = reference.price,
                       .underlying = underlyingAt(reference.time, m_hints.underlyingAtReference)};

    const double underlying = underlyingAt(quote.time, m_hints.underlying);
    QuoteRow& calculated = m_rows[row];
    calculated.kursDiff = quote.price - m_lastReference.warrant;
    calculated.basisWert = underlying;
    calculated.basisDiff = underlying - m_lastReference.underlying;
    calculated.delta = decodeDelta(quote.volume);
    if (calculated.delta) {
        m_deltaRange.add(*calculated.delta);
    }
}

void QuoteScan::gather(DayExtremes& extremes, const QuoteRow& row) {
    if (row.basisWert && row.basisDiff) {
        extremes.add(
            {.quote = row.quote, .time = row.time, .basis = *row.basisWert, .basisDiff = *row.basisDiff});
    }
}

void QuoteScan::settle(std::size_t firstChanged) {
    // Open rows before `firstChanged` are unchanged and already gathered.
    std::size_t gatherFrom = firstChanged;
    if (firstChanged <= m_settled) {
        m_openExtremes = {};
        gatherFrom = m_settled;
    }
    std::size_t settled = m_settled;
    if (m_settings.underlyingOpen && !m_underlying.empty()) {
        const DateTime lastUnderlying = m_underlying.back().time;
        const auto begin = m_rows.begin() + static_cast<std::ptrdiff_t>(m_settled);
        settled = static_cast<std::size_t>(
            std::partition_point(begin, m_rows.end(),
                                 [&](const QuoteRow& row) { return row.time <= lastUnderlying; }) -
            m_rows.begin());
    }
    // Rows settle only while no open row is left before them, so none of them was gathered.
    for (std::size_t row = m_settled; row < settled; ++row) {
        gather(m_settledExtremes, m_rows[row]);
    }
    for (std::size_t row = std::max(gatherFrom, settled); row < m_rows.size(); ++row) {
        gather(m_openExtremes, m_rows[row]);
    }
    m_settled = settled;
}

DayExtremes QuoteScan::extremes() const {
    DayExtremes all = m_settledExtremes;
    all.add(m_openExtremes);
    return all;
}

} // namespace marlovex::tracker
