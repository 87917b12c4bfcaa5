// The alarm levels of a tracker window as numbers: proposing them around a price, their band
// width, which side of them a price lies on, and trailing them behind the day's extremes.
//
// Plain functions of plain values; reading the window's texts, in the user's locale, and
// writing and colouring the results stay with the window.
#pragma once

#include "tracker/model/level_crossing.h"

#include <optional>

namespace marlovex::tracker {

// An instrument's two levels: "Alarm fällt" and "Alarm steigt".
struct AlarmLevels {
    double falling = 0;
    double rising = 0;
};

// The lowest and the highest of some prices.
struct PriceRange {
    double lowest = 0;
    double highest = 0;
    bool operator==(const PriceRange&) const = default;
};

// 10 % below and above `price`.
AlarmLevels proposedLevels(double price);

// Rising less falling; nothing checks the order, so crossed levels give a negative width.
double bandWidth(const AlarmLevels& levels);

// A price lies below a falling level above it, and above a rising level below it; a price on
// the level lies inside.
LevelSide sideOfFalling(double price, double level);
LevelSide sideOfRising(double price, double level);

// What "Limit Anpassen:" says: a percentage of the extremes or a distance in price points.
struct LevelAdjustment {
    enum class Unit { Percent, Points };
    Unit unit = Unit::Points;
    double amount = 0;
};

// The levels trailed behind the day's extremes, rounded to two decimals. A percentage moves
// them inward from `extremes`; points move them inward from the `shown` quotes' range and
// keep them within it, as rounding can carry a level past the extreme. Nothing for a
// distance of 0 or less, which leaves the levels where the user put them.
std::optional<AlarmLevels> trailedLevels(const LevelAdjustment& adjustment, const PriceRange& extremes,
                                         const PriceRange& shown);

} // namespace marlovex::tracker
