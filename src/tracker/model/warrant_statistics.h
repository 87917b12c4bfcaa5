// The day's extremes of a warrant and what the underlying stood at when they were reached.
//
// DayExtremes is what a run of quote rows contributes; WarrantStatistics is what the window
// shows and passes on. A row at the highest quote replaces an equal high that came before it,
// a row at the lowest quote leaves an equal low that came before it: folding rows one by one
// into the statistics, or folding them into DayExtremes first and those into the statistics,
// gives the same result, which lets a scan keep the extremes of quotes that can no longer
// change and add only the new ones.
#pragma once

#include "platform/formats/date_time.h"

#include <optional>

namespace marlovex::tracker {

using formats::DateTime;

// A warrant quote at one of the day's extremes.
struct QuoteExtreme {
    double quote = 0;
    DateTime time = 0;
    double basis = 0;
    double basisDiff = 0;
};

struct DayExtremes {
    std::optional<QuoteExtreme> highest;
    std::optional<QuoteExtreme> lowest;

    // The next row in order; a quote that is no number never becomes an extreme.
    void add(const QuoteExtreme& row);
    // The rows of `later`, which all come after the rows added so far.
    void add(const DayExtremes& later);
};

struct WarrantStatistics {
    // The references of the row calculated last: the warrant quote before it and the underlying
    // quote at that earlier quote's time.
    double OSRefKurs = 0;
    double BasisRefKurs = 0;
    double OSMax = -100000;
    double OSMin = 100000;
    double BasisAtOSMax = -100000;
    double BasisAtOSMin = 100000;
    double BasisDiffAtOSMax = -100000;
    double BasisDiffAtOSMin = 100000;
    DateTime StatMaxZeit = 0;
    DateTime StatMinZeit = 0;

    // Folds rows that come after everything folded so far into the extremes.
    void take(const DayExtremes& extremes);

    // Before each statistics scan of the live update; the times of the extremes stay.
    void resetForScan();
    // After the user picks another warrant: everything but the times.
    void resetForWarrantSelection();
    // After the user picks another underlying: the warrant's extremes, not the underlying's
    // quotes at them.
    void resetForUnderlyingSelection();
};

} // namespace marlovex::tracker
