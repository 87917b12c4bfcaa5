#include "platform/paradox/value_conversion.h"

#include "platform/paradox/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace marlovex::paradox {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
// 9999-12-31, the last day of the calendar that tables use.
constexpr double kLastDay = 3652059.0;

std::string trim(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

[[noreturn]] void badText(const FieldDef& field, std::string_view text) {
    throw TableError("'" + std::string(text) + "' ist kein gültiger Wert für das Feld '" + field.name +
                     "' (Typ " + std::string(1, typeLetter(field.typeCode)) + ").");
}

template <typename Number> bool parseNumber(std::string_view text, Number& out) {
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    return result.ec == std::errc{} && result.ptr == end;
}

std::string formatDouble(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

std::string formatDate(std::int64_t days) {
    int year = 0;
    int month = 0;
    int day = 0;
    civilFromDays(days, year, month, day);
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d", year, month, day);
    return buffer;
}

std::string formatTime(std::int64_t milliseconds) {
    char buffer[32];
    const auto seconds = milliseconds / 1000;
    std::snprintf(buffer, sizeof(buffer), "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    std::string text = buffer;
    if (milliseconds % 1000 != 0) {
        std::snprintf(buffer, sizeof(buffer), ".%03d", static_cast<int>(milliseconds % 1000));
        text += buffer;
    }
    return text;
}

bool parseDate(std::string_view text, std::int64_t& days) {
    int year = 0;
    int month = 0;
    int day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !parseNumber(text.substr(0, 4), year) ||
        !parseNumber(text.substr(5, 2), month) || !parseNumber(text.substr(8, 2), day)) {
        return false;
    }
    days = daysFromCivil(year, month, day);
    int checkYear = 0;
    int checkMonth = 0;
    int checkDay = 0;
    civilFromDays(days, checkYear, checkMonth, checkDay);
    return year >= 1 && checkYear == year && checkMonth == month && checkDay == day;
}

bool parseTime(std::string_view text, std::int64_t& milliseconds) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int fraction = 0;
    if (text.size() < 8 || text[2] != ':' || text[5] != ':' || !parseNumber(text.substr(0, 2), hour) ||
        !parseNumber(text.substr(3, 2), minute) || !parseNumber(text.substr(6, 2), second)) {
        return false;
    }
    if (text.size() > 8) {
        if (text[8] != '.' || text.size() != 12 || !parseNumber(text.substr(9, 3), fraction)) {
            return false;
        }
    }
    if (hour > 23 || minute > 59 || second > 59 || fraction < 0) {
        return false;
    }
    milliseconds = ((hour * 60 + minute) * 60 + second) * 1000LL + fraction;
    return true;
}

char upperLatin1(std::uint8_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char>(c - 0x20);
    }
    return static_cast<char>(c);
}

} // namespace

std::vector<std::string> splitFieldNames(std::string_view names) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= names.size()) {
        const auto end = names.find(';', start);
        const auto part =
            trim(names.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (!part.empty()) {
            result.push_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return result;
}

bool equalNames(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperLatin1(static_cast<std::uint8_t>(a[i])) != upperLatin1(static_cast<std::uint8_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::filesystem::path withTableExtension(std::filesystem::path path) {
    // Dots may belong to the name ("Intraday04.12.2026"): only ".db" counts as the extension.
    if (!equalNames(path.extension().string(), ".db")) {
        path += ".DB";
    }
    return path;
}

Value toStoredValue(const FieldDef& field, const Value& userValue) {
    if (isNull(userValue) || !field.isKnownType()) {
        return userValue;
    }
    const auto asDouble = [&]() -> double {
        if (const auto* number = std::get_if<double>(&userValue)) {
            return *number;
        }
        if (const auto* integer = std::get_if<std::int64_t>(&userValue)) {
            return static_cast<double>(*integer);
        }
        throw TableError("Der Wert für das Feld '" + field.name + "' ist kein Datums- oder Zeitwert.");
    };
    switch (field.type()) {
    case FieldType::Date:
        return dateTimeToDate(asDouble());
    case FieldType::Time:
        return dateTimeToTime(asDouble());
    case FieldType::Timestamp:
        return dateTimeToTimestamp(asDouble());
    case FieldType::Alpha:
        if (const auto* integer = std::get_if<std::int64_t>(&userValue)) {
            return std::to_string(*integer);
        }
        if (const auto* number = std::get_if<double>(&userValue)) {
            return formatDouble(*number);
        }
        if (const auto* flag = std::get_if<bool>(&userValue)) {
            return std::string(*flag ? "True" : "False");
        }
        return userValue;
    case FieldType::Logical:
        if (const auto* integer = std::get_if<std::int64_t>(&userValue)) {
            return *integer != 0;
        }
        if (const auto* text = std::get_if<std::string>(&userValue)) {
            return parseText(field, *text);
        }
        return userValue;
    default:
        if (const auto* text = std::get_if<std::string>(&userValue)) {
            return parseText(field, trim(*text));
        }
        return userValue;
    }
}

Value toUserValue(const FieldDef& field, const Value& storedValue) {
    if (isNull(storedValue) || !field.isKnownType()) {
        return storedValue;
    }
    switch (field.type()) {
    case FieldType::Date:
        return dateToDateTime(std::get<std::int64_t>(storedValue));
    case FieldType::Time:
        return timeToDateTime(std::get<std::int64_t>(storedValue));
    case FieldType::Timestamp:
        return timestampToDateTime(std::get<double>(storedValue));
    default:
        return storedValue;
    }
}

int compareStoredField(const FieldDef& field, const std::uint8_t* a, const std::uint8_t* b, bool ignoreCase) {
    const auto size = static_cast<std::size_t>(field.size);
    if (field.typeCode != static_cast<std::uint8_t>(FieldType::Alpha) || !ignoreCase) {
        return std::memcmp(a, b, size);
    }
    for (std::size_t i = 0; i < size; ++i) {
        const auto x = static_cast<std::uint8_t>(upperLatin1(a[i]));
        const auto y = static_cast<std::uint8_t>(upperLatin1(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

std::string formatText(const FieldDef& field, const Value& storedValue) {
    if (const auto* text = std::get_if<std::string>(&storedValue); text != nullptr && !field.isKnownType()) {
        // Memo fields, read from the blob file, are the only text of a type outside FieldType.
        return *text;
    }
    if (isNull(storedValue) || !field.isKnownType()) {
        return {};
    }
    switch (field.type()) {
    case FieldType::Alpha:
        return std::get<std::string>(storedValue);
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return std::to_string(std::get<std::int64_t>(storedValue));
    case FieldType::Money:
    case FieldType::Number:
        return formatDouble(std::get<double>(storedValue));
    case FieldType::Logical:
        return std::get<bool>(storedValue) ? "true" : "false";
    case FieldType::Date:
        return formatDate(std::get<std::int64_t>(storedValue));
    case FieldType::Time:
        return formatTime(std::get<std::int64_t>(storedValue));
    case FieldType::Timestamp: {
        const double total = std::round(std::get<double>(storedValue));
        if (!(total >= kMillisecondsPerDay && total < kLastDay * kMillisecondsPerDay)) {
            // Outside the calendar: shown as the stored count rather than as a date.
            return formatDouble(total);
        }
        const auto days = static_cast<std::int64_t>(std::floor(total / kMillisecondsPerDay));
        const auto milliseconds =
            static_cast<std::int64_t>(total - static_cast<double>(days) * kMillisecondsPerDay);
        return formatDate(days) + " " + formatTime(milliseconds);
    }
    }
    return {};
}

Value parseText(const FieldDef& field, std::string_view text) {
    if (text.empty()) {
        return Null{};
    }
    if (!field.isKnownType()) {
        badText(field, text);
    }
    switch (field.type()) {
    case FieldType::Alpha:
        return std::string(text);
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoIncrement: {
        std::int64_t value = 0;
        if (!parseNumber(text, value)) {
            badText(field, text);
        }
        return value;
    }
    case FieldType::Money:
    case FieldType::Number: {
        double value = 0;
        if (!parseNumber(text, value) || !std::isfinite(value)) {
            badText(field, text);
        }
        return value;
    }
    case FieldType::Logical:
        if (text == "true") {
            return true;
        }
        if (text == "false") {
            return false;
        }
        badText(field, text);
    case FieldType::Date: {
        std::int64_t days = 0;
        if (!parseDate(text, days)) {
            badText(field, text);
        }
        return days;
    }
    case FieldType::Time: {
        std::int64_t milliseconds = 0;
        if (!parseTime(text, milliseconds)) {
            badText(field, text);
        }
        return milliseconds;
    }
    case FieldType::Timestamp: {
        std::int64_t days = 0;
        std::int64_t milliseconds = 0;
        if (text.size() < 19 || text[10] != ' ' || !parseDate(text.substr(0, 10), days) ||
            !parseTime(text.substr(11), milliseconds)) {
            badText(field, text);
        }
        return static_cast<double>(days) * kMillisecondsPerDay + static_cast<double>(milliseconds);
    }
    }
    badText(field, text);
}

} // namespace marlovex::paradox
