// Date-time values: the day count since 1899-12-30, its text forms and the reading of dates.
#include "platform/formats/date_time.h"
#include "support/error_message.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace marlovex::formats {
namespace {

using testing_support::messageOf;

struct CalendarDate {
    int year;
    int month;
    int day;
};

struct DayNumberCase {
    CalendarDate date;
    double dayNumber;
};

TEST(EncodeDateAndTime, CountDaysFromTheEpochAndTheFractionOfTheDayAndRejectWhatDoesNotExist) {
    const std::vector<DayNumberCase> cases = {
        {{1899, 12, 30}, 0},   {{1899, 12, 31}, 1},   {{1900, 1, 1}, 2},         {{1900, 3, 1}, 61},
        {{1970, 1, 1}, 25569}, {{2000, 1, 1}, 36526}, {{2024, 2, 29}, 45351},    {{2026, 12, 6}, 46362},
        {{1899, 12, 29}, -1},  {{1, 1, 1}, -693593},  {{9999, 12, 31}, 2958465},
    };
    for (const auto& [date, dayNumber] : cases) {
        EXPECT_EQ(encodeDate(date.year, date.month, date.day), dayNumber)
            << date.day << "." << date.month << "." << date.year;
    }
    const std::vector<CalendarDate> dates = {
        {2025, 2, 29}, {1900, 2, 29}, {2100, 2, 29}, {2026, 2, 31}, {2026, 4, 31}, {2026, 13, 1},
        {2026, 0, 1},  {2026, 1, 0},  {2026, 1, 32}, {0, 12, 31},   {10000, 1, 1}, {-1, 1, 1},
    };
    for (const auto& date : dates) {
        EXPECT_THROW(encodeDate(date.year, date.month, date.day), ConversionError)
            << date.day << "." << date.month << "." << date.year;
    }
    EXPECT_NO_THROW(encodeDate(2000, 2, 29));
    EXPECT_EQ(messageOf<ConversionError>([] { encodeDate(2025, 2, 31); }),
              "'31.02.2025' ist kein gültiges Datum");
    // encodeTime gives the fraction of the day.
    EXPECT_EQ(encodeTime(0, 0, 0), 0.0);
    EXPECT_EQ(encodeTime(12, 0, 0), 0.5);
    EXPECT_EQ(encodeTime(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(encodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
    EXPECT_THROW(encodeTime(24, 0, 0), ConversionError);
    EXPECT_THROW(encodeTime(23, 60, 0), ConversionError);
    EXPECT_THROW(encodeTime(23, 0, 60), ConversionError);
    EXPECT_THROW(encodeTime(23, 0, 0, 1000), ConversionError);
    EXPECT_THROW(encodeTime(-1, 0, 0), ConversionError);
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

CalendarDate dayAfter(CalendarDate date) {
    constexpr int monthLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int length = date.month == 2 && isLeapYear(date.year) ? 29 : monthLengths[date.month - 1];
    if (++date.day > length) {
        date.day = 1;
        if (++date.month > 12) {
            date.month = 1;
            ++date.year;
        }
    }
    return date;
}

TEST(DecodeDateTime, WalksTheCalendarDayByDay) {
    CalendarDate expected{1600, 1, 1};
    const auto first = static_cast<long long>(encodeDate(1600, 1, 1));
    const auto last = static_cast<long long>(encodeDate(2400, 12, 31));
    for (long long dayNumber = first; dayNumber <= last; ++dayNumber) {
        const auto parts = decodeDateTime(static_cast<double>(dayNumber));
        ASSERT_EQ(parts.year, expected.year) << dayNumber;
        ASSERT_EQ(parts.month, expected.month) << dayNumber;
        ASSERT_EQ(parts.day, expected.day) << dayNumber;
        ASSERT_EQ(encodeDate(expected.year, expected.month, expected.day), static_cast<double>(dayNumber));
        expected = dayAfter(expected);
    }
}

TEST(DecodeDateTime, RoundsToTheNearestMillisecondAndEveryMillisecondStepOfADayComesBack) {
    const auto justBeforeMidnight = decodeDateTime(0.99999999);
    EXPECT_EQ(justBeforeMidnight.day, 30);
    EXPECT_EQ(justBeforeMidnight.hour, 23);
    EXPECT_EQ(justBeforeMidnight.minute, 59);
    EXPECT_EQ(justBeforeMidnight.second, 59);
    EXPECT_EQ(justBeforeMidnight.millisecond, 999);
    EXPECT_EQ(formatDateTime(0.99999999, "hh:mm:ss"), "23:59:59");

    // Closer to midnight than half a millisecond: the next day begins.
    const auto midnight = decodeDateTime(0.999999999);
    EXPECT_EQ(midnight.day, 31);
    EXPECT_EQ(midnight.hour, 0);
    EXPECT_EQ(formatDateTime(0.999999999, "dd.mm.yyyy hh:mm:ss"), "31.12.1899 00:00:00");

    // 09:05:07 is no exact binary fraction; it must not come back as 09:05:06.999.
    const double morning = encodeDate(2026, 12, 6) + encodeTime(9, 5, 7);
    EXPECT_EQ(decodeDateTime(morning).second, 7);
    EXPECT_EQ(decodeDateTime(morning).millisecond, 0);
    // Every millisecond step of a day comes back.
    for (int millisecondOfDay = 0; millisecondOfDay < 86400000; millisecondOfDay += 997) {
        const int millisecond = millisecondOfDay % 1000;
        const int second = millisecondOfDay / 1000 % 60;
        const int minute = millisecondOfDay / 60000 % 60;
        const int hour = millisecondOfDay / 3600000;
        const auto stepParts =
            decodeDateTime(encodeDateTime({2026, 12, 6, hour, minute, second, millisecond}));
        ASSERT_EQ(stepParts.year, 2026);
        ASSERT_EQ(stepParts.day, 6);
        ASSERT_EQ(stepParts.hour, hour);
        ASSERT_EQ(stepParts.minute, minute);
        ASSERT_EQ(stepParts.second, second);
        ASSERT_EQ(stepParts.millisecond, millisecond);
    }
}

TEST(DecodeDateTime, NegativeValuesCountTheTimeForwardFromMidnightAndOthersOutsideTheCalendarAreRejected) {
    const auto parts = decodeDateTime(-1.25);
    EXPECT_EQ(parts.year, 1899);
    EXPECT_EQ(parts.month, 12);
    EXPECT_EQ(parts.day, 29);
    EXPECT_EQ(parts.hour, 6);
    EXPECT_EQ(encodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_EQ(encodeDateTime({1899, 12, 30, 6, 0, 0, 0}), 0.25);
    EXPECT_EQ(decodeDateTime(-0.25).day, 30);
    EXPECT_EQ(decodeDateTime(-0.25).hour, 6);
    EXPECT_EQ(datePart(-1.25), -1.0);
    EXPECT_EQ(timePart(-1.25), 0.25);
    EXPECT_EQ(formatDateTime(encodeDateTime({1, 1, 1, 18, 30, 0, 0}), "dd.mm.yyyy hh:mm"),
              "01.01.0001 18:30");
    // Values outside the calendar are rejected.
    for (const double value : {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(), 2958466.0, -693594.0, 1e300}) {
        EXPECT_THROW(decodeDateTime(value), ConversionError) << value;
        EXPECT_THROW(formatDateTime(value, "hh:mm:ss"), ConversionError) << value;
    }
    // The last millisecond of 9999 rounds past the end of the calendar.
    EXPECT_THROW(decodeDateTime(2958465.99999999999), ConversionError);
    EXPECT_NO_THROW(decodeDateTime(2958465.9999));
}

struct FormatCase {
    std::string pattern;
    std::string expected;
};

TEST(FormatDateTime, WritesThePatternLettersPadsSmallNumbersAndTheLongTimeOfTheLocale) {
    const double value = encodeDateTime({2026, 12, 6, 9, 5, 7, 123});
    const std::vector<FormatCase> cases = {
        {"hh:mm:ss", "09:05:07"},
        {"dd.mm.yyyy", "06.12.2026"},
        {"d.m.yy", "6.12.26"},
        {"h:n:s", "9:5:7"},
        {"hh:nn", "09:05"},
        {"dd nn", "06 05"},
        {"yyyy-mm-dd", "2026-12-06"},
        {"mm/dd/yyyy", "12/06/2026"},
        {"HH:MM:SS", "09:05:07"},
        {"DD.MM.YYYY", "06.12.2026"},
        {"hh:mm:ss,zzz", "09:05:07,123"},
        {"z", "123"},
        {"dd.mm.yyyy hh:mm", "06.12.2026 09:05"},
        {"h 'Uhr' mm", "9 Uhr 05"},
        {"\"Zeit:\" hh:mm", "Zeit: 09:05"},
        {"'dd' dd", "dd 06"},
        {"[hh]", "[09]"},
        {"hh' unclosed", "09 unclosed"},
        {"", ""},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(formatDateTime(value, testCase.pattern), testCase.expected) << testCase.pattern;
    }
    const double early = encodeDateTime({987, 1, 2, 0, 0, 0, 5});
    EXPECT_EQ(formatDateTime(early, "dd.mm.yyyy hh:mm:ss"), "02.01.0987 00:00:00");
    EXPECT_EQ(formatDateTime(early, "yy"), "87");
    EXPECT_EQ(formatDateTime(early, "zzz"), "005");
    EXPECT_EQ(formatDateTime(early, "z"), "5");
    EXPECT_EQ(formatDateTime(0.0, "dd.mm.yyyy hh:mm:ss"), "30.12.1899 00:00:00");
    // The long time form follows the locale's pattern.
    const double evening = encodeDateTime({2026, 12, 6, 17, 45, 3, 0});
    EXPECT_EQ(formatLongTime(evening), "17:45:03");
    DateTimeLocale english;
    english.longTimePattern = "h:nn:ss";
    EXPECT_EQ(formatLongTime(evening, english), "17:45:03");
    english.longTimePattern = "hh.nn";
    EXPECT_EQ(formatLongTime(evening, english), "17.45");
}

TEST(ParseDate, ReadsTheShortDateOrderWithShortYearsNearTheCurrentYearAndRejectsTextThatIsNoDate) {
    EXPECT_EQ(parseDate("06.12.2026"), 46362.0);
    EXPECT_EQ(parseDate("6.12.2026"), 46362.0);
    EXPECT_EQ(parseDate(" 06.12.2026 "), 46362.0);
    EXPECT_EQ(parseDate("06 . 12 . 2026"), 46362.0);
    EXPECT_EQ(parseDate("29.02.2024"), encodeDate(2024, 2, 29));
    EXPECT_EQ(parseDate("30.12.1899"), 0.0);
    EXPECT_EQ(parseDate("01.01.0001"), -693593.0);

    DateTimeLocale iso;
    iso.shortDatePattern = "yyyy-mm-dd";
    iso.dateSeparator = '-';
    EXPECT_EQ(parseDate("2026-12-06", iso), 46362.0);
    DateTimeLocale american;
    american.shortDatePattern = "M/d/yyyy";
    american.dateSeparator = '/';
    EXPECT_EQ(parseDate("12/6/2026", american), 46362.0);
    EXPECT_THROW(parseDate("06.12.2026", american), ConversionError);
    const std::vector<std::string> texts = {
        "29.02.2025",   "31.02.2026",  "00.01.2026",  "01.13.2026",       "",      " ",
        "06",           "06.12.2026.", "06-12-2026",  "06.12.2026 12:00", "a.b.c", "06..2026",
        "12345.1.2026", "06.12.20266", "-06.12.2026", "06.12.-2026",
    };
    for (const auto& text : texts) {
        EXPECT_FALSE(tryParseDate(text).has_value()) << "text '" << text << "'";
        EXPECT_THROW(parseDate(text), ConversionError) << "text '" << text << "'";
    }
    EXPECT_EQ(messageOf<ConversionError>([] { parseDate("29.02.2025"); }),
              "'29.02.2025' ist kein gültiges Datum");
    // Short years lie near the current year.
    EXPECT_EQ(expandTwoDigitYear(26, 2026), 2026);
    EXPECT_EQ(expandTwoDigitYear(76, 2026), 1976);
    EXPECT_EQ(expandTwoDigitYear(75, 2026), 2075);
    EXPECT_EQ(expandTwoDigitYear(0, 2026), 2000);
    EXPECT_EQ(expandTwoDigitYear(99, 2026), 1999);
    EXPECT_EQ(expandTwoDigitYear(50, 2000), 1950);
    EXPECT_EQ(expandTwoDigitYear(49, 2000), 2049);

    const int currentYear = decodeDateTime(now()).year;
    EXPECT_EQ(parseDate("06.12.26"), encodeDate(expandTwoDigitYear(26, currentYear), 12, 6));
    EXPECT_EQ(parseDate("6.1.7"), encodeDate(expandTwoDigitYear(7, currentYear), 1, 6));
    // Four digits are taken as written, even when they are small.
    EXPECT_EQ(parseDate("06.12.0026"), encodeDate(26, 12, 6));
    // Without a year the date lies in the current year.
    EXPECT_EQ(parseDate("06.12"), encodeDate(currentYear, 12, 6));
}

TEST(Now, IsTheLocalTimeOfTheSystemClock) {
    const std::time_t before = std::time(nullptr);
    const DateTime current = now();
    std::tm local{};
    localtime_r(&before, &local);
    const DateTime expected = encodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                              local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0});
    const double secondsApart = (current - expected) * 86400.0;
    EXPECT_GE(secondsApart, -1.0);
    EXPECT_LE(secondsApart, 60.0);
}

} // namespace
} // namespace marlovex::formats
