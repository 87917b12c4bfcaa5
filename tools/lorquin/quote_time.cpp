#include "lorquin/quote_time.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <exception>

namespace marlovex::lorquin {
namespace {

constexpr double secondsPerDay = 86400;
// About the year 5000: far beyond any quote, and well inside what time_t and the date type hold.
constexpr double latestUnixSeconds = 1e11;
// 9 September 2001: no quote source sends an older moment as Unix seconds.
constexpr double earliestUnixSeconds = 1e9;

std::optional<int> number(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    // Characters read.
    std::size_t length = 0;
};

// "hh:mm:ss" with an optional fraction of a second, at the start of `text`.
std::optional<ClockTime> clockTime(std::string_view text) {
    const auto hour = number(text, 0, 2);
    const auto minute = number(text, 3, 2);
    const auto second = number(text, 6, 2);
    if (!hour || !minute || !second || text[2] != ':' || text[5] != ':' || *hour > 23 || *minute > 59 ||
        *second > 59) {
        return std::nullopt;
    }
    ClockTime time{*hour, *minute, *second, 0, 8};
    if (time.length < text.size() && text[time.length] == '.') {
        std::size_t end = time.length + 1;
        double fraction = 0;
        double scale = 0.1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            fraction += (text[end] - '0') * scale;
            scale /= 10;
            ++end;
        }
        if (end == time.length + 1) {
            return std::nullopt;
        }
        // A fraction that rounds up to a whole second is cut to the last millisecond instead, so
        // the time never moves into the next second (or the next day).
        time.millisecond = std::min(999, static_cast<int>(std::lround(fraction * 1000)));
        time.length = end;
    }
    return time;
}

// A zone "Z", "+hh:mm", "+hhmm" or "+hh" (or with '-') making up all of `text`, in minutes
// east of UTC.
std::optional<int> zoneOffsetMinutes(std::string_view text) {
    if (text == "Z" || text == "z") {
        return 0;
    }
    if (text.empty() || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    const int sign = text[0] == '-' ? -1 : 1;
    const auto hours = number(text, 1, 2);
    std::optional<int> minutes = 0;
    if (text.size() == 6 && text[3] == ':') {
        minutes = number(text, 4, 2);
    } else if (text.size() == 5) {
        minutes = number(text, 3, 2);
    } else if (text.size() != 3) {
        return std::nullopt;
    }
    if (!hours || !minutes || *hours > 14 || *minutes > 59) {
        return std::nullopt;
    }
    return sign * (*hours * 60 + *minutes);
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<std::int64_t>(year - era * 400);
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<DateTime> encoded(int year, int month, int day, const ClockTime& time) {
    try {
        return formats::encodeDate(year, month, day) +
               formats::encodeTime(time.hour, time.minute, time.second, time.millisecond);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<DateTime> unixSeconds(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos ||
        text.front() == '.') {
        return std::nullopt;
    }
    double seconds = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    // Digits such as "093000" or "20261204" are times or dates in a form we do not read, not
    // moments of 1970: taken as seconds they would be dropped as old without a word.
    if (seconds < earliestUnixSeconds) {
        return std::nullopt;
    }
    return localTimeOfUnixSeconds(seconds);
}

} // namespace

std::optional<DateTime> parseQuoteDate(std::string_view text) {
    if (text.size() != 10) {
        return std::nullopt;
    }
    std::optional<int> year;
    std::optional<int> month;
    std::optional<int> day;
    if (text[4] == '-' && text[7] == '-') {
        year = number(text, 0, 4);
        month = number(text, 5, 2);
        day = number(text, 8, 2);
    } else if (text[2] == '.' && text[5] == '.') {
        day = number(text, 0, 2);
        month = number(text, 3, 2);
        year = number(text, 6, 4);
    }
    if (!year || !month || !day) {
        return std::nullopt;
    }
    return encoded(*year, *month, *day, {});
}

std::optional<DateTime> parseQuoteTime(std::string_view text, DateTime day) {
    if (const auto seconds = unixSeconds(text)) {
        return seconds;
    }
    if (text.size() >= 8 && text[2] == ':') {
        const auto time = clockTime(text);
        if (!time || time->length != text.size()) {
            return std::nullopt;
        }
        const auto parts = formats::decodeDateTime(formats::datePart(day));
        return encoded(parts.year, parts.month, parts.day, *time);
    }
    if (text.size() < 19 || (text[10] != ' ' && text[10] != 'T' && text[10] != 't')) {
        return std::nullopt;
    }
    const auto date = parseQuoteDate(text.substr(0, 10));
    const auto time = clockTime(text.substr(11));
    if (!date || text[4] != '-' || !time) {
        return std::nullopt;
    }
    const auto zone = text.substr(11 + time->length);
    const auto parts = formats::decodeDateTime(*date);
    if (zone.empty()) {
        return encoded(parts.year, parts.month, parts.day, *time);
    }
    const auto offset = zoneOffsetMinutes(zone);
    if (!offset) {
        return std::nullopt;
    }
    const auto utcSeconds =
        static_cast<double>(daysFromCivil(parts.year, parts.month, parts.day)) * secondsPerDay +
        ((time->hour * 60 + time->minute - *offset) * 60 + time->second) + time->millisecond / 1000.0;
    return localTimeOfUnixSeconds(utcSeconds);
}

std::optional<DateTime> localTimeOfUnixSeconds(double seconds) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > latestUnixSeconds) {
        return std::nullopt;
    }
    auto whole = static_cast<std::int64_t>(std::floor(seconds));
    auto millisecond = static_cast<int>(std::lround((seconds - static_cast<double>(whole)) * 1000));
    if (millisecond == 1000) {
        ++whole;
        millisecond = 0;
    }
    const auto moment = static_cast<std::time_t>(whole);
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr) {
        return std::nullopt;
    }
    return encoded(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   {local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), millisecond, 0});
}

} // namespace marlovex::lorquin
