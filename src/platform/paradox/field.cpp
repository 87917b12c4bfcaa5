#include "platform/paradox/field.h"

#include "platform/common/error.h"
#include "platform/paradox/errors.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace marlovex::paradox {

namespace {

// Days from 0001-01-01 (day 1) to 1899-12-30, the zero of the program's date-time values.
constexpr std::int64_t kDateTimeEpochDay = 693594;
constexpr double kMillisecondsPerDay = 86400000.0;

struct TypeInfo {
    std::uint8_t code;
    char letter;
    int size; // 0: the declared size
};

constexpr std::array<TypeInfo, 17> kTypes{{
    {0x01, 'A', 0},
    {0x02, 'D', 4},
    {0x03, 'S', 2},
    {0x04, 'I', 4},
    {0x05, '$', 8},
    {0x06, 'N', 8},
    {0x09, 'L', 1},
    {0x0C, 'M', 0},
    {0x0D, 'B', 0},
    {0x0E, 'F', 0},
    {0x0F, 'O', 0},
    {0x10, 'G', 0},
    {0x14, 'T', 4},
    {0x15, '@', 8},
    {0x16, '+', 4},
    {0x17, '#', 17},
    {0x18, 'Y', 0},
}};

const TypeInfo* findType(std::uint8_t code) {
    for (const auto& info : kTypes) {
        if (info.code == code) {
            return &info;
        }
    }
    return nullptr;
}

std::uint64_t readBigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t result = 0;
    for (auto byte : bytes) {
        result = (result << 8) | byte;
    }
    return result;
}

void writeBigEndian(std::uint64_t value, std::span<std::uint8_t> out) {
    for (std::size_t i = out.size(); i-- > 0;) {
        out[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

bool allZero(std::span<const std::uint8_t> bytes) {
    for (auto byte : bytes) {
        if (byte != 0) {
            return false;
        }
    }
    return true;
}

std::int64_t decodeInteger(std::span<const std::uint8_t> bytes) {
    const auto bits = 8 * bytes.size();
    const std::uint64_t signBit = std::uint64_t{1} << (bits - 1);
    const std::uint64_t raw = readBigEndian(bytes) ^ signBit;
    // Sign-extend the two's complement value of `bits` width.
    if (raw & signBit) {
        return static_cast<std::int64_t>(raw | ~((signBit << 1) - 1));
    }
    return static_cast<std::int64_t>(raw);
}

void encodeInteger(std::int64_t value, std::span<std::uint8_t> out) {
    const auto bits = 8 * out.size();
    const std::uint64_t signBit = std::uint64_t{1} << (bits - 1);
    const std::uint64_t mask = bits == 64 ? ~std::uint64_t{0} : (signBit << 1) - 1;
    writeBigEndian((static_cast<std::uint64_t>(value) & mask) ^ signBit, out);
}

double decodeDouble(std::span<const std::uint8_t> bytes) {
    std::uint64_t raw = readBigEndian(bytes);
    const std::uint64_t signBit = std::uint64_t{1} << 63;
    raw = (raw & signBit) ? raw ^ signBit : ~raw;
    return std::bit_cast<double>(raw);
}

void encodeDouble(double value, std::span<std::uint8_t> out) {
    std::uint64_t raw = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t signBit = std::uint64_t{1} << 63;
    raw = (raw & signBit) ? ~raw : raw | signBit;
    writeBigEndian(raw, out);
}

// Date-times from 0001-01-01 to 9999-12-31, the range of the tables' calendar.
void checkDateTime(double dateTime) {
    constexpr double kFirst = 1.0 - static_cast<double>(kDateTimeEpochDay);
    constexpr double kLast = 3652060.0 - static_cast<double>(kDateTimeEpochDay);
    if (!(dateTime >= kFirst && dateTime < kLast)) {
        throw TableError("Der Datums- und Zeitwert " + std::to_string(dateTime) +
                         " liegt außerhalb der Jahre 1 bis 9999.");
    }
}

// `sentence` has "{}" where the field's name goes.
[[noreturn]] void throwBadValue(const FieldDef& field, const char* sentence) {
    throw TableError(withName(sentence, "'" + field.name + "'") + ".");
}

std::int64_t integerOf(const FieldDef& field, const Value& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return *integer;
    }
    if (const auto* number = std::get_if<double>(&value)) {
        if (!std::isfinite(*number) || std::trunc(*number) != *number || std::abs(*number) > 9.0e18) {
            throwBadValue(field, "Der Wert für das Feld {} ist keine ganze Zahl im zulässigen Bereich");
        }
        return static_cast<std::int64_t>(*number);
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? 1 : 0;
    }
    throwBadValue(field, "Der Wert für das Feld {} ist keine Zahl");
}

double doubleOf(const FieldDef& field, const Value& value) {
    if (const auto* number = std::get_if<double>(&value)) {
        return *number;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*integer);
    }
    throwBadValue(field, "Der Wert für das Feld {} ist keine Zahl");
}

void encodeRangedInteger(const FieldDef& field, std::int64_t value, std::span<std::uint8_t> out) {
    // The most negative value of the width is all-zero once stored: it would read as empty.
    const auto bits = 8 * out.size();
    const std::int64_t limit = std::int64_t{1} << (bits - 1);
    if (value <= -limit || value >= limit) {
        throw TableError("Der Wert " + std::to_string(value) + " liegt außerhalb des Bereichs des Feldes '" +
                         field.name + "'.");
    }
    encodeInteger(value, out);
}

// The code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is undefined.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

FieldDef FieldDef::of(std::string name, FieldType type, int size, bool required) {
    FieldDef field;
    field.name = std::move(name);
    field.typeCode = static_cast<std::uint8_t>(type);
    field.size = storedSize(field.typeCode, size);
    field.required = required;
    return field;
}

bool FieldDef::isKnownType() const {
    switch (type()) {
    case FieldType::Alpha:
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Logical:
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::AutoIncrement:
        return true;
    }
    return false;
}

int storedSize(std::uint8_t typeCode, int declaredSize) {
    const auto* info = findType(typeCode);
    if (info == nullptr) {
        return 0;
    }
    return info->size != 0 ? info->size : declaredSize;
}

char typeLetter(std::uint8_t typeCode) {
    const auto* info = findType(typeCode);
    return info != nullptr ? info->letter : '?';
}

std::uint8_t typeCodeFromLetter(char letter) {
    for (const auto& info : kTypes) {
        if (info.letter == letter) {
            return info.code;
        }
    }
    throw TableError(std::string("Unbekannter Feldtyp '") + letter + "'.");
}

std::optional<std::int64_t> decodeIntegerField(std::span<const std::uint8_t> bytes) {
    if (allZero(bytes)) {
        return std::nullopt;
    }
    return decodeInteger(bytes);
}

Value decodeField(const FieldDef& field, std::span<const std::uint8_t> bytes) {
    if (allZero(bytes) || !field.isKnownType()) {
        return Null{};
    }
    switch (field.type()) {
    case FieldType::Alpha: {
        const auto* begin = reinterpret_cast<const char*>(bytes.data());
        const auto length = ::strnlen(begin, bytes.size());
        return windows1252ToUtf8(std::string_view(begin, length));
    }
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoIncrement:
        return decodeInteger(bytes);
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp:
        return decodeDouble(bytes);
    case FieldType::Logical:
        return (bytes[0] & 0x7F) != 0;
    }
    return Null{};
}

void encodeField(const FieldDef& field, const Value& value, std::span<std::uint8_t> out) {
    if (isNull(value)) {
        std::memset(out.data(), 0, out.size());
        return;
    }
    if (!field.isKnownType()) {
        throwBadValue(field, "Das Feld {} hat einen Typ, der nicht geschrieben werden kann");
    }
    switch (field.type()) {
    case FieldType::Alpha: {
        const auto* text = std::get_if<std::string>(&value);
        if (text == nullptr) {
            throwBadValue(field, "Der Wert für das Feld {} ist kein Text");
        }
        const auto bytes = utf8ToWindows1252(*text);
        if (bytes.size() > out.size()) {
            throw TableError("Der Text " + quotedValue(*text) + " ist zu lang für das Feld '" + field.name +
                             "' (höchstens " + std::to_string(out.size()) + " Zeichen).");
        }
        std::memset(out.data(), 0, out.size());
        std::memcpy(out.data(), bytes.data(), bytes.size());
        return;
    }
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoIncrement:
        encodeRangedInteger(field, integerOf(field, value), out);
        return;
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp: {
        const double number = doubleOf(field, value);
        if (std::isnan(number)) {
            throwBadValue(field, "Der Wert für das Feld {} ist keine Zahl");
        }
        encodeDouble(number, out);
        return;
    }
    case FieldType::Logical: {
        const auto* flag = std::get_if<bool>(&value);
        if (flag == nullptr) {
            throwBadValue(field, "Der Wert für das Feld {} ist kein logischer Wert");
        }
        out[0] = *flag ? 0x81 : 0x80;
        return;
    }
    }
}

double dateToDateTime(std::int64_t paradoxDays) {
    return static_cast<double>(paradoxDays - kDateTimeEpochDay);
}

double timeToDateTime(std::int64_t milliseconds) {
    return static_cast<double>(milliseconds) / kMillisecondsPerDay;
}

double timestampToDateTime(double paradoxMilliseconds) {
    // Whole days and the time of day apart, so that a stored moment reads back as exactly the
    // double that "date + time / 86400000" gives.
    constexpr double kLimit = 9.0e15;
    if (std::abs(paradoxMilliseconds) < kLimit && paradoxMilliseconds == std::trunc(paradoxMilliseconds)) {
        const auto total = static_cast<std::int64_t>(paradoxMilliseconds);
        const std::int64_t perDay = 86400000;
        auto days = total / perDay;
        auto milliseconds = total % perDay;
        if (milliseconds < 0) {
            --days;
            milliseconds += perDay;
        }
        return static_cast<double>(days - kDateTimeEpochDay) +
               static_cast<double>(milliseconds) / kMillisecondsPerDay;
    }
    const double days = std::floor(paradoxMilliseconds / kMillisecondsPerDay);
    const double milliseconds = paradoxMilliseconds - days * kMillisecondsPerDay;
    return (days - static_cast<double>(kDateTimeEpochDay)) + milliseconds / kMillisecondsPerDay;
}

std::int64_t dateTimeToDate(double dateTime) {
    checkDateTime(dateTime);
    return static_cast<std::int64_t>(std::floor(dateTime)) + kDateTimeEpochDay;
}

std::int64_t dateTimeToTime(double dateTime) {
    checkDateTime(dateTime);
    const double fraction = std::abs(dateTime - std::trunc(dateTime));
    return std::min<std::int64_t>(std::llround(fraction * kMillisecondsPerDay), 86399999);
}

double dateTimeToTimestamp(double dateTime) {
    checkDateTime(dateTime);
    const double days = std::floor(dateTime);
    const double milliseconds = std::round((dateTime - days) * kMillisecondsPerDay);
    return (days + static_cast<double>(kDateTimeEpochDay)) * kMillisecondsPerDay + milliseconds;
}

std::int64_t daysFromCivil(int year, int month, int day) {
    // Days since 0000-03-01 by the era method, shifted so that 0001-01-01 is day 1.
    const int y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 305;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    const std::int64_t z = days + 305;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else if (byte < 0xA0) {
            const char16_t mapped = kWindows1252High[byte - 0x80];
            appendUtf8(out, mapped != 0 ? mapped : byte);
        } else {
            appendUtf8(out, byte);
        }
    }
    return out;
}

std::string utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t codePoint = 0;
        std::size_t length = 1;
        if (lead < 0x80) {
            codePoint = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            codePoint = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            codePoint = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            codePoint = lead & 0x07;
            length = 4;
        } else {
            throw TableError("Der Text " + quotedValue(text) + " ist kein gültiges UTF-8.");
        }
        if (i + length > text.size()) {
            throw TableError("Der Text " + quotedValue(text) + " ist kein gültiges UTF-8.");
        }
        for (std::size_t k = 1; k < length; ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += length;
        if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
            out += static_cast<char>(codePoint);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < kWindows1252High.size(); ++k) {
            if (kWindows1252High[k] != 0 && kWindows1252High[k] == codePoint) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) {
            throw TableError("Der Text '" + std::string(text) +
                             "' enthält ein Zeichen, das eine Tabelle nicht speichern kann.");
        }
    }
    return out;
}

} // namespace marlovex::paradox
