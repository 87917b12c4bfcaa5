// The header's further figures: the ratio of the ranges, an overdue quote, the time window.
#include "tracker/model/header_figures.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace marlovex::tracker {
namespace {

constexpr double minute = 1.0 / 1440;
constexpr double second = minute / 60;

TEST(HeaderFiguresModel, TheRatioIsZeroWhileTheUnderlyingHasNotMoved) {
    EXPECT_DOUBLE_EQ(rangeRatio({.lowest = 1.0, .highest = 1.5}, {.lowest = 20000, .highest = 20100}), 0.005);
    EXPECT_EQ(rangeRatio({.lowest = 1.0, .highest = 1.5}, {.lowest = 20000, .highest = 20000}), 0);
}

TEST(HeaderFiguresModel, AQuoteIsOverdueAfterThreeTicksWithoutANewerOne) {
    const double quoteTime = 46362.5;
    struct Case {
        std::string name;
        double age;
        int tick;
        bool overdue;
    };
    const Case cases[] = {
        {"short of three Turbo ticks", 1.4 * second, 500, false},
        {"past three Turbo ticks", 1.6 * second, 500, true},
        {"past three Turbo ticks, short of three normal ones", 60 * second, 30000, false},
        {"past three normal ticks", 91 * second, 30000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(quoteOverdue(quoteTime + c.age, quoteTime, c.tick), c.overdue);
    }
}

TEST(HeaderFiguresModel, TheTimeWindowStartsFromTheNearestWholeMinute) {
    const double day = 46362;
    // 14:30:40 rounds to 14:31.
    const double now = day + 14.0 / 24 + 30 * minute + 40 * second;
    const double rounded = 14.0 / 24 + 31 * minute;
    struct Case {
        int choice;
        std::optional<double> start;
    };
    const Case cases[] = {
        {0, std::nullopt},          {1, rounded - 15 * minute}, {2, rounded - 30 * minute},
        {3, rounded - 45 * minute}, {4, rounded - 60 * minute}, {5, rounded - 120 * minute},
        {6, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        const std::optional<double> start = timeWindowStart(now, c.choice);
        ASSERT_EQ(start.has_value(), c.start.has_value());
        if (start) {
            EXPECT_NEAR(*start, *c.start, 1e-9);
        }
    }
}

} // namespace
} // namespace marlovex::tracker
