#include "platform/paradox/errors.h"
#include "platform/paradox/field.h"
#include "platform/paradox/value_conversion.h"
#include "support/error_message.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace marlovex::paradox {
namespace {

std::vector<std::uint8_t> encode(const FieldDef& field, const Value& value) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(field.size), 0xEE);
    encodeField(field, value, bytes);
    return bytes;
}

TEST(FieldCodec, NumbersUseFlippedSignBigEndianSortLikeTheirBytesAndEmptyFieldsAreAllZero) {
    const auto shortField = FieldDef::of("S", FieldType::Short);
    EXPECT_EQ(encode(shortField, std::int64_t{1}), (std::vector<std::uint8_t>{0x80, 0x01}));
    EXPECT_EQ(encode(shortField, std::int64_t{256}), (std::vector<std::uint8_t>{0x81, 0x00}));
    EXPECT_EQ(encode(shortField, std::int64_t{-1}), (std::vector<std::uint8_t>{0x7F, 0xFF}));
    const auto longField = FieldDef::of("L", FieldType::Long);
    for (std::int64_t value : {0LL, 1LL, -1LL, 2147483647LL, -2147483647LL, 123456789LL}) {
        EXPECT_EQ(std::get<std::int64_t>(decodeField(longField, encode(longField, value))), value);
    }
    // The stored bytes sort like the numbers.
    const auto field = FieldDef::of("N", FieldType::Number);
    const std::vector<double> values{-1e300, -2.5, -1.0, -0.001, 0.0, 1e-300, 0.5, 1.0, 77.02, 1e12};
    for (std::size_t i = 0; i + 1 < values.size(); ++i) {
        const auto a = encode(field, values[i]);
        const auto b = encode(field, values[i + 1]);
        EXPECT_LT(std::memcmp(a.data(), b.data(), a.size()), 0) << values[i] << " vs " << values[i + 1];
        EXPECT_EQ(std::get<double>(decodeField(field, a)), values[i]);
    }
    EXPECT_LT(std::memcmp(encode(shortField, std::int64_t{-2}).data(),
                          encode(shortField, std::int64_t{1}).data(), 2),
              0);
    // Empty fields are all zero and distinct from zero.
    for (auto type : {FieldType::Short, FieldType::Long, FieldType::Number, FieldType::Money, FieldType::Date,
                      FieldType::Time, FieldType::Timestamp, FieldType::Logical, FieldType::AutoIncrement}) {
        const auto typed = FieldDef::of("F", type);
        const auto nullBytes = encode(typed, Null{});
        EXPECT_TRUE(std::all_of(nullBytes.begin(), nullBytes.end(), [](auto b) { return b == 0; }));
        EXPECT_TRUE(isNull(decodeField(typed, nullBytes)));
    }
    EXPECT_FALSE(isNull(decodeField(FieldDef::of("N", FieldType::Number),
                                    encode(FieldDef::of("N", FieldType::Number), 0.0))));
    EXPECT_FALSE(isNull(decodeField(FieldDef::of("S", FieldType::Short),
                                    encode(FieldDef::of("S", FieldType::Short), std::int64_t{0}))));
    EXPECT_FALSE(std::get<bool>(decodeField(FieldDef::of("L", FieldType::Logical),
                                            encode(FieldDef::of("L", FieldType::Logical), false))));
}

TEST(FieldCodec, AlphaIsWindows1252PaddedWithZerosAndValuesThatDoNotFitAreErrorsNamingTheField) {
    const auto field = FieldDef::of("Name", FieldType::Alpha, 8);
    const auto bytes = encode(field, std::string("Müller"));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'M', 0xFC, 'l', 'l', 'e', 'r', 0, 0}));
    EXPECT_EQ(std::get<std::string>(decodeField(field, bytes)), "Müller");
    EXPECT_EQ(windows1252ToUtf8("\x80"), "€");
    EXPECT_EQ(utf8ToWindows1252("€"), "\x80");
    EXPECT_THROW(utf8ToWindows1252("日本"), TableError);
    // An empty text is the empty field.
    EXPECT_TRUE(isNull(decodeField(field, encode(field, std::string()))));
    // Values out of range or of the wrong type are errors naming the field.
    const auto shortField = FieldDef::of("Menge", FieldType::Short);
    std::vector<std::uint8_t> two(2);
    EXPECT_NE(testing_support::messageOf<TableError>([&] {
                  encodeField(shortField, std::int64_t{40000}, two);
              }).find("Menge"),
              std::string::npos);
    // The most negative value would be stored as all zeros, i.e. read back as empty.
    EXPECT_THROW(encodeField(shortField, std::int64_t{-32768}, two), TableError);
    EXPECT_THROW(encodeField(shortField, std::string("x"), two), TableError);
    const auto alpha = FieldDef::of("Name", FieldType::Alpha, 3);
    std::vector<std::uint8_t> text(3);
    EXPECT_THROW(encodeField(alpha, std::string("abcd"), text), TableError);
}

TEST(FieldCodec, CalendarCountsDaysFromYearOneAndDateTimesConvertToTheProgramsDays) {
    EXPECT_EQ(daysFromCivil(1, 1, 1), 1);
    EXPECT_EQ(daysFromCivil(100, 1, 1), 36160);
    EXPECT_EQ(daysFromCivil(1996, 5, 4), 728783);
    for (std::int64_t days : {1LL, 36160LL, 693594LL, 730120LL, 739956LL, 3652059LL}) {
        int year = 0;
        int month = 0;
        int day = 0;
        civilFromDays(days, year, month, day);
        EXPECT_EQ(daysFromCivil(year, month, day), days);
    }
    // 1899-12-30 is day 0 of the program's date-time values.
    EXPECT_EQ(dateTimeToDate(0.0), daysFromCivil(1899, 12, 30));
    EXPECT_DOUBLE_EQ(dateToDateTime(daysFromCivil(2026, 12, 6)), 46362.0);
    EXPECT_EQ(dateTimeToTime(0.5), 43200000);
    EXPECT_DOUBLE_EQ(timeToDateTime(43200000), 0.5);
    const double moment = 46362.0 + (9 * 3600 + 30 * 60 + 15.25) / 86400.0;
    EXPECT_NEAR(timestampToDateTime(dateTimeToTimestamp(moment)), moment, 1e-9);
    EXPECT_EQ(std::fmod(dateTimeToTimestamp(moment), 1000.0), 250.0);
    // Values outside the calendar are errors, not wrapped numbers.
    EXPECT_THROW(dateTimeToDate(1e300), TableError);
    EXPECT_THROW(dateTimeToTimestamp(-1e7), TableError);
    EXPECT_THROW(dateTimeToTime(std::nan("")), TableError);
    EXPECT_EQ(formatText(FieldDef::of("@", FieldType::Timestamp), -1.5e292), "-1.5e+292");
}

// Every type's round trip through text runs in Pxtool.EveryFieldTypeRoundTripsThroughAppendAndDump.
TEST(TextNotation, EmptyTextIsEmptyImpossibleValuesAreRefusedAndNamesNeedNoLetterCase) {
    EXPECT_TRUE(isNull(parseText(FieldDef::of("N", FieldType::Number), "")));
    EXPECT_THROW(parseText(FieldDef::of("D", FieldType::Date), "2026-02-31"), TableError);
    EXPECT_THROW(parseText(FieldDef::of("N", FieldType::Number), "1,5"), TableError);
    EXPECT_THROW(parseText(FieldDef::of("T", FieldType::Time), "24:00:00"), TableError);
    EXPECT_EQ(splitFieldNames("FIRMA; ZEIT"), (std::vector<std::string>{"FIRMA", "ZEIT"}));
    EXPECT_TRUE(equalNames("Zeit", "ZEIT"));
    EXPECT_FALSE(equalNames("Kurs", "Kurse"));
}

} // namespace
} // namespace marlovex::paradox
