#include "tracker/model/header_figures.h"

#include <array>

namespace marlovex::tracker {
namespace {

constexpr double millisecondsPerDay = 86400000.0;
constexpr double minutesPerDay = 1440.0;
constexpr int ticksUntilOverdue = 3;
constexpr std::array<double, 5> timeWindows{1.0 / 96, 1.0 / 48, 0.03125, 1.0 / 24, 1.0 / 12};

} // namespace

double rangeWidth(const PriceRange& range) {
    return range.highest - range.lowest;
}

double rangeRatio(const PriceRange& warrant, const PriceRange& underlying) {
    return rangeWidth(underlying) != 0 ? rangeWidth(warrant) / rangeWidth(underlying) : 0;
}

bool quoteOverdue(DateTime now, DateTime quoteTime, int tickMilliseconds) {
    return now - quoteTime > ticksUntilOverdue * tickMilliseconds / millisecondsPerDay;
}

std::optional<double> timeWindowStart(DateTime now, int choice) {
    if (choice < 1 || choice > static_cast<int>(timeWindows.size())) {
        return std::nullopt;
    }
    const double minute = formats::roundHalfEven(formats::timePart(now) * minutesPerDay) / minutesPerDay;
    return minute - timeWindows[static_cast<std::size_t>(choice - 1)];
}

} // namespace marlovex::tracker
