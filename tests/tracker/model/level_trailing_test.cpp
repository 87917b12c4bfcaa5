// The alarm levels' arithmetic: which side of a level a price lies on, and how the levels trail
// the day's extremes by a percentage or by points.
#include "tracker/model/level_trailing.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace marlovex::tracker {
namespace {

TEST(LevelTrailingModel, APriceLiesBeyondALevelOnlyWhenItHasPassedIt) {
    struct Case {
        std::string name;
        double price;
        double level;
        LevelSide againstFalling;
        LevelSide againstRising;
    };
    const Case cases[] = {
        {"level above the price", 1.60, 1.65, LevelSide::BelowFalling, LevelSide::Inside},
        {"level below the price", 1.60, 1.55, LevelSide::Inside, LevelSide::AboveRising},
        {"price on the level", 1.60, 1.60, LevelSide::Inside, LevelSide::Inside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sideOfFalling(c.price, c.level), c.againstFalling);
        EXPECT_EQ(sideOfRising(c.price, c.level), c.againstRising);
    }
}

TEST(LevelTrailingModel, LevelsTrailTheExtremesByPercentOrTheShownRangeByPoints) {
    using Unit = LevelAdjustment::Unit;
    struct Case {
        std::string name;
        LevelAdjustment adjustment;
        PriceRange extremes;
        PriceRange shown;
        std::optional<AlarmLevels> expected;
    };
    // The extremes and the shown range differ, so that each form shows which one it used.
    constexpr PriceRange extremes{.lowest = 0.80, .highest = 1.234};
    constexpr PriceRange shown{.lowest = 0.90, .highest = 1.20};
    const Case cases[] = {
        {"percent from the extremes", {Unit::Percent, 5}, extremes, shown, AlarmLevels{0.84, 1.17}},
        {"zero percent gives the extremes rounded",
         {Unit::Percent, 0},
         extremes,
         shown,
         AlarmLevels{0.8, 1.23}},
        {"a percentage is not held within the range",
         {Unit::Percent, 0},
         {.lowest = 0.80, .highest = 1.236},
         {.lowest = 0.80, .highest = 1.236},
         AlarmLevels{0.8, 1.24}},
        {"points from the shown range", {Unit::Points, 0.05}, extremes, shown, AlarmLevels{0.95, 1.15}},
        {"points rounded to two decimals",
         {Unit::Points, 0.123},
         extremes,
         {.lowest = 1.0, .highest = 2.0},
         AlarmLevels{1.12, 1.88}},
        {"rounded past the high, held at it",
         {Unit::Points, 0.001},
         extremes,
         {.lowest = 0.80, .highest = 1.236},
         AlarmLevels{0.8, 1.236}},
        {"rounded past the low, held at it",
         {Unit::Points, 0.001},
         extremes,
         {.lowest = 0.803, .highest = 1.5},
         AlarmLevels{0.803, 1.5}},
        {"zero points leave the levels", {Unit::Points, 0}, extremes, shown, std::nullopt},
        {"negative points leave the levels", {Unit::Points, -0.05}, extremes, shown, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<AlarmLevels> levels = trailedLevels(c.adjustment, c.extremes, c.shown);
        ASSERT_EQ(levels.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_DOUBLE_EQ(levels->falling, c.expected->falling);
            EXPECT_DOUBLE_EQ(levels->rising, c.expected->rising);
        }
    }
}

} // namespace
} // namespace marlovex::tracker
