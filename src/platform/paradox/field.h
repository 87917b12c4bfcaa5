// Field types, field definitions and field values of a Paradox table, and the codec between a
// value and the bytes that a record stores for it.
//
// Numbers are stored big-endian with the sign bit flipped (negative floats fully inverted), so
// that comparing the stored bytes with memcmp orders them as the numbers; an all-zero field is
// empty (null). Dates count days from 0001-01-01 (day 1), times count milliseconds since
// midnight, timestamps count milliseconds since day 0.
//
// Pure functions and value types; thread-safe.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace marlovex::paradox {

enum class FieldType : std::uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
};

struct FieldDef {
    std::string name;
    // The type code as the file stores it; codes outside FieldType are carried as opaque bytes.
    std::uint8_t typeCode = 0;
    // Bytes in the record (for alpha fields the maximum length).
    int size = 0;
    // Part of a definition for createTable. Paradox keeps required fields in a separate validity
    // file, which the engine neither writes nor reads, so the flag is not enforced.
    bool required = false;

    static FieldDef of(std::string name, FieldType type, int size = 0, bool required = false);
    bool isKnownType() const;
    FieldType type() const { return static_cast<FieldType>(typeCode); }
};

// The record size of a known type (alpha: the given size); 0 for an unknown code.
int storedSize(std::uint8_t typeCode, int declaredSize);
// Paradox's own letter for a type code ('A', 'N', '$', ...), '?' for codes without one.
char typeLetter(std::uint8_t typeCode);
// The type code for a letter; throws TableError naming the letter when there is none.
std::uint8_t typeCodeFromLetter(char letter);

// A decoded field. Integers carry short, long and autoincrement fields, and the raw counts of
// date (days), time (milliseconds) and timestamp (milliseconds) fields; doubles carry number,
// money and timestamp fields; strings carry alpha fields as UTF-8.
struct Null {
    bool operator==(const Null&) const = default;
};
using Value = std::variant<Null, bool, std::int64_t, double, std::string>;

inline bool isNull(const Value& value) {
    return std::holds_alternative<Null>(value);
}

// The number stored in a numeric field (short, long, autoincrement, date, time: integer; number,
// money, timestamp: double) without building a Value; an empty field gives nullopt. Inline, as
// scans call them for every row.
std::optional<std::int64_t> decodeIntegerField(std::span<const std::uint8_t> bytes);

inline std::optional<std::int64_t> decodeLongField(std::span<const std::uint8_t, 4> bytes) {
    const std::uint32_t raw = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                              (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    if (raw == 0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(raw ^ 0x80000000u);
}

inline std::optional<double> decodeDoubleField(std::span<const std::uint8_t, 8> bytes) {
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        raw = (raw << 8) | bytes[i];
    }
    if (raw == 0) {
        return std::nullopt;
    }
    constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
    return std::bit_cast<double>((raw & kSignBit) ? raw ^ kSignBit : ~raw);
}

// Decodes one field; fields of unknown type read as Null.
Value decodeField(const FieldDef& field, std::span<const std::uint8_t> bytes);
// Encodes one field into `out` (exactly storedSize bytes). Throws TableError naming the field
// when the value does not fit the type (a too-long text, a number out of range).
void encodeField(const FieldDef& field, const Value& value, std::span<std::uint8_t> out);

// Conversions between the engine's day and millisecond counts and the program's date-time
// doubles (days since 1899-12-30, fraction = time of day).
double dateToDateTime(std::int64_t paradoxDays);
double timeToDateTime(std::int64_t milliseconds);
double timestampToDateTime(double paradoxMilliseconds);
std::int64_t dateTimeToDate(double dateTime);
std::int64_t dateTimeToTime(double dateTime);
double dateTimeToTimestamp(double dateTime);

// Civil calendar of the proleptic Gregorian calendar, day 1 = 0001-01-01.
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);

// Alpha fields hold Windows-1252 text; the engine hands out UTF-8.
std::string windows1252ToUtf8(std::string_view bytes);
// Throws TableError naming the text when a character has no Windows-1252 code.
std::string utf8ToWindows1252(std::string_view text);

} // namespace marlovex::paradox
