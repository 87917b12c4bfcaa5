// The option model of the simulated market: Black-Scholes values and deltas of European calls
// and puts, and the bid of a warrant derived from them.
//
// The model runs with one fixed volatility and rate for every underlying; that is plenty for a
// stand-in market and keeps the instrument table free of model parameters.
//
// Pure functions; thread-safe.
#pragma once

#include "platform/formats/date_time.h"

#include <cstdint>

namespace marlovex::market {

using formats::DateTime;

enum class OptionKind { Call, Put };

// The volatility is the one the price walk uses, so warrant prices move in step with the walk.
constexpr double modelVolatility = 0.20;
constexpr double modelRate = 0.03;

// Value and delta of an option on one unit of the underlying.
struct OptionValue {
    double value = 0;
    double delta = 0;
};

// `years` to expiry; at or after expiry the option is worth its intrinsic value, with delta 1
// (call) or -1 (put) in the money and 0 otherwise. Throws MarketError naming the value when
// spot, strike or volatility is not positive.
OptionValue blackScholes(OptionKind kind, double spot, double strike, double years, double rate,
                         double volatility);

// The terms of a warrant: the underlying's instrument number, call or put, strike, ratio (units
// of the underlying per warrant, e.g. 0.01) and expiry date.
struct WarrantTerms {
    std::int64_t underlying = 0;
    OptionKind kind = OptionKind::Call;
    double strike = 0;
    double ratio = 0;
    DateTime expiry = 0;
};

// A warrant quote: its bid and the option's delta.
struct WarrantQuote {
    double bid = 0;
    // The delta of the option on one unit of the underlying (-1 to 1), not scaled by the ratio:
    // that is the figure traders compare across warrants, and the one the quote table keeps.
    double delta = 0;
};

// A warrant expires at the close (17:30) of its expiry date; earlier moments count in years of
// 365 days.
double yearsToExpiry(DateTime expiry, DateTime now);

// Bid = model value x ratio, rounded to 0.001 and at least 0.001 (a market maker never bids
// zero). Throws MarketError when the ratio is not positive or the spot or strike is invalid.
WarrantQuote priceWarrant(const WarrantTerms& terms, double spot, DateTime now);

} // namespace marlovex::market
