#include "ui/locale_formats.h"

#include <gtest/gtest.h>

namespace marlovex::ui {
namespace {

TEST(LocaleFormatsTest, GermanAndEnglishLocalesGiveTheDesktopsSeparatorsAndPatterns) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const formats::NumberLocale numbers = numberLocale(german);
    EXPECT_EQ(numbers.decimalSeparator, ',');
    EXPECT_EQ(numbers.thousandSeparator, '.');
    EXPECT_EQ(formats::formatGrouped(1500, 2, 7, numbers), "1.500,00");

    const formats::DateTimeLocale dates = dateTimeLocale(german);
    EXPECT_EQ(dates.shortDatePattern, "dd.mm.yyyy");
    EXPECT_EQ(dates.longTimePattern, "hh:nn:ss");
    EXPECT_EQ(dates.dateSeparator, '.');
    EXPECT_EQ(formats::formatLongTime(formats::encodeTime(9, 5, 7), dates), "09:05:07");
    EXPECT_DOUBLE_EQ(formats::parseDate("04.12.2026", dates), formats::encodeDate(2026, 12, 4));

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const formats::NumberLocale points = numberLocale(english);
    EXPECT_EQ(points.decimalSeparator, '.');
    EXPECT_EQ(points.thousandSeparator, ',');
    EXPECT_DOUBLE_EQ(formats::parseDecimal("1.5", points), 1.5);
    EXPECT_DOUBLE_EQ(formats::parseDate("12/4/2026", dateTimeLocale(english)),
                     formats::encodeDate(2026, 12, 4));
}

} // namespace
} // namespace marlovex::ui
