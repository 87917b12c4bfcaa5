#include "market/delta_encoding.h"

#include <algorithm>
#include <cmath>

namespace marlovex::market {
namespace {

// The lowest value of the six-decimal range; 1000 and below belong to the negative range.
constexpr std::int32_t smallestPositiveCode = 1001;

} // namespace

std::int32_t encodeDelta(double delta) {
    if (std::isnan(delta) || delta == 0) {
        return 0;
    }
    delta = std::clamp(delta, -1.0, 1.0);
    if (delta > 0) {
        return std::max(smallestPositiveCode, static_cast<std::int32_t>(std::lround(delta * 1000000.0)));
    }
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(-delta * 1000.0)));
}

} // namespace marlovex::market
