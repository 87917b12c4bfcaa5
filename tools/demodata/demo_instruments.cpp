#include "demodata/demo_instruments.h"

#include "platform/common/error.h"

#include <cmath>
#include <cstdio>

namespace marlovex::demodata {
namespace {

using market::OptionKind;

constexpr int indexGroup = 1;
constexpr int stockGroup = 2;
constexpr int warrantGroup = 3;

struct StockSpec {
    std::int64_t number;
    const char* name;
    const char* code;
    int sector;
    double reference;
};

// Invented companies; any likeness to a listed one is unintended.
constexpr StockSpec stocks[] = {
    {610100, "Arnsfeld Chemie", "ARN", 3, 48.60},
    {610200, "Velmor Motoren", "VLM", 5, 92.40},
    {610300, "Quendra Energie", "QDE", 7, 17.85},
    {610400, "Tobrik Pharma", "TBK", 4, 131.20},
};

constexpr double daxReference = 24000.0;

DateTime thirdFridayMonthsAhead(DateTime today, int months) {
    const auto parts = formats::decodeDateTime(today);
    const int monthIndex = parts.month - 1 + months;
    const int year = parts.year + monthIndex / 12;
    const int month = monthIndex % 12 + 1;
    const DateTime first = formats::encodeDate(year, month, 1);
    constexpr int friday = 4;
    return first + (friday - weekday(first) + 7) % 7 + 14;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value == std::floor(value) ? "%.0f" : "%.1f", value);
    return text;
}

DemoInstrument warrantOn(const DemoInstrument& underlying, std::int64_t number, OptionKind kind,
                         double strike, double ratio, DateTime expiry) {
    const auto parts = formats::decodeDateTime(expiry);
    char month[8];
    std::snprintf(month, sizeof month, "%02d/%02d", parts.month, parts.year % 100);
    DemoInstrument warrant;
    warrant.instrument.number = number;
    warrant.instrument.name = underlying.instrument.name + (kind == OptionKind::Call ? " Call " : " Put ") +
                              formatNumber(strike) + " " + month;
    warrant.instrument.warrant =
        market::WarrantTerms{underlying.instrument.number, kind, strike, ratio, expiry};
    warrant.group = warrantGroup;
    warrant.sector = underlying.sector;
    warrant.code = "OS" + std::to_string(number % 10000);
    return warrant;
}

// A strike near the reference price, on the round steps warrant issuers use.
double roundStrike(double price, double step) {
    return std::round(price / step) * step;
}

} // namespace

int weekday(DateTime date) {
    // The date-time epoch, 1899-12-30, was a Saturday.
    const auto days = static_cast<long long>(std::floor(date));
    return static_cast<int>(((days + 5) % 7 + 7) % 7);
}

std::vector<DemoInstrument> demoInstruments(DateTime today) {
    std::vector<DemoInstrument> instruments;
    DemoInstrument dax;
    dax.instrument = {daxNumber, "DAX", std::nullopt, daxReference};
    dax.group = indexGroup;
    dax.code = "DAX";
    instruments.push_back(dax);
    for (const auto& stock : stocks) {
        DemoInstrument instrument;
        instrument.instrument = {stock.number, stock.name, std::nullopt, stock.reference};
        instrument.group = stockGroup;
        instrument.sector = stock.sector;
        instrument.code = stock.code;
        instrument.tradesShares = true;
        instrument.maximumPause = 90;
        instruments.push_back(instrument);
    }
    const DateTime nearExpiry = thirdFridayMonthsAhead(today, 3);
    const DateTime farExpiry = thirdFridayMonthsAhead(today, 6);
    std::vector<DemoInstrument> warrants{
        warrantOn(instruments[0], 731001, OptionKind::Call, roundStrike(daxReference, 500), 0.01, farExpiry),
        warrantOn(instruments[0], 731002, OptionKind::Put, roundStrike(daxReference * 0.95, 500), 0.01,
                  nearExpiry),
        warrantOn(instruments[1], 731003, OptionKind::Call, roundStrike(stocks[0].reference, 5), 0.1,
                  farExpiry),
        warrantOn(instruments[2], 731004, OptionKind::Put, roundStrike(stocks[1].reference, 5), 0.1,
                  nearExpiry),
        warrantOn(instruments[3], 731005, OptionKind::Call, roundStrike(stocks[2].reference, 1), 1.0,
                  nearExpiry),
        warrantOn(instruments[4], 731006, OptionKind::Put, roundStrike(stocks[3].reference, 10), 0.1,
                  farExpiry),
    };
    instruments.insert(instruments.end(), warrants.begin(), warrants.end());
    return instruments;
}

const DemoInstrument& daxCall(const std::vector<DemoInstrument>& instruments) {
    for (const auto& candidate : instruments) {
        const auto& terms = candidate.instrument.warrant;
        if (terms && terms->underlying == daxNumber && terms->kind == OptionKind::Call) {
            return candidate;
        }
    }
    throw Error("Die Demo-Instrumente enthalten keinen Call auf den DAX.");
}

} // namespace marlovex::demodata
