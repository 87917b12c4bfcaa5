// The position arithmetic against figures worked out by hand. Fees of 0.8 per mille, 0.5 % and
// 2.50 per trade on 1000 warrants: a leg at 1.60 costs 1.28 + 8.00 + 2.50 = 11.78, one at 1.50
// costs 1.20 + 7.50 + 2.50 = 11.20, one at 1.51 costs 1.208 + 7.55 + 2.50 = 11.258.
#include "tracker/model/calculator.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace marlovex::tracker {
namespace {

constexpr double tolerance = 1e-9;
constexpr FeeSettings allFees{.brokerPerMille = 0.8, .bankPercent = 0.5, .clearingPerTrade = 2.5};

Position bought(double purchase, double quantity, bool chargeFees) {
    return {.purchase = purchase, .quantity = quantity, .chargeFees = chargeFees};
}

void expectNear(const std::optional<double>& actual, const std::optional<double>& expected) {
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (expected) {
        EXPECT_NEAR(*actual, *expected, tolerance);
    }
}

TEST(CalculatorModel, PositionFeesChargeEachLegAtItsOwnPrice) {
    struct Case {
        std::string name;
        FeeSettings fees;
        Position position;
        double sellingPrice;
        double expected;
    };
    const Case cases[] = {
        {"not charged", allFees, bought(1.5, 1000, false), 1.6, 0},
        {"broker per mille", {.brokerPerMille = 0.8}, bought(1.5, 1000, true), 1.6, 1.28 + 1.20},
        {"bank percent", {.bankPercent = 0.5}, bought(1.5, 1000, true), 1.6, 8.00 + 7.50},
        {"clearing once per leg", {.clearingPerTrade = 2.5}, bought(1.5, 1000, true), 1.6, 5.00},
        {"all together", allFees, bought(1.5, 1000, true), 1.6, 11.78 + 11.20},
        {"no quantity still clears", allFees, bought(1.5, 0, true), 1.6, 5.00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(positionFees(c.fees, c.position, c.sellingPrice), c.expected, tolerance);
    }
}

TEST(CalculatorModel, SaleAtEstimateDeductsFeesOnlyWhenCharged) {
    struct Case {
        std::string name;
        Position position;
        double estimate;
        double invested;
        double profit;
    };
    const Case cases[] = {
        {"gain without fees", bought(1.5, 1000, false), 1.6, 1500, 100},
        {"gain with fees", bought(1.5, 1000, true), 1.6, 1500, 100 - 22.98},
        {"loss", bought(1.5, 1000, false), 1.4, 1500, -100},
        {"no quantity pays the clearing", bought(1.5, 0, true), 1.6, 0, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EstimatedSale sale = saleAt(allFees, c.position, c.estimate);
        EXPECT_NEAR(sale.invested, c.invested, tolerance);
        EXPECT_NEAR(sale.profit, c.profit, tolerance);
    }
}

TEST(CalculatorModel, HeldPositionSellsAtTheCurrentPrice) {
    constexpr double huge = std::numeric_limits<double>::max();
    struct Case {
        std::string name;
        Position position;
        double price;
        double profit;
        bool priceAbovePurchase;
        std::optional<double> breakEven;
    };
    const Case cases[] = {
        {"without fees break-even is the purchase", bought(1.5, 1000, false), 1.6, 100, true, 1.5},
        {"with fees", bought(1.5, 1000, true), 1.6, 100 - 22.98, true, 1.5 + 22.98 / 1000},
        {"at the purchase price", bought(1.5, 1000, true), 1.5, -22.40, false, 1.5 + 22.40 / 1000},
        {"above the purchase at a net loss", bought(1.5, 1000, true), 1.51, 10 - 22.458, true,
         1.5 + 22.458 / 1000},
        {"below the purchase", bought(1.5, 1000, false), 1.4, -100, false, 1.5},
        {"no quantity has no break-even", bought(1.5, 0, true), 1.6, -5, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HeldPosition held = heldAt(allFees, c.position, c.price);
        EXPECT_NEAR(held.profit, c.profit, tolerance);
        EXPECT_EQ(held.priceAbovePurchase, c.priceAbovePurchase);
        expectNear(held.breakEven, c.breakEven);
    }
    EXPECT_FALSE(heldAt(allFees, bought(huge, huge, false), 1).breakEven) << "an overflow is no price";
}

TEST(CalculatorModel, PercentagesNeedABasePrice) {
    struct Case {
        double price;
        double base;
        std::optional<double> againstBase;
        std::optional<double> sincePurchase;
    };
    const Case cases[] = {
        {1.6, 1.5, 100.0 / 15, 100.0 / 15},
        {1.2, 1.5, -20, -20},
        {0, 1.5, -100, -100},
        {5000, 0, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.price) + " against " + std::to_string(c.base));
        expectNear(percentAgainst(c.price, c.base), c.againstBase);
        const PriceChange change = changeSincePurchase(c.price, c.base);
        EXPECT_NEAR(change.points, c.price - c.base, tolerance);
        expectNear(change.percent, c.sincePurchase);
    }
}

TEST(CalculatorModel, EstimatesConvertThroughTheRatioAndAPutMovesAgainstTheUnderlying) {
    // 0.001 warrant points per underlying point: 0.10 on the warrant is 100 on the underlying.
    constexpr CurrentQuotes quotes{.warrant = 1.5, .underlying = 5000, .ratio = 0.001};
    constexpr CurrentQuotes flat{.warrant = 1.5, .underlying = 5000, .ratio = 0};
    struct Case {
        std::string name;
        CurrentQuotes quotes;
        bool put;
        double warrant;
        std::optional<double> underlying;
    };
    const Case cases[] = {
        {"put", quotes, true, 1.6, 4900},
        {"call", quotes, false, 1.6, 5100},
        {"put falling", quotes, true, 1.4, 5100},
        {"unchanged", quotes, true, 1.5, 5000},
        {"flat underlying", flat, true, 1.6, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectNear(underlyingForWarrant(c.quotes, c.warrant, c.put), c.underlying);
        if (c.underlying) {
            EXPECT_NEAR(warrantForUnderlying(c.quotes, *c.underlying, c.put), c.warrant, tolerance);
        }
    }
    EXPECT_DOUBLE_EQ(warrantForUnderlying(flat, 4900, true), 1.5) << "a flat underlying keeps the warrant";
}

} // namespace
} // namespace marlovex::tracker
