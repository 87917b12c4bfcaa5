// Internal to the formats library: a double as a rounded string of decimal digits, the common
// ground of every number form. Not part of the public interface.
//
// Pure functions; thread-safe.
#pragma once

#include "platform/formats/number_format.h"

#include <string>

namespace marlovex::formats::detail {

// The most significant digits the classic desktop ever shows of a value.
constexpr int maxSignificantDigits = 18;

// value = (negative ? -1 : 1) * 0.d1d2d3... * 10^pointPosition, so pointPosition counts the
// integer digits (0 or negative for values below 1). A zero value has no digits; trailing
// zeros are never kept.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int pointPosition = 0;

    bool isZero() const { return digits.empty(); }
};

// The value's decimal expansion to 18 significant digits. `value` must be finite.
DecimalDigits toDecimalDigits(double value);

// Rounds half away from zero so that at most `keptDigits` digits remain; 0 or fewer kept digits
// leave at most a carry of 1 at the next higher place, or zero.
void roundToDigits(DecimalDigits& number, int keptDigits);

// "NAN", "INF" or "-INF" for a value that is no finite number.
std::string nonFiniteText(double value);

// Inserts the separator between each group of three digits, counted from the right.
std::string groupThousands(const std::string& integerDigits, char separator);

// The general form of an already rounded number: fixed notation unless the integer digits
// exceed `precision` or the value is below 0.0001, then d,dddEn.
std::string generalText(const DecimalDigits& number, int precision, const NumberLocale& locale);

} // namespace marlovex::formats::detail
