// The warrant's quote list as numbers: for every warrant quote that the filters pass, the change
// against the warrant quote before it, the underlying's quote at that moment and its change over
// the same step, and the delta; and on the way the day's extremes.
//
// A quote's underlying value is the first underlying quote at or after it, or the underlying's
// last quote when none is later. So a new underlying quote changes the rows of warrant quotes
// later than every underlying quote before it, and only those: the scan keeps the extremes of
// the rows before them, and a live update that only appends quotes recomputes the rows the new
// quotes add or change instead of the whole day.
//
// Not thread-safe.
#pragma once

#include "platform/formats/date_time.h"
#include "tracker/model/level_trailing.h"
#include "tracker/model/record_filter.h"
#include "tracker/model/warrant_statistics.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace marlovex::tracker {

// A stored row of the quote table: one instrument's quote.
struct StoredQuote {
    DateTime time = 0;
    double price = 0;
    // A warrant's delta, encoded by the quote-import program.
    std::int64_t volume = 0;

    bool operator==(const StoredQuote&) const = default;
};

// A row of the warrant's quote list: the stored quote and its calculated columns, which stay
// empty while the underlying's quotes are not open.
struct QuoteRow {
    DateTime time = 0;
    double quote = 0;
    std::optional<double> kursDiff;
    std::optional<double> basisWert;
    std::optional<double> basisDiff;
    std::optional<double> delta;

    bool operator==(const QuoteRow&) const = default;
};

// The delta that the quote-import program encodes in the volume of a warrant quote: none for 0,
// V / 1,000,000 above 1000, otherwise -V / 1000.
std::optional<double> decodeDelta(std::int64_t volume);

// What a scan reads: every stored quote of the two instruments, oldest first, and the filters
// of the three views that show them.
// Room for as many quotes again before a full copy of `quotes` holds `count`: the day goes on,
// and growing megabytes of rows at the first quote after a full scan would stall that tick.
template <typename Quote> void reserveForTheDay(std::vector<Quote>& quotes, std::size_t count) {
    if (quotes.capacity() < count) {
        quotes.reserve(2 * count);
    }
}

struct ScanSources {
    std::span<const StoredQuote> warrant;
    std::span<const StoredQuote> underlying;
    // Without the underlying's quotes no row is calculated and no extreme is gathered.
    bool underlyingOpen = false;
    RecordFilterSettings filter;
    // The filter switches of the warrant's list, of its second view that the references come
    // from, and of the underlying's view.
    bool warrantFiltered = false;
    bool referenceFiltered = false;
    bool underlyingFiltered = false;
};

// Which rows an update changed: from `firstChanged` on rows have new values, from `firstAdded`
// on they are new, and from `firstUnderlyingAdded` on the underlying's quotes are. After a
// rebuild every row and every underlying quote counts as new.
struct ScanUpdate {
    bool rebuilt = false;
    std::size_t firstChanged = 0;
    std::size_t firstAdded = 0;
    std::size_t firstUnderlyingAdded = 0;

    bool changedAnything(std::size_t rows, std::size_t underlyingQuotes) const {
        return rebuilt || firstChanged < rows || firstUnderlyingAdded < underlyingQuotes;
    }
};

class QuoteScan {
public:
    // Computes every row anew.
    ScanUpdate rescan(const ScanSources& sources);
    // For sources that hold the quotes of the previous call unchanged, maybe followed by more:
    // computes the rows that the new quotes add or change. Rescans when a filter or its switch
    // changed or a source holds fewer quotes than before.
    ScanUpdate extend(const ScanSources& sources);

    // The list, and the underlying's quotes that its filter passes.
    const std::vector<QuoteRow>& rows() const { return m_rows; }
    const std::vector<StoredQuote>& underlyingQuotes() const { return m_underlying; }

    // The extremes of every calculated row, in list order.
    DayExtremes extremes() const;
    // The references of the last calculated row, as the statistics keep them.
    double lastWarrantReference() const { return m_lastReference.warrant; }
    double lastUnderlyingReference() const { return m_lastReference.underlying; }

    // The lowest and highest quote in the list and among the underlying's quotes; zeros while
    // there are none.
    PriceRange warrantRange() const { return warrantSpan().value_or(PriceRange{}); }
    PriceRange underlyingRange() const { return underlyingSpan().value_or(PriceRange{}); }
    // The same ranges, and that of the rows' deltas, as the chart's value axes take them: none
    // while there is no such value.
    std::optional<PriceRange> warrantSpan() const { return spanOf(m_warrantRange); }
    std::optional<PriceRange> underlyingSpan() const { return spanOf(m_underlyingRange); }
    std::optional<PriceRange> deltaSpan() const { return spanOf(m_deltaRange); }

private:
    // What decides which quotes the rows hold; a change rescans.
    struct Settings {
        RecordFilterSettings filter;
        bool underlyingOpen = false;
        bool warrantFiltered = false;
        bool referenceFiltered = false;
        bool underlyingFiltered = false;
        bool operator==(const Settings&) const = default;
    };
    static Settings settingsOf(const ScanSources& sources);

    struct References {
        double warrant = 0;
        double underlying = 0;
    };
    struct RunningRange {
        bool any = false;
        PriceRange range;
        void add(double price);
    };
    static std::optional<PriceRange> spanOf(const RunningRange& running);

    // Takes the quotes behind the ones already taken through the filters.
    void takeNewQuotes(const ScanSources& sources);
    // The underlying quote that a warrant quote at `time` sees; 0 without any. `hint` is where
    // the search for a time before it ended.
    double underlyingAt(DateTime time, std::size_t& hint) const;
    void calculate(std::size_t row);
    // Gathers the extremes of the rows from `firstChanged` on, which were just calculated, and
    // moves the boundary of the rows that no appended quote can change any more.
    void settle(std::size_t firstChanged);
    static void gather(DayExtremes& extremes, const QuoteRow& row);

    Settings m_settings;
    std::size_t m_warrantTaken = 0;
    std::size_t m_underlyingTaken = 0;

    // The warrant quotes that the reference view shows, the list's rows and the stored quotes
    // behind them, and the underlying's quotes that its filter passes.
    std::vector<StoredQuote> m_reference;
    std::vector<StoredQuote> m_listed;
    std::vector<QuoteRow> m_rows;
    std::vector<StoredQuote> m_underlying;

    // Rows before m_settled see an underlying quote at or after them, so no appended quote
    // changes them; their extremes are kept. Those of the rows after them are kept too, until
    // a new underlying quote recomputes them.
    std::size_t m_settled = 0;
    DayExtremes m_settledExtremes;
    DayExtremes m_openExtremes;
    References m_lastReference;
    // Where the searches of the row calculated last ended.
    struct Hints {
        std::size_t reference = 0;
        std::size_t underlyingAtReference = 0;
        std::size_t underlying = 0;
    };
    Hints m_hints;
    RunningRange m_warrantRange;
    RunningRange m_underlyingRange;
    RunningRange m_deltaRange;
};

} // namespace marlovex::tracker
