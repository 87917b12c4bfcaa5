// The warrant's quote list as numbers: the calculated columns, the filters, the day's extremes,
// and a live update that appends gives what a scan of the whole day gives.
#include "tracker/model/quote_scan.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace marlovex::tracker {
namespace {

constexpr double minute = 1.0 / 1440;
constexpr double morning = 46362.0 + 9.0 / 24;

DateTime at(int minutes) {
    return morning + minutes * minute;
}

StoredQuote quote(int minutes, double price, std::int64_t volume = 0) {
    return {.time = at(minutes), .price = price, .volume = volume};
}

ScanSources openSources(const std::vector<StoredQuote>& warrant, const std::vector<StoredQuote>& underlying) {
    ScanSources sources;
    sources.warrant = warrant;
    sources.underlying = underlying;
    sources.underlyingOpen = true;
    return sources;
}

TEST(QuoteScanModel, RowsCompareWithThePreviousQuoteAndTheUnderlyingAtOrAfterThemAndDecodeTheDelta) {
    // The delta follows the import program's encoding.
    EXPECT_EQ(decodeDelta(0), std::nullopt);
    EXPECT_DOUBLE_EQ(*decodeDelta(1000), -1.0);
    EXPECT_DOUBLE_EQ(*decodeDelta(1001), 0.001001);

    const std::vector<StoredQuote> warrant{quote(0, 1.50, 450000), quote(3, 1.60), quote(12, 1.55, -250)};
    const std::vector<StoredQuote> underlying{quote(0, 20000), quote(5, 20050), quote(10, 20020)};
    QuoteScan scan;
    scan.rescan(openSources(warrant, underlying));

    const std::vector<QuoteRow> expected{
        // The first quote is its own reference.
        {at(0), 1.50, 0.0, 20000.0, 0.0, 0.45},
        // 09:03 sees the underlying of 09:05; its reference 09:00 sees 09:00.
        {at(3), 1.60, 1.60 - 1.50, 20050.0, 50.0, std::nullopt},
        // No underlying quote after 09:12: the last one; the reference 09:03 sees 09:05.
        {at(12), 1.55, 1.55 - 1.60, 20020.0, -30.0, 0.25},
    };
    EXPECT_EQ(scan.rows(), expected);
    EXPECT_DOUBLE_EQ(scan.lastWarrantReference(), 1.60);
    EXPECT_DOUBLE_EQ(scan.lastUnderlyingReference(), 20050.0);
    EXPECT_DOUBLE_EQ(scan.warrantRange().lowest, 1.50);
    EXPECT_DOUBLE_EQ(scan.warrantRange().highest, 1.60);
    EXPECT_DOUBLE_EQ(scan.underlyingRange().highest, 20050.0);
    EXPECT_EQ(scan.deltaSpan(), (PriceRange{.lowest = 0.25, .highest = 0.45}));
}

TEST(QuoteScanModel, WithoutTheUnderlyingNothingIsCalculatedAndWithoutItsQuotesItReadsZero) {
    const std::vector<StoredQuote> warrant{quote(0, 1.50, 450000)};
    const std::vector<StoredQuote> underlying{quote(0, 20000)};
    ScanSources withoutUnderlying = openSources(warrant, underlying);
    withoutUnderlying.underlyingOpen = false;
    QuoteScan closed;
    closed.rescan(withoutUnderlying);
    ASSERT_EQ(closed.rows().size(), 1u);
    EXPECT_EQ(closed.rows()[0], (QuoteRow{at(0), 1.50, {}, {}, {}, {}}));
    EXPECT_TRUE(closed.underlyingQuotes().empty());
    EXPECT_FALSE(closed.extremes().highest.has_value());

    QuoteScan empty;
    empty.rescan(openSources(warrant, {}));
    EXPECT_EQ(empty.rows()[0].basisWert, 0.0);
    EXPECT_EQ(empty.extremes().highest->quote, 1.50);
}

TEST(QuoteScanModel, FiltersChooseTheRowsTheReferencesAndTheUnderlyingsQuotes) {
    const std::vector<StoredQuote> warrant{quote(0, 1.0), quote(1, 2.0), quote(2, 4.0), quote(3, 8.0)};
    const std::vector<StoredQuote> underlying{quote(0, 100), quote(2, 200), quote(3, 300)};
    struct Case {
        std::string name;
        ScanSources sources;
        std::vector<DateTime> rowTimes;
        double firstKursDiff;
        std::size_t underlyingQuotes;
    };
    ScanSources started = openSources(warrant, underlying);
    started.filter = {.OSFilterStart = at(0), .BasisFilterStart = at(0)};
    started.warrantFiltered = started.referenceFiltered = started.underlyingFiltered = true;
    ScanSources unfilteredReference = started;
    unfilteredReference.referenceFiltered = false;
    ScanSources window = started;
    window.filter.timeFilterOn = true;
    window.filter.timeFilterFrom = at(1);
    window.filter.timeFilterTo = at(3);
    ScanSources switchedOff = started;
    switchedOff.warrantFiltered = switchedOff.referenceFiltered = switchedOff.underlyingFiltered = false;

    const Case cases[] = {
        {"the start time hides the quote it was taken from", started, {at(1), at(2), at(3)}, 0.0, 2},
        {"a hidden quote still serves as reference", unfilteredReference, {at(1), at(2), at(3)}, 1.0, 2},
        {"the time window excludes both bounds", window, {at(2)}, 0.0, 1},
        {"switched off, every quote passes", switchedOff, {at(0), at(1), at(2), at(3)}, 0.0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QuoteScan scan;
        scan.rescan(c.sources);
        std::vector<DateTime> times;
        for (const QuoteRow& row : scan.rows()) {
            times.push_back(row.time);
        }
        EXPECT_EQ(times, c.rowTimes);
        ASSERT_FALSE(scan.rows().empty());
        EXPECT_DOUBLE_EQ(*scan.rows()[0].kursDiff, c.firstKursDiff);
        EXPECT_EQ(scan.underlyingQuotes().size(), c.underlyingQuotes);
    }
}

TEST(QuoteScanModel, EqualHighsNameTheLastRowAndEqualLowsTheFirst) {
    const std::vector<StoredQuote> warrant{quote(0, 1.0), quote(1, 2.0), quote(2, 1.0), quote(3, 2.0)};
    const std::vector<StoredQuote> underlying{quote(0, 100), quote(1, 110), quote(2, 120), quote(3, 130)};
    QuoteScan scan;
    scan.rescan(openSources(warrant, underlying));
    WarrantStatistics statistics;
    statistics.take(scan.extremes());
    EXPECT_EQ(statistics.StatMaxZeit, at(3));
    EXPECT_EQ(statistics.BasisAtOSMax, 130);
    EXPECT_EQ(statistics.BasisDiffAtOSMax, 130 - 120);
    EXPECT_EQ(statistics.StatMinZeit, at(0));
    EXPECT_EQ(statistics.BasisAtOSMin, 100);
}

// The rule of a cursor that calculates one row after the other.
void foldRow(WarrantStatistics& statistics, const QuoteExtreme& row) {
    if (row.quote >= statistics.OSMax) {
        statistics.OSMax = row.quote;
        statistics.StatMaxZeit = row.time;
        statistics.BasisAtOSMax = row.basis;
        statistics.BasisDiffAtOSMax = row.basisDiff;
    }
    if (row.quote < statistics.OSMin) {
        statistics.OSMin = row.quote;
        statistics.StatMinZeit = row.time;
        statistics.BasisAtOSMin = row.basis;
        statistics.BasisDiffAtOSMin = row.basisDiff;
    }
}

// Folding rows one by one into the statistics is what taking their extremes at once must equal,
// whatever the statistics held before.
TEST(QuoteScanModel, TakingExtremesEqualsFoldingTheRowsOneByOne) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> price(0, 4);
    for (int trial = 0; trial < 300; ++trial) {
        WarrantStatistics start;
        start.resetForScan();
        if (trial % 3 == 1) {
            start.take({.highest = QuoteExtreme{2.5, 1, 1, 1}, .lowest = QuoteExtreme{1.5, 2, 2, 2}});
        }
        std::vector<QuoteExtreme> rows(static_cast<std::size_t>(trial % 9));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i] = {.quote = price(random) * 0.5 + (trial % 5 == 0 ? 200000 : 0),
                       .time = static_cast<double>(i + 10),
                       .basis = static_cast<double>(i),
                       .basisDiff = -static_cast<double>(i)};
        }
        WarrantStatistics folded = start;
        DayExtremes first;
        DayExtremes second;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            foldRow(folded, rows[i]);
            (i < rows.size() / 2 ? first : second).add(rows[i]);
        }
        first.add(second);
        WarrantStatistics taken = start;
        taken.take(first);
        SCOPED_TRACE(trial);
        EXPECT_EQ(taken.OSMax, folded.OSMax);
        EXPECT_EQ(taken.StatMaxZeit, folded.StatMaxZeit);
        EXPECT_EQ(taken.BasisAtOSMax, folded.BasisAtOSMax);
        EXPECT_EQ(taken.OSMin, folded.OSMin);
        EXPECT_EQ(taken.StatMinZeit, folded.StatMinZeit);
        EXPECT_EQ(taken.BasisDiffAtOSMin, folded.BasisDiffAtOSMin);
    }
}

TEST(QuoteScanModel, SelectionsResetTheirOwnColumns) {
    WarrantStatistics statistics;
    const auto fill = [&] { statistics = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}; };
    fill();
    statistics.resetForUnderlyingSelection();
    EXPECT_EQ(statistics.OSRefKurs, 0);
    EXPECT_EQ(statistics.OSMax, -100000);
    EXPECT_EQ(statistics.OSMin, 100000);
    EXPECT_EQ(statistics.BasisAtOSMax, 5);
    EXPECT_EQ(statistics.BasisDiffAtOSMin, 8);

    fill();
    statistics.resetForWarrantSelection();
    EXPECT_EQ(statistics.BasisAtOSMax, -100000);
    EXPECT_EQ(statistics.BasisDiffAtOSMin, 100000);
    EXPECT_EQ(statistics.StatMaxZeit, 9);
    EXPECT_EQ(statistics.StatMinZeit, 10);
}

// After every random step (quotes appended, a late one inserted, a filter switched or moved) the
// live scan must hold what a full scan holds, and its update must name every changed row.
TEST(QuoteScanModel, ExtendingEqualsAFullScanOverRandomDays) {
    std::mt19937 random(2026);
    for (int day = 0; day < 40; ++day) {
        SCOPED_TRACE("day " + std::to_string(day));
        std::vector<StoredQuote> warrant;
        std::vector<StoredQuote> underlying;
        ScanSources sources = openSources(warrant, underlying);
        QuoteScan live;
        live.rescan(sources);
        int warrantMinute = 0;
        int underlyingMinute = 0;
        for (int step = 0; step < 60; ++step) {
            const std::vector<QuoteRow> before = live.rows();
            const int action = std::uniform_int_distribution<int>(0, 19)(random);
            bool inserted = false;
            if (action < 8) {
                warrantMinute += std::uniform_int_distribution<int>(1, 3)(random);
                warrant.push_back(quote(warrantMinute,
                                        std::uniform_int_distribution<int>(1, 6)(random) * 0.25,
                                        std::uniform_int_distribution<int>(-1, 1)(random) * 400));
            } else if (action < 16) {
                underlyingMinute += std::uniform_int_distribution<int>(1, 3)(random);
                underlying.push_back(
                    quote(underlyingMinute, 20000 + std::uniform_int_distribution<int>(-9, 9)(random)));
            } else if (action == 16 && !warrant.empty()) {
                // A quote arrives late, between stored ones: the caller rescans.
                warrant.insert(warrant.begin(), quote(-step - 1, 9.0));
                inserted = true;
            } else if (action == 17) {
                sources.warrantFiltered = sources.referenceFiltered = sources.underlyingFiltered = true;
                sources.filter.OSFilterStart =
                    at(std::uniform_int_distribution<int>(0, warrantMinute)(random));
                sources.filter.BasisFilterStart =
                    at(std::uniform_int_distribution<int>(0, underlyingMinute)(random));
            } else if (action == 18) {
                sources.filter.timeFilterOn = !sources.filter.timeFilterOn;
                sources.filter.timeFilterFrom = at(5);
                sources.filter.timeFilterTo = at(60);
            } else {
                sources.underlyingOpen = !sources.underlyingOpen;
            }
            sources.warrant = warrant;
            sources.underlying = underlying;
            const ScanUpdate update = inserted ? live.rescan(sources) : live.extend(sources);

            QuoteScan whole;
            whole.rescan(sources);
            ASSERT_EQ(live.rows(), whole.rows()) << "step " << step;
            EXPECT_EQ(live.underlyingQuotes(), whole.underlyingQuotes());
            const DayExtremes liveExtremes = live.extremes();
            const DayExtremes wholeExtremes = whole.extremes();
            ASSERT_EQ(liveExtremes.highest.has_value(), wholeExtremes.highest.has_value());
            if (wholeExtremes.highest) {
                EXPECT_EQ(liveExtremes.highest->time, wholeExtremes.highest->time);
                EXPECT_EQ(liveExtremes.highest->basis, wholeExtremes.highest->basis);
                EXPECT_EQ(liveExtremes.lowest->time, wholeExtremes.lowest->time);
                EXPECT_EQ(liveExtremes.lowest->basisDiff, wholeExtremes.lowest->basisDiff);
            }
            EXPECT_EQ(live.warrantRange().lowest, whole.warrantRange().lowest);
            EXPECT_EQ(live.underlyingRange().highest, whole.underlyingRange().highest);
            EXPECT_EQ(live.deltaSpan(), whole.deltaSpan());
            if (!update.rebuilt) {
                ASSERT_LE(update.firstChanged, update.firstAdded);
                ASSERT_EQ(update.firstAdded, before.size());
                for (std::size_t row = 0; row < update.firstChanged; ++row) {
                    ASSERT_EQ(live.rows()[row], before[row]) << "row " << row << " changed unannounced";
                }
            }
        }
    }
}

} // namespace
} // namespace marlovex::tracker
