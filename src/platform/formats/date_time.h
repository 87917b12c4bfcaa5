// Date-time values as the whole program passes them around: a double counting days since
// 1899-12-30, with the fraction giving the time of day (the classic desktop TDateTime). The
// table engine converts to and from the table file's own encodings; everything above it uses
// this type.
//
// Pure functions; thread-safe except now(), which reads the system clock.
#pragma once

#include "platform/formats/number_format.h"

#include <optional>
#include <string>
#include <string_view>

namespace marlovex::formats {

using DateTime = double;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Throws ConversionError for dates or times that do not exist. Decoding rounds to the nearest
// millisecond (23:59:59.9996 is the next midnight) and throws for values outside the years 1
// to 9999 and for NaN.
DateTime encodeDateTime(const DateTimeParts& parts);
DateTimeParts decodeDateTime(DateTime value);

DateTime encodeDate(int year, int month, int day);
DateTime encodeTime(int hour, int minute, int second, int millisecond = 0);
// The whole days of `value` (its date at midnight) and its time of day. Before the epoch the
// time of day is the fraction's absolute value: timePart(-1.25) == 0.25 (06:00).
DateTime datePart(DateTime value);
DateTime timePart(DateTime value);

// The local date and time of the system clock.
DateTime now();

// Formats with the desktop's pattern letters: d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss, z,
// zzz; "m"/"mm" right after an hour ("hh:mm:ss") means minutes. Quoted text ("'...'" or
// "\"...\"") is copied, as is every other character. Examples: "hh:mm:ss", "dd.mm.yyyy".
// Letters count in either case; a run longer than listed takes the longest form ("ddd" is "dd", "yyy" is
// "yyyy"). Throws ConversionError as decodeDateTime() does.
std::string formatDateTime(DateTime value, std::string_view pattern);

// The locale's date and time conventions, filled by the window layer from the system locale.
// The defaults are German.
struct DateTimeLocale {
    std::string shortDatePattern = "dd.mm.yyyy";
    std::string longTimePattern = "hh:mm:ss";
    char dateSeparator = '.';
};

std::string formatLongTime(DateTime value, const DateTimeLocale& locale = {});

// Reads a date written in the locale's short date order ("06.12.2026"). Without a year the
// date lies in the current year; a year of one or two digits is expanded by
// expandTwoDigitYear(). Throws ConversionError naming the text when it is no valid date.
DateTime parseDate(std::string_view text, const DateTimeLocale& locale = {});
std::optional<DateTime> tryParseDate(std::string_view text, const DateTimeLocale& locale = {});

// The year that "26" means in `currentYear`: the one within the 50 years before and the 49
// years after the current year, so in 2026 "76" is 1976 and "75" is 2075.
int expandTwoDigitYear(int twoDigitYear, int currentYear);

} // namespace marlovex::formats
