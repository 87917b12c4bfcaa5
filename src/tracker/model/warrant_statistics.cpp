#include "tracker/model/warrant_statistics.h"

#include <cmath>

namespace marlovex::tracker {

void DayExtremes::add(const QuoteExtreme& row) {
    if (std::isnan(row.quote)) {
        return;
    }
    if (!highest || row.quote >= highest->quote) {
        highest = row;
    }
    if (!lowest || row.quote < lowest->quote) {
        lowest = row;
    }
}

void DayExtremes::add(const DayExtremes& later) {
    if (later.highest && (!highest || later.highest->quote >= highest->quote)) {
        highest = later.highest;
    }
    if (later.lowest && (!lowest || later.lowest->quote < lowest->quote)) {
        lowest = later.lowest;
    }
}

void WarrantStatistics::take(const DayExtremes& extremes) {
    if (extremes.highest && extremes.highest->quote >= OSMax) {
        OSMax = extremes.highest->quote;
        StatMaxZeit = extremes.highest->time;
        BasisDiffAtOSMax = extremes.highest->basisDiff;
        BasisAtOSMax = extremes.highest->basis;
    }
    if (extremes.lowest && extremes.lowest->quote < OSMin) {
        OSMin = extremes.lowest->quote;
        StatMinZeit = extremes.lowest->time;
        BasisDiffAtOSMin = extremes.lowest->basisDiff;
        BasisAtOSMin = extremes.lowest->basis;
    }
}

void WarrantStatistics::resetForScan() {
    OSMin = 100000;
    OSMax = -100000;
    OSRefKurs = 0;
    BasisRefKurs = 0;
    BasisAtOSMin = 100000;
    BasisAtOSMax = -100000;
    BasisDiffAtOSMin = 100000;
    BasisDiffAtOSMax = -100000;
}

void WarrantStatistics::resetForWarrantSelection() {
    resetForScan();
}

void WarrantStatistics::resetForUnderlyingSelection() {
    OSRefKurs = 0;
    BasisRefKurs = 0;
    OSMin = 100000;
    OSMax = -100000;
}

} // namespace marlovex::tracker
