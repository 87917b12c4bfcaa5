#include "platform/formats/number_format.h"

#include "platform/formats/decimal_digits.h"

#include <algorithm>
#include <cmath>

namespace marlovex::formats {

namespace {

// Doubles hold integers exactly up to 2^53; from 2^52 on there is no fraction left to round.
constexpr double firstIntegralMagnitude = 4503599627370496.0;

std::string fixedPointText(double value, int decimals, int precision, bool grouped,
                           const NumberLocale& locale) {
    if (!std::isfinite(value)) {
        return detail::nonFiniteText(value);
    }
    precision = std::clamp(precision, 1, detail::maxSignificantDigits);
    decimals = std::clamp(decimals, 0, detail::maxSignificantDigits);
    auto number = detail::toDecimalDigits(value);
    // One rounding at the tighter limit: the significant digits or the decimals.
    detail::roundToDigits(number, std::min(precision, number.pointPosition + decimals));
    if (number.pointPosition > precision) {
        return detail::generalText(number, precision, locale);
    }

    std::string integerDigits = "0";
    if (number.pointPosition > 0) {
        const auto integerCount = static_cast<std::size_t>(number.pointPosition);
        integerDigits = number.digits.substr(0, integerCount);
        integerDigits.append(integerCount - integerDigits.size(), '0');
    }
    std::string text = number.negative && !number.isZero() ? "-" : "";
    text += grouped ? detail::groupThousands(integerDigits, locale.thousandSeparator) : integerDigits;
    if (decimals > 0) {
        text.push_back(locale.decimalSeparator);
        for (int place = 0; place < decimals; ++place) {
            const int digitIndex = number.pointPosition + place;
            const bool hasDigit = digitIndex >= 0 && digitIndex < static_cast<int>(number.digits.size());
            text.push_back(hasDigit ? number.digits[static_cast<std::size_t>(digitIndex)] : '0');
        }
    }
    return text;
}

} // namespace

std::string formatGrouped(double value, int decimals, int precision, const NumberLocale& locale) {
    return fixedPointText(value, decimals, precision, true, locale);
}

std::string formatFixed(double value, int decimals, int precision, const NumberLocale& locale) {
    return fixedPointText(value, decimals, precision, false, locale);
}

std::string formatGeneral(double value, int precision, const NumberLocale& locale) {
    if (!std::isfinite(value)) {
        return detail::nonFiniteText(value);
    }
    precision = std::clamp(precision, 1, detail::maxSignificantDigits);
    auto number = detail::toDecimalDigits(value);
    detail::roundToDigits(number, precision);
    return detail::generalText(number, precision, locale);
}

double roundHalfEven(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= firstIntegralMagnitude) {
        return value;
    }
    const double whole = std::floor(value);
    // Exact for every double below 2^52.
    const double fraction = value - whole;
    const bool wholeIsOdd = std::fmod(whole, 2.0) != 0.0;
    if (fraction > 0.5 || (fraction == 0.5 && wholeIsOdd)) {
        return whole + 1.0;
    }
    return whole;
}

double roundToDecimals(double value, int decimals) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double scale = std::pow(10.0, std::abs(decimals));
    if (decimals < 0) {
        return roundHalfEven(value / scale) * scale;
    }
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= firstIntegralMagnitude) {
        return value;
    }
    return roundHalfEven(scaled) / scale;
}

} // namespace marlovex::formats
