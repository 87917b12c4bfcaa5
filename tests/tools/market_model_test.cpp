// The simulated market's arithmetic: the option model, the delta encoding read back the way the
// tracker reads it, and the price walk.
#include "market/delta_encoding.h"
#include "market/market_error.h"
#include "market/option_model.h"
#include "market/price_walk.h"
#include "tracker_delta.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace marlovex::market {
namespace {

using testing_support::trackerDelta;

constexpr double rate = 0.03;
constexpr double volatility = 0.2;

TEST(OptionModel, CallsAndPutsSatisfyPutCallParity) {
    for (const double spot : {80.0, 100.0, 125.0}) {
        for (const double strike : {90.0, 100.0, 110.0}) {
            for (const double years : {0.05, 0.5, 2.0}) {
                const auto call = blackScholes(OptionKind::Call, spot, strike, years, rate, volatility);
                const auto put = blackScholes(OptionKind::Put, spot, strike, years, rate, volatility);
                EXPECT_NEAR(call.value - put.value, spot - strike * std::exp(-rate * years), 1e-9)
                    << spot << " " << strike << " " << years;
                EXPECT_NEAR(call.delta - put.delta, 1.0, 1e-12);
            }
        }
    }
}

TEST(OptionModel, DeltasStayWithinTheirBoundsAndRiseWithTheUnderlying) {
    double previousCall = 0;
    double previousPut = -1;
    for (double spot = 20; spot <= 300; spot += 5) {
        const auto call = blackScholes(OptionKind::Call, spot, 100, 0.25, rate, volatility);
        const auto put = blackScholes(OptionKind::Put, spot, 100, 0.25, rate, volatility);
        EXPECT_GE(call.delta, 0.0);
        EXPECT_LE(call.delta, 1.0);
        EXPECT_GE(put.delta, -1.0);
        EXPECT_LE(put.delta, 0.0);
        EXPECT_GE(call.delta, previousCall);
        EXPECT_GE(put.delta, previousPut);
        previousCall = call.delta;
        previousPut = put.delta;
    }
    EXPECT_GT(previousCall, 0.999);
    EXPECT_LT(blackScholes(OptionKind::Call, 20, 100, 0.25, rate, volatility).delta, 0.001);
}

TEST(OptionModel, ValuesMoveTheWayTheMarketDoesAndAtExpiryOnlyTheIntrinsicValueIsLeft) {
    const auto value = [](OptionKind kind, double spot, double strike, double years) {
        return blackScholes(kind, spot, strike, years, rate, volatility).value;
    };
    EXPECT_LT(value(OptionKind::Call, 95, 100, 0.5), value(OptionKind::Call, 105, 100, 0.5));
    EXPECT_GT(value(OptionKind::Put, 95, 100, 0.5), value(OptionKind::Put, 105, 100, 0.5));
    EXPECT_GT(value(OptionKind::Call, 100, 95, 0.5), value(OptionKind::Call, 100, 105, 0.5));
    EXPECT_LT(value(OptionKind::Call, 100, 100, 0.1), value(OptionKind::Call, 100, 100, 1.0));
    // A call is worth at least its discounted intrinsic value, never more than the underlying.
    EXPECT_GE(value(OptionKind::Call, 150, 100, 1.0), 150 - 100 * std::exp(-rate));
    EXPECT_LT(value(OptionKind::Call, 150, 100, 1.0), 150);
    const auto inTheMoney = blackScholes(OptionKind::Put, 90, 100, 0, rate, volatility);
    EXPECT_DOUBLE_EQ(inTheMoney.value, 10);
    EXPECT_DOUBLE_EQ(inTheMoney.delta, -1);
    const auto outOfTheMoney = blackScholes(OptionKind::Call, 90, 100, -0.1, rate, volatility);
    EXPECT_DOUBLE_EQ(outOfTheMoney.value, 0);
    EXPECT_DOUBLE_EQ(outOfTheMoney.delta, 0);
}

TEST(OptionModel, RefusesPricesThatAreNotPositive) {
    EXPECT_THROW(blackScholes(OptionKind::Call, 0, 100, 1, rate, volatility), MarketError);
    EXPECT_THROW(blackScholes(OptionKind::Call, 100, -5, 1, rate, volatility), MarketError);
    EXPECT_THROW(
        blackScholes(OptionKind::Call, std::numeric_limits<double>::quiet_NaN(), 100, 1, rate, volatility),
        MarketError);
    const WarrantTerms noRatio{1, OptionKind::Call, 100, 0, formats::encodeDate(2027, 6, 18)};
    EXPECT_THROW(priceWarrant(noRatio, 100, formats::encodeDate(2026, 12, 4)), MarketError);
}

TEST(WarrantPrice, IsTheModelValueTimesTheRatioInTenthsOfACentNeverLessAndExpiresAtTheClose) {
    const auto now = formats::encodeDate(2026, 12, 4) + formats::encodeTime(12, 0, 0);
    const WarrantTerms terms{846900, OptionKind::Call, 24000, 0.01, formats::encodeDate(2027, 6, 18)};
    const auto quote = priceWarrant(terms, 24500, now);
    const auto model = blackScholes(OptionKind::Call, 24500, 24000, yearsToExpiry(terms.expiry, now),
                                    modelRate, modelVolatility);
    EXPECT_NEAR(quote.bid, model.value * 0.01, 0.0005);
    EXPECT_DOUBLE_EQ(quote.bid * 1000, std::round(quote.bid * 1000));
    EXPECT_DOUBLE_EQ(quote.delta, model.delta);
    const WarrantTerms farOut{846900, OptionKind::Call, 40000, 0.01, formats::encodeDate(2026, 12, 18)};
    EXPECT_DOUBLE_EQ(priceWarrant(farOut, 24000, now).bid, 0.001);
    const auto expiry = formats::encodeDate(2027, 3, 19);
    EXPECT_DOUBLE_EQ(yearsToExpiry(expiry, expiry + formats::encodeTime(17, 30, 0)), 0);
    EXPECT_NEAR(yearsToExpiry(expiry, expiry + formats::encodeTime(17, 30, 0) - 365), 1.0, 1e-12);
}

TEST(DeltaEncoding, TheTrackerReadsBackEveryDeltaWithinTheEncodingsResolutionAndTheEdgesStayApart) {
    for (int step = -10000; step <= 10000; ++step) {
        const double delta = step / 10000.0;
        const auto decoded = trackerDelta(encodeDelta(delta));
        if (step == 0) {
            EXPECT_FALSE(decoded);
            continue;
        }
        ASSERT_TRUE(decoded) << delta;
        EXPECT_EQ(*decoded > 0, delta > 0) << delta;
        // Positive deltas keep six decimals, negative ones three; the tiniest of either sign read
        // as the smallest the encoding carries (0.001001 and -0.001).
        const double resolution =
            delta > 0 ? (delta >= 0.001 ? 0.000001 : 0.001001) : (delta > -0.0005 ? 0.001 : 0.0005);
        const double tolerance = resolution + 1e-12;
        EXPECT_NEAR(*decoded, delta, tolerance) << delta;
    }
    // round(0.001 x 1e6) = 1000 would read as -1; the encoder moves it into the positive range.
    EXPECT_EQ(encodeDelta(0.001), 1001);
    EXPECT_EQ(encodeDelta(0.0000001), 1001);
    EXPECT_EQ(encodeDelta(-0.0000001), 1);
    EXPECT_EQ(encodeDelta(1.5), 1000000);
    EXPECT_EQ(encodeDelta(-1.5), 1000);
    EXPECT_EQ(encodeDelta(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(PriceWalk, MovesInWholeCentsStaysPositiveAndMovesANightOrAWeekendLikeOneTradingDay) {
    PriceWalk walk(7);
    double price = 0.05;
    for (int i = 0; i < 1000; ++i) {
        price = walk.next(price, 30000);
        EXPECT_GE(price, 0.01);
        EXPECT_DOUBLE_EQ(price * 100, std::round(price * 100));
    }
    EXPECT_THROW(walk.next(0, 30), MarketError);

    PriceWalk oneDay(5);
    PriceWalk weekend(5);
    EXPECT_DOUBLE_EQ(oneDay.nextDay(50), weekend.next(50, 3 * 86400));
    PriceWalk standing(5);
    EXPECT_DOUBLE_EQ(standing.next(50, -10), 50);
}

TEST(PriceWalk, StepsScaleWithTheSquareRootOfTradingTime) {
    const auto deviationOfLogReturns = [](double seconds) {
        PriceWalk walk(2026);
        double sum = 0;
        double sumOfSquares = 0;
        constexpr int steps = 4000;
        for (int i = 0; i < steps; ++i) {
            const double logReturn = std::log(walk.next(10000, seconds) / 10000);
            sum += logReturn;
            sumOfSquares += logReturn * logReturn;
        }
        return std::sqrt(sumOfSquares / steps - (sum / steps) * (sum / steps));
    };
    const double tradingYearSeconds = 252 * 8.5 * 3600;
    EXPECT_NEAR(deviationOfLogReturns(30), modelVolatility * std::sqrt(30 / tradingYearSeconds),
                0.1 * modelVolatility * std::sqrt(30 / tradingYearSeconds));
    EXPECT_NEAR(deviationOfLogReturns(3600), modelVolatility * std::sqrt(3600 / tradingYearSeconds),
                0.1 * modelVolatility * std::sqrt(3600 / tradingYearSeconds));
}

TEST(PriceWalk, TradesMoreSharesInLongerPausesAndNoneInNone) {
    PriceWalk walk(3);
    EXPECT_EQ(walk.tradedShares(50, 0), 0);
    std::int64_t shortPauses = 0;
    std::int64_t longPauses = 0;
    for (int i = 0; i < 100; ++i) {
        shortPauses += walk.tradedShares(50, 10);
        longPauses += walk.tradedShares(50, 100);
    }
    EXPECT_GT(shortPauses, 0);
    EXPECT_GT(longPauses, 5 * shortPauses);
}

} // namespace
} // namespace marlovex::market
