#include "market/option_model.h"

#include "market/market_error.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace marlovex::market {
namespace {

constexpr double daysPerYear = 365.0;
// Bids are quoted in tenths of a cent.
constexpr double ticksPerUnit = 1000.0;

double normalCdf(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

void requirePositive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) {
        throw MarketError(std::string("Das Optionsmodell braucht für ") + what +
                          " einen positiven Wert, nicht " + std::to_string(value) + ".");
    }
}

} // namespace

OptionValue blackScholes(OptionKind kind, double spot, double strike, double years, double rate,
                         double volatility) {
    requirePositive(spot, "den Kurs des Basiswerts");
    requirePositive(strike, "den Basispreis");
    requirePositive(volatility, "die Volatilität");
    const bool call = kind == OptionKind::Call;
    if (years <= 0) {
        const double intrinsic = call ? spot - strike : strike - spot;
        if (intrinsic <= 0) {
            return {0.0, 0.0};
        }
        return {intrinsic, call ? 1.0 : -1.0};
    }
    const double deviation = volatility * std::sqrt(years);
    const double d1 = (std::log(spot / strike) + (rate + 0.5 * volatility * volatility) * years) / deviation;
    const double d2 = d1 - deviation;
    const double discountedStrike = strike * std::exp(-rate * years);
    if (call) {
        return {spot * normalCdf(d1) - discountedStrike * normalCdf(d2), normalCdf(d1)};
    }
    return {discountedStrike * normalCdf(-d2) - spot * normalCdf(-d1), normalCdf(d1) - 1.0};
}

double yearsToExpiry(DateTime expiry, DateTime now) {
    const DateTime close = formats::datePart(expiry) + formats::encodeTime(17, 30, 0);
    return (close - now) / daysPerYear;
}

WarrantQuote priceWarrant(const WarrantTerms& terms, double spot, DateTime now) {
    requirePositive(terms.ratio, "das Bezugsverhältnis");
    const auto option = blackScholes(terms.kind, spot, terms.strike, yearsToExpiry(terms.expiry, now),
                                     modelRate, modelVolatility);
    const double bid = std::max(1.0, std::round(option.value * terms.ratio * ticksPerUnit)) / ticksPerUnit;
    return {bid, option.delta};
}

} // namespace marlovex::market
