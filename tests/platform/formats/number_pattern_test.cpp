// Format patterns such as "#####0.00".
#include "platform/formats/number_format.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace marlovex::formats {
namespace {

struct PatternCase {
    double value;
    std::string pattern;
    std::string expected;
};

void expectAll(const std::vector<PatternCase>& cases, const NumberLocale& locale = {}) {
    for (const auto& testCase : cases) {
        SCOPED_TRACE(::testing::Message() << "value " << testCase.value << ", pattern " << testCase.pattern);
        EXPECT_EQ(formatPattern(testCase.value, testCase.pattern, locale), testCase.expected);
    }
}

TEST(FormatPattern, WritesPlaceholdersLiteralsAndSectionsInTheGivenLocale) {
    expectAll({
        {0.24, "#####0.00", "0,24"},
        {77.02, "#####0.00", "77,02"},
        {1500.0, "#####0.00", "1500,00"},
        {-0.5, "#####0.00", "-0,50"},
        {0.0, "#####0.00", "0,00"},
        {1.23 * 0.9, "#####0.00", "1,11"},
        {1.23 * 1.1, "#####0.00", "1,35"},
        {0.125, "#####0.00", "0,13"},
        {0.005, "#####0.00", "0,01"},
        {1.005, "#####0.00", "1,00"},
        {9.999, "#####0.00", "10,00"},
        {-0.001, "#####0.00", "0,00"},
        {-0.0, "#####0.00", "0,00"},
        {1234567.891, "#####0.00", "1234567,89"},
        // More integer digits than placeholders: all of them are written.
        {123456789.0, "#####0.00", "123456789,00"},
        {1e17, "#####0.00", "100000000000000000,00"},
        // Past 18 integer digits the general form takes over.
        {1e18, "#####0.00", "1E18"},
        {std::numeric_limits<double>::quiet_NaN(), "#####0.00", "NAN"},
        {-std::numeric_limits<double>::infinity(), "#####0.00", "-INF"},
        // A comma turns on grouping.
        {1234567.891, "#,##0.00", "1.234.567,89"},
        {999.5, "#,##0.00", "999,50"},
        {-1234.0, "#,##0", "-1.234"},
        {1234567.0, "0,", "1.234.567"},
        // "#" shows only significant digits.
        {1.0, "0.##", "1"},
        {1.5, "0.##", "1,5"},
        {1.256, "0.##", "1,26"},
        {1.2, "0.0#", "1,2"},
        {1.0, "0.0#", "1,0"},
        {0.5, "#.00", ",50"},
        {0.0, "#", ""},
        {7.0, "000", "007"},
        {7.0, "#0#", "07"},
        // Literal text is copied.
        {1.5, "0.00 €", "1,50 €"},
        {1.5, "'Kurs: '0.00", "Kurs: 1,50"},
        {5.0, "\"#\"0", "#5"},
        {1234.0, "00-00", "12-34"},
        {123456.0, "00-00", "1234-56"},
        {2.0, "0 'Stück'", "2 Stück"},
        {2.0, "0 'offen", "2 offen"},
        // Sections for negative and zero values.
        {1.5, "0.00;(0.00);'null'", "1,50"},
        {-1.5, "0.00;(0.00);'null'", "(1,50)"},
        {0.0, "0.00;(0.00);'null'", "null"},
        {0.001, "0.00;(0.00);'null'", "null"},
        {-1.5, "0.00;;'null'", "-1,50"},
        {-1.5, "0.00';'0", "-1,50;0"},
        // An empty pattern gives the general form.
        {1.5, "", "1,5"},
        {0.000012, "", "1,2E-5"},
    });
    // Another locale gives its own separators.
    const NumberLocale english{'.', ','};
    expectAll(
        {
            {1234.5, "#####0.00", "1234.50"},
            {1234.5, "#,##0.00", "1,234.50"},
        },
        english);
}

} // namespace
} // namespace marlovex::formats
