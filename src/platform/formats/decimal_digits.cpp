#include "platform/formats/decimal_digits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace marlovex::formats::detail {

namespace {

void dropTrailingZeros(DecimalDigits& number) {
    const auto lastSignificant = number.digits.find_last_not_of('0');
    if (lastSignificant == std::string::npos) {
        number.digits.clear();
        number.pointPosition = 0;
    } else {
        number.digits.resize(lastSignificant + 1);
    }
}

} // namespace

DecimalDigits toDecimalDigits(double value) {
    DecimalDigits number;
    number.negative = std::signbit(value);
    if (value == 0.0) {
        return number;
    }
    // to_chars rounds the exact binary value correctly and, unlike printf, ignores LC_NUMERIC.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                      std::chars_format::scientific, maxSignificantDigits - 1);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto exponentMark = text.find('e');
    number.digits.reserve(maxSignificantDigits);
    for (const char character : text.substr(0, exponentMark)) {
        if (character != '.') {
            number.digits.push_back(character);
        }
    }
    int scientificExponent = 0;
    std::string_view exponentText = text.substr(exponentMark + 1);
    if (exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), scientificExponent);
    number.pointPosition = scientificExponent + 1;
    dropTrailingZeros(number);
    return number;
}

void roundToDigits(DecimalDigits& number, int keptDigits) {
    if (number.isZero() || keptDigits >= static_cast<int>(number.digits.size())) {
        return;
    }
    if (keptDigits < 0) {
        number.digits.clear();
        number.pointPosition = 0;
        return;
    }
    const bool roundUp = number.digits[static_cast<std::size_t>(keptDigits)] >= '5';
    number.digits.resize(static_cast<std::size_t>(keptDigits));
    if (roundUp) {
        auto position = number.digits.size();
        while (position > 0 && number.digits[position - 1] == '9') {
            number.digits[--position] = '0';
        }
        if (position == 0) {
            // 999 -> 1000: the carry adds a new leading digit.
            number.digits.insert(number.digits.begin(), '1');
            ++number.pointPosition;
        } else {
            ++number.digits[position - 1];
        }
    }
    dropTrailingZeros(number);
}

std::string nonFiniteText(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

std::string groupThousands(const std::string& integerDigits, char separator) {
    std::string grouped;
    grouped.reserve(integerDigits.size() + integerDigits.size() / 3);
    for (std::size_t index = 0; index < integerDigits.size(); ++index) {
        if (index > 0 && (integerDigits.size() - index) % 3 == 0) {
            grouped.push_back(separator);
        }
        grouped.push_back(integerDigits[index]);
    }
    return grouped;
}

std::string generalText(const DecimalDigits& number, int precision, const NumberLocale& locale) {
    if (number.isZero()) {
        return "0";
    }
    std::string text = number.negative ? "-" : "";
    const int digitCount = static_cast<int>(number.digits.size());
    if (number.pointPosition > precision || number.pointPosition < -3) {
        text.push_back(number.digits.front());
        if (digitCount > 1) {
            text.push_back(locale.decimalSeparator);
            text.append(number.digits, 1);
        }
        const int exponent = number.pointPosition - 1;
        text.push_back('E');
        if (exponent < 0) {
            text.push_back('-');
        }
        text += std::to_string(std::abs(exponent));
        return text;
    }
    if (number.pointPosition <= 0) {
        text += "0";
        text.push_back(locale.decimalSeparator);
        text.append(static_cast<std::size_t>(-number.pointPosition), '0');
        text += number.digits;
        return text;
    }
    const auto integerCount = static_cast<std::size_t>(number.pointPosition);
    if (number.digits.size() <= integerCount) {
        text += number.digits;
        text.append(integerCount - number.digits.size(), '0');
    } else {
        text.append(number.digits, 0, integerCount);
        text.push_back(locale.decimalSeparator);
        text.append(number.digits, integerCount);
    }
    return text;
}

} // namespace marlovex::formats::detail
