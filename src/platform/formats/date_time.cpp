#include "platform/formats/date_time.h"

#include "platform/common/error.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

namespace marlovex::formats {

namespace {

using namespace std::chrono;

constexpr long long millisecondsPerDay = 86'400'000;
constexpr int twoDigitYearWindow = 50;
constexpr sys_days dateTimeEpoch = year{1899} / December / 30;

constexpr int firstYear = 1;
constexpr int lastYear = 9999;

bool isValidDate(int yearNumber, int monthNumber, int dayOfMonth) {
    if (yearNumber < firstYear || yearNumber > lastYear || monthNumber < 1 || monthNumber > 12 ||
        dayOfMonth < 1 || dayOfMonth > 31) {
        return false;
    }
    return year_month_day(year{yearNumber}, month{static_cast<unsigned>(monthNumber)},
                          day{static_cast<unsigned>(dayOfMonth)})
        .ok();
}

bool isValidTime(int hour, int minute, int second, int millisecond) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           millisecond >= 0 && millisecond < 1000;
}

std::string padded(long long number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return text;
}

constexpr long long dayNumber(int yearNumber, int monthNumber, int dayOfMonth) {
    const sys_days date =
        year{yearNumber} / month{static_cast<unsigned>(monthNumber)} / day{static_cast<unsigned>(dayOfMonth)};
    return (date - dateTimeEpoch).count();
}

constexpr long long firstDayNumber = dayNumber(firstYear, 1, 1);
constexpr long long lastDayNumber = dayNumber(lastYear, 12, 31);

ConversionError invalidDateTime(DateTime value) {
    return ConversionError("'" + formatGeneral(value) + "' ist kein gültiger Datums- und Zeitwert");
}

char lowerAscii(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

bool isAsciiLetter(char character) {
    const char lower = lowerAscii(character);
    return lower >= 'a' && lower <= 'z';
}

// The pattern text for one run of a pattern letter ("yyyy", "hh", "z"), or nullopt when the
// letter is no pattern letter and is copied unchanged.
std::optional<std::string> formatToken(char letter, std::size_t count, const DateTimeParts& parts) {
    const bool wide = count >= 2;
    switch (letter) {
    case 'y':
        return count <= 2 ? padded(parts.year % 100, 2) : padded(parts.year, 4);
    case 'm':
        return padded(parts.month, wide ? 2 : 1);
    case 'd':
        return padded(parts.day, wide ? 2 : 1);
    case 'h':
        return padded(parts.hour, wide ? 2 : 1);
    case 'n':
        return padded(parts.minute, wide ? 2 : 1);
    case 's':
        return padded(parts.second, wide ? 2 : 1);
    case 'z':
        return padded(parts.millisecond, count >= 3 ? 3 : 1);
    default:
        return std::nullopt;
    }
}

enum class DateField { Day, Month, Year };

// The order of day, month and year in a date pattern such as "dd.mm.yyyy" or "yyyy-mm-dd".
std::array<DateField, 3> dateFieldOrder(std::string_view pattern) {
    const auto find = [&](char letter) {
        for (std::size_t index = 0; index < pattern.size(); ++index) {
            if (lowerAscii(pattern[index]) == letter) {
                return index;
            }
        }
        return pattern.size();
    };
    std::array<std::pair<std::size_t, DateField>, 3> positions{{
        {find('d'), DateField::Day},
        {find('m'), DateField::Month},
        {find('y'), DateField::Year},
    }};
    std::sort(positions.begin(), positions.end(),
              [](const auto& left, const auto& right) { return left.first < right.first; });
    return {positions[0].second, positions[1].second, positions[2].second};
}

struct DateNumber {
    int value = 0;
    int digitCount = 0;
};

class DateScanner {
public:
    DateScanner(std::string_view text, char separator)
        : m_text(text)
        , m_separator(separator) {}

    // Reads two or three numbers divided by the separator; blanks may surround them.
    std::optional<std::vector<DateNumber>> scanNumbers() {
        std::vector<DateNumber> numbers;
        while (true) {
            skipBlanks();
            const auto number = scanNumber();
            if (!number) {
                return std::nullopt;
            }
            numbers.push_back(*number);
            skipBlanks();
            if (m_position == m_text.size()) {
                break;
            }
            if (numbers.size() == 3 || m_text[m_position] != m_separator) {
                return std::nullopt;
            }
            ++m_position;
        }
        if (numbers.size() < 2) {
            return std::nullopt;
        }
        return numbers;
    }

private:
    static constexpr int maxDigits = 4;

    void skipBlanks() {
        while (m_position < m_text.size() && m_text[m_position] == ' ') {
            ++m_position;
        }
    }

    std::optional<DateNumber> scanNumber() {
        DateNumber number;
        while (m_position < m_text.size() && m_text[m_position] >= '0' && m_text[m_position] <= '9') {
            if (++number.digitCount > maxDigits) {
                return std::nullopt;
            }
            number.value = number.value * 10 + (m_text[m_position++] - '0');
        }
        if (number.digitCount == 0) {
            return std::nullopt;
        }
        return number;
    }

    std::string_view m_text;
    char m_separator;
    std::size_t m_position = 0;
};

} // namespace

DateTime encodeDate(int yearNumber, int monthNumber, int dayOfMonth) {
    if (!isValidDate(yearNumber, monthNumber, dayOfMonth)) {
        throw ConversionError("'" + padded(dayOfMonth, 2) + "." + padded(monthNumber, 2) + "." +
                              padded(yearNumber, 4) + "' ist kein gültiges Datum");
    }
    return static_cast<DateTime>(dayNumber(yearNumber, monthNumber, dayOfMonth));
}

DateTime encodeTime(int hour, int minute, int second, int millisecond) {
    if (!isValidTime(hour, minute, second, millisecond)) {
        throw ConversionError("'" + padded(hour, 2) + ":" + padded(minute, 2) + ":" + padded(second, 2) +
                              "," + padded(millisecond, 3) + "' ist keine gültige Uhrzeit");
    }
    const long long milliseconds = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(milliseconds) / static_cast<double>(millisecondsPerDay);
}

DateTime encodeDateTime(const DateTimeParts& parts) {
    const DateTime date = encodeDate(parts.year, parts.month, parts.day);
    const DateTime time = encodeTime(parts.hour, parts.minute, parts.second, parts.millisecond);
    // Before the epoch the fraction still counts forward from midnight: -1.25 is 06:00 on the day -1.
    return date >= 0 ? date + time : date - time;
}

DateTimeParts decodeDateTime(DateTime value) {
    if (!std::isfinite(value) || value <= static_cast<double>(firstDayNumber - 1) ||
        value >= static_cast<double>(lastDayNumber + 1)) {
        throw invalidDateTime(value);
    }
    // Rounding the whole value to milliseconds lets 23:59:59.9996 become the next midnight
    // instead of an impossible 24:00:00 or a second 60.
    const auto totalMilliseconds =
        static_cast<long long>(roundHalfEven(value * static_cast<double>(millisecondsPerDay)));
    const long long days = totalMilliseconds / millisecondsPerDay;
    long long timeOfDay = std::llabs(totalMilliseconds) % millisecondsPerDay;
    if (days < firstDayNumber || days > lastDayNumber) {
        throw invalidDateTime(value);
    }

    const year_month_day date{dateTimeEpoch + sys_days::duration{days}};
    DateTimeParts parts;
    parts.year = static_cast<int>(date.year());
    parts.month = static_cast<int>(static_cast<unsigned>(date.month()));
    parts.day = static_cast<int>(static_cast<unsigned>(date.day()));
    parts.millisecond = static_cast<int>(timeOfDay % 1000);
    timeOfDay /= 1000;
    parts.second = static_cast<int>(timeOfDay % 60);
    timeOfDay /= 60;
    parts.minute = static_cast<int>(timeOfDay % 60);
    parts.hour = static_cast<int>(timeOfDay / 60);
    return parts;
}

DateTime datePart(DateTime value) {
    return std::trunc(value);
}

DateTime timePart(DateTime value) {
    return std::fabs(value - std::trunc(value));
}

DateTime now() {
    const auto clockNow = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(clockNow);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto sinceEpoch = duration_cast<milliseconds>(clockNow.time_since_epoch()).count();
    DateTimeParts parts;
    parts.year = local.tm_year + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    // A leap second shows as the last ordinary second of its minute.
    parts.second = std::min(local.tm_sec, 59);
    parts.millisecond = static_cast<int>(((sinceEpoch % 1000) + 1000) % 1000);
    return encodeDateTime(parts);
}

std::string formatDateTime(DateTime value, std::string_view pattern) {
    const DateTimeParts parts = decodeDateTime(value);
    std::string text;
    bool lastLetterWasHour = false;
    std::size_t position = 0;
    while (position < pattern.size()) {
        const char character = pattern[position];
        if (character == '\'' || character == '"') {
            const auto closing = pattern.find(character, position + 1);
            const auto textEnd = closing == std::string_view::npos ? pattern.size() : closing;
            text.append(pattern.substr(position + 1, textEnd - position - 1));
            position = closing == std::string_view::npos ? pattern.size() : closing + 1;
            continue;
        }
        if (!isAsciiLetter(character)) {
            text.push_back(character);
            ++position;
            continue;
        }
        char letter = lowerAscii(character);
        std::size_t count = 1;
        while (position + count < pattern.size() && lowerAscii(pattern[position + count]) == letter) {
            ++count;
        }
        if (letter == 'm' && lastLetterWasHour) {
            letter = 'n';
        }
        lastLetterWasHour = letter == 'h';
        if (const auto token = formatToken(letter, count, parts)) {
            text += *token;
        } else {
            text.append(pattern.substr(position, count));
        }
        position += count;
    }
    return text;
}

std::string formatLongTime(DateTime value, const DateTimeLocale& locale) {
    return formatDateTime(value, locale.longTimePattern);
}

int expandTwoDigitYear(int twoDigitYear, int currentYear) {
    const int centuryBase = currentYear - twoDigitYearWindow;
    int expanded = twoDigitYear + centuryBase / 100 * 100;
    if (expanded < centuryBase) {
        expanded += 100;
    }
    return expanded;
}

std::optional<DateTime> tryParseDate(std::string_view text, const DateTimeLocale& locale) {
    const auto numbers = DateScanner(text, locale.dateSeparator).scanNumbers();
    if (!numbers) {
        return std::nullopt;
    }
    const auto order = dateFieldOrder(locale.shortDatePattern);
    const int currentYear = decodeDateTime(now()).year;
    int yearNumber = currentYear;
    int monthNumber = 0;
    int dayOfMonth = 0;
    // Two numbers are day and month of the current year, in the pattern's order.
    std::size_t next = 0;
    for (const DateField field : order) {
        if (field == DateField::Year && numbers->size() == 2) {
            continue;
        }
        const DateNumber number = (*numbers)[next++];
        switch (field) {
        case DateField::Day:
            dayOfMonth = number.value;
            break;
        case DateField::Month:
            monthNumber = number.value;
            break;
        case DateField::Year:
            yearNumber =
                number.digitCount <= 2 ? expandTwoDigitYear(number.value, currentYear) : number.value;
            break;
        }
    }
    if (!isValidDate(yearNumber, monthNumber, dayOfMonth)) {
        return std::nullopt;
    }
    return encodeDate(yearNumber, monthNumber, dayOfMonth);
}

DateTime parseDate(std::string_view text, const DateTimeLocale& locale) {
    if (const auto date = tryParseDate(text, locale)) {
        return *date;
    }
    throw ConversionError(quotedValue(text) + " ist kein gültiges Datum");
}

} // namespace marlovex::formats
