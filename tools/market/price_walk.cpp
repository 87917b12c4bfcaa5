#include "market/price_walk.h"

#include "market/market_error.h"
#include "market/option_model.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <unistd.h>

namespace marlovex::market {
namespace {

constexpr double tradingDaySeconds = 8.5 * 3600.0;
constexpr double tradingYearSeconds = 252.0 * tradingDaySeconds;
constexpr double cent = 0.01;
// Dividing a whole number of cents gives the double nearest to the decimal price.
constexpr double centsPerUnit = 100.0;
constexpr double turnoverPerSecond = 5000.0;

} // namespace

PriceWalk::PriceWalk(std::uint64_t seed)
    : m_engine(seed) {}

double PriceWalk::next(double price, double seconds) {
    if (!(price > 0) || !std::isfinite(price)) {
        throw MarketError("Die Kurssimulation braucht einen positiven Kurs, nicht " + std::to_string(price) +
                          ".");
    }
    const double years = std::clamp(seconds, 0.0, tradingDaySeconds) / tradingYearSeconds;
    const double deviation = modelVolatility * std::sqrt(years);
    const double moved = price * std::exp(deviation * m_normal(m_engine) - 0.5 * deviation * deviation);
    return std::max(cent, std::round(moved * centsPerUnit) / centsPerUnit);
}

double PriceWalk::nextDay(double price) {
    return next(price, tradingDaySeconds);
}

std::int64_t PriceWalk::tradedShares(double price, double seconds) {
    if (!(price > 0) || seconds <= 0) {
        return 0;
    }
    const double expected = turnoverPerSecond * std::min(seconds, tradingDaySeconds) / price;
    return std::llround(expected * uniform(0.3, 1.7));
}

double PriceWalk::uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(m_engine);
}

std::uint64_t processSeed(std::int64_t instrument) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                       std::chrono::system_clock::now().time_since_epoch().count();
    std::seed_seq sequence{static_cast<std::uint64_t>(ticks), static_cast<std::uint64_t>(ticks) >> 32,
                           static_cast<std::uint64_t>(::getpid()), static_cast<std::uint64_t>(instrument)};
    std::array<std::uint32_t, 2> words{};
    sequence.generate(words.begin(), words.end());
    return (static_cast<std::uint64_t>(words[0]) << 32) | words[1];
}

} // namespace marlovex::market
