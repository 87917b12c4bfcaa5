// The arithmetic of one warrant position, shared by the calculator tab, the header's profit
// figures, the break-even line and the intraday analysis: fees, profit or loss, break-even,
// price changes in percent and the conversion of an estimate between warrant and underlying.
//
// Plain functions of plain values; reading and writing the window's texts stays with the window.
#pragma once

#include <optional>

namespace marlovex::tracker {

// The window's fee settings: MaklerFee, BankFee and ClearingFee.
struct FeeSettings {
    double brokerPerMille = 0;
    double bankPercent = 0;
    double clearingPerTrade = 0;
};

// Bought `quantity` warrants at `purchase`; `chargeFees` is "Spesen?".
struct Position {
    double purchase = 0;
    double quantity = 0;
    bool chargeFees = false;
};

// The fees of buying the position and selling it at `sellingPrice`, or 0 when fees are not
// charged. Each leg pays its share of the traded value and the fixed amount once.
double positionFees(const FeeSettings& fees, const Position& position, double sellingPrice);

// What the calculator shows for a sale at the estimated warrant price.
struct EstimatedSale {
    double invested = 0;
    double profit = 0;
};
EstimatedSale saleAt(const FeeSettings& fees, const Position& position, double estimate);

// The header's view of the position at the current warrant price.
struct HeldPosition {
    double profit = 0;
    // The panel's colour follows the price against the purchase, not the net profit.
    bool priceAbovePurchase = false;
    // The price at which a sale covers the purchase and the fees of both legs; nothing for a
    // quantity of 0 or a result that is no number.
    std::optional<double> breakEven;
};
HeldPosition heldAt(const FeeSettings& fees, const Position& position, double price);

// `price` in percent of `base`, less 100, as the calculator shows an estimate against a current
// or purchase price; nothing for a base of 0.
std::optional<double> percentAgainst(double price, double base);

// The header's change of the current price since the purchase.
struct PriceChange {
    double points = 0;
    // Nothing for a purchase price of 0.
    std::optional<double> percent;
};
PriceChange changeSincePurchase(double price, double purchase);

// The latest prices and the day's warrant points per underlying point (0 for a flat underlying).
struct CurrentQuotes {
    double warrant = 0;
    double underlying = 0;
    double ratio = 0;
};

// The underlying price that goes with an estimated warrant price; a put moves against the
// underlying. Nothing for a ratio of 0, which says nothing about the underlying.
std::optional<double> underlyingForWarrant(const CurrentQuotes& quotes, double estimate, bool put);
// The warrant price that goes with an estimated underlying price; a ratio of 0 keeps the
// current warrant price.
double warrantForUnderlying(const CurrentQuotes& quotes, double estimate, bool put);

} // namespace marlovex::tracker
