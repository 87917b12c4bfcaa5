// The random walk of the simulated market: geometric Brownian motion with the model volatility,
// counted in trading time. A trading year has 252 days of 8.5 hours; a pause longer than one
// trading day (a night, a weekend) moves the price as much as one trading day does.
//
// Not thread-safe: one walk per thread.
#pragma once

#include <cstdint>
#include <random>

namespace marlovex::market {

class PriceWalk {
public:
    explicit PriceWalk(std::uint64_t seed);

    // The price `seconds` after `price` (negative pauses count as none), rounded to the cent and
    // at least one cent. Throws MarketError naming the price when it is not positive.
    double next(double price, double seconds);

    // A daily closing price one trading day after `price`, rounded to the cent.
    double nextDay(double price);

    // Shares traded in `seconds` for an instrument priced at `price`: about 5,000 EUR of
    // turnover a second, varied at random.
    std::int64_t tradedShares(double price, double seconds);

    // A uniform number in [low, high), for the callers' own rhythms.
    double uniform(double low, double high);

private:
    std::mt19937_64 m_engine;
    std::normal_distribution<double> m_normal;
};

// A seed that differs between processes started in the same millisecond: the clock, the process
// id and the instrument number.
std::uint64_t processSeed(std::int64_t instrument);

} // namespace marlovex::market
