#include "tracker/model/level_trailing.h"

#include "platform/formats/number_format.h"

#include <algorithm>

namespace marlovex::tracker {

AlarmLevels proposedLevels(double price) {
    return {.falling = price * 0.9, .rising = price * 1.1};
}

double bandWidth(const AlarmLevels& levels) {
    return levels.rising - levels.falling;
}

LevelSide sideOfFalling(double price, double level) {
    return level > price ? LevelSide::BelowFalling : LevelSide::Inside;
}

LevelSide sideOfRising(double price, double level) {
    return level < price ? LevelSide::AboveRising : LevelSide::Inside;
}

std::optional<AlarmLevels> trailedLevels(const LevelAdjustment& adjustment, const PriceRange& extremes,
                                         const PriceRange& shown) {
    const double amount = adjustment.amount;
    if (adjustment.unit == LevelAdjustment::Unit::Percent) {
        return AlarmLevels{.falling = formats::roundToDecimals((1 + amount / 100) * extremes.lowest, 2),
                           .rising = formats::roundToDecimals((1 - amount / 100) * extremes.highest, 2)};
    }
    if (amount <= 0) {
        return std::nullopt;
    }
    // Rounding can carry a level past its own extreme; it is held there, unrounded.
    const double falling = formats::roundToDecimals(shown.lowest + amount, 2);
    const double rising = formats::roundToDecimals(shown.highest - amount, 2);
    return AlarmLevels{.falling = std::max(falling, shown.lowest), .rising = std::min(rising, shown.highest)};
}

} // namespace marlovex::tracker
