#include "tracker/model/calculator.h"

#include <cmath>

namespace marlovex::tracker {
namespace {

// No minimum, no maximum and no rounding.
double legFees(const FeeSettings& fees, double price, double quantity) {
    return price * quantity * fees.brokerPerMille / 1000 + price * quantity * fees.bankPercent / 100 +
           fees.clearingPerTrade;
}

} // namespace

double positionFees(const FeeSettings& fees, const Position& position, double sellingPrice) {
    if (!position.chargeFees) {
        return 0;
    }
    return legFees(fees, sellingPrice, position.quantity) +
           legFees(fees, position.purchase, position.quantity);
}

EstimatedSale saleAt(const FeeSettings& fees, const Position& position, double estimate) {
    const double quantity = position.quantity;
    return {.invested = position.purchase * quantity,
            .profit =
                estimate * quantity - position.purchase * quantity - positionFees(fees, position, estimate)};
}

HeldPosition heldAt(const FeeSettings& fees, const Position& position, double price) {
    const double charged = positionFees(fees, position, price);
    HeldPosition held{.profit = (price - position.purchase) * position.quantity - charged,
                      .priceAbovePurchase = price - position.purchase > 0,
                      .breakEven = std::nullopt};
    if (position.quantity != 0) {
        const double breakEven = (position.purchase * position.quantity + charged) / position.quantity;
        if (std::isfinite(breakEven)) {
            held.breakEven = breakEven;
        }
    }
    return held;
}

std::optional<double> percentAgainst(double price, double base) {
    if (base == 0) {
        return std::nullopt;
    }
    return price * 100 / base - 100;
}

PriceChange changeSincePurchase(double price, double purchase) {
    PriceChange change{.points = price - purchase, .percent = std::nullopt};
    if (purchase != 0) {
        change.percent = (price - purchase) * 100 / purchase;
    }
    return change;
}

std::optional<double> underlyingForWarrant(const CurrentQuotes& quotes, double estimate, bool put) {
    if (quotes.ratio == 0) {
        return std::nullopt;
    }
    const double points = (estimate - quotes.warrant) / quotes.ratio;
    return put ? quotes.underlying - points : quotes.underlying + points;
}

double warrantForUnderlying(const CurrentQuotes& quotes, double estimate, bool put) {
    const double points = (estimate - quotes.underlying) * quotes.ratio;
    return put ? quotes.warrant - points : quotes.warrant + points;
}

} // namespace marlovex::tracker
