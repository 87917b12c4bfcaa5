// Number texts as the desktop shows and reads them: the decimal forms that every window writes
// into its labels and edit fields, and the reading of decimal text that users type.
//
// The rules follow the classic desktop conventions the product family has always used, so that
// texts look the same as in the family's other programs:
//  - values are first rounded to a number of significant digits (half away from zero, on the
//    value's 18-digit decimal expansion), digits past them show as 0;
//  - the fixed and grouped forms switch to the general form (and so to exponent notation) when
//    the value has more integer digits than the precision allows;
//  - the general form writes exponent notation when the value's exponent is below -4 (so
//    0.0001 is "0,0001" but 0.00001 is "1E-5") or the value has more integer digits than the
//    precision, with the shortest exponent ("1,2E-5", "1E20");
//  - values that round to zero never show a minus sign; NaN and the infinities are written
//    "NAN", "INF" and "-INF" in every form.
//
// Pure functions; thread-safe.
#pragma once

#include "platform/common/error.h"

#include <optional>
#include <string>
#include <string_view>

namespace marlovex::formats {

class ConversionError : public Error {
public:
    using Error::Error;
};

// The separators of the user's locale. The window layer fills this from the system locale;
// the defaults are the German ones the desktops run with.
struct NumberLocale {
    char decimalSeparator = ',';
    char thousandSeparator = '.';
};

// "grouped, d decimals": thousands separators, exactly `decimals` decimals, at most `precision`
// significant digits. formatGrouped(1500, 2) == "1.500,00".
std::string formatGrouped(double value, int decimals, int precision = 7, const NumberLocale& locale = {});

// "fixed, d decimals": no thousands separators, exactly `decimals` decimals, at most `precision`
// significant digits. formatFixed(0.24, 2) == "0,24".
std::string formatFixed(double value, int decimals, int precision = 11, const NumberLocale& locale = {});

// A format pattern of '#', '0', '.' and ',' such as "#####0.00": '0' forces a digit, '#' shows
// one only when significant, '.' places the locale's decimal separator, ',' anywhere before it
// turns on grouping. Text around the placeholders is copied, quoted text ('...' or "...")
// without its quotes. Integer digits beyond the placeholders are all written. Up to three
// sections "positive;negative;zero": the negative section writes its own sign, the zero section
// serves values that round to zero. An empty pattern gives the general form.
std::string formatPattern(double value, std::string_view pattern, const NumberLocale& locale = {});

// The shortest general decimal form with up to `precision` significant digits:
// formatGeneral(77.02) == "77,02", formatGeneral(0.000012) == "1,2E-5".
std::string formatGeneral(double value, int precision = 15, const NumberLocale& locale = {});

// Reads decimal text: optional blanks, optional sign, digits with at most one decimal separator,
// optional exponent ("E-5"), optional blanks. Thousands separators are not accepted. Throws
// ConversionError naming the text when it is no number (empty text included).
double parseDecimal(std::string_view text, const NumberLocale& locale = {});
std::optional<double> tryParseDecimal(std::string_view text, const NumberLocale& locale = {});

// Rounds to the nearest integer, halves to the even neighbour (the rounding of the classic
// desktop's Round()).
double roundHalfEven(double value);

// value * 10^decimals rounded half to even, divided again: roundToDecimals(1.23456, 3) == 1.235.
double roundToDecimals(double value, int decimals);

} // namespace marlovex::formats
