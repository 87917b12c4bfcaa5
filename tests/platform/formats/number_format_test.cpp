// The grouped, fixed and general number forms and the half-to-even rounding helpers.
#include "platform/formats/number_format.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace marlovex::formats {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct FixedCase {
    double value;
    int decimals;
    int precision;
    std::string expected;
};

TEST(FormatGrouped, GroupsRoundsAndSwitchesToExponentForm) {
    const std::vector<FixedCase> cases = {
        {1500.0, 2, 7, "1.500,00"},
        {1.6 * 1000 - 1.5 * 1000 - 22.98, 2, 7, "77,02"},
        {1.6 * 100 / 1.5 - 100, 2, 7, "6,67"},
        {1.6 - 1.5, 2, 7, "0,10"},
        {0.0, 2, 7, "0,00"},
        {999.0, 2, 7, "999,00"},
        {1000.0, 2, 7, "1.000,00"},
        {1000000.0, 2, 7, "1.000.000,00"},
        {-1234.5, 2, 7, "-1.234,50"},
        {-0.5, 1, 7, "-0,5"},
        {1234.5, 0, 7, "1.235"},
        {1.23456, 3, 7, "1,235"},
        {0.000012, 2, 7, "0,00"},
        // Rounded to seven significant digits first: digits past the seventh show as 0.
        {123456.789, 2, 7, "123.456,80"},
        {1234.56789, 2, 7, "1.234,57"},
        {1234.56789, 4, 7, "1.234,5680"},
        {12345.6, 1, 9, "12.345,6"},
        {123456789.5, 1, 9, "123.456.790,0"},
        {9999999.4, 2, 7, "9.999.999,00"},
        // The carry can run through every digit.
        {999.9999, 3, 7, "1.000,000"},
        {9.996, 2, 7, "10,00"},
        // Past the precision the exponent form takes over.
        {1234567.891, 2, 7, "1.234.568,00"},
        {12345678.0, 2, 7, "1,234568E7"},
        {-12345678.0, 2, 7, "-1,234568E7"},
        // Rounding to seven digits makes an eighth integer digit.
        {9999999.5, 2, 7, "1E7"},
        {123456789.0, 1, 9, "123.456.789,0"},
        {1234567890.0, 1, 9, "1,23456789E9"},
        {1e300, 2, 7, "1E300"},
        // The decimal expansion rounds half away from zero.
        {0.125, 2, 7, "0,13"},
        {-2.5, 0, 7, "-3"},
        {1233.5, 0, 7, "1.234"},
        // These lie just below the half in binary.
        {1.005, 2, 7, "1,00"},
        {2.675, 2, 7, "2,67"},
        // 0.005 lies just above it; the rounding digit is the first digit of the value.
        {0.005, 2, 7, "0,01"},
        {0.004, 2, 7, "0,00"},
        // Zero never carries a minus.
        {-0.0, 2, 7, "0,00"},
        {-0.004, 2, 7, "0,00"},
        {-1e-30, 0, 7, "0"},
        {nan, 2, 7, "NAN"},
        {infinity, 2, 7, "INF"},
        {-infinity, 2, 7, "-INF"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(::testing::Message() << "value " << testCase.value << ", " << testCase.decimals
                                          << " decimals, precision " << testCase.precision);
        EXPECT_EQ(formatGrouped(testCase.value, testCase.decimals, testCase.precision), testCase.expected);
    }
}

TEST(FormatGroupedAndGeneral, UseTheGivenLocale) {
    const NumberLocale english{'.', ','};
    EXPECT_EQ(formatGrouped(1234567.891, 2, 7, english), "1,234,568.00");
    EXPECT_EQ(formatGrouped(12345678.0, 2, 7, english), "1.234568E7");
    EXPECT_EQ(formatGeneral(1234.5, 15, english), "1234.5");
    EXPECT_EQ(formatGeneral(0.000012, 15, english), "1.2E-5");
}

TEST(FormatFixed, NeverGroupsAndKeepsElevenDigits) {
    const std::vector<FixedCase> cases = {
        {5000 - (1.6 - 1.5) / 0.001, 2, 11, "4900,00"},
        {1.5 + (4900 - 5000) * -0.001, 2, 11, "1,60"},
        {1234567.891, 2, 11, "1234567,89"},
        {12345678901.5, 2, 11, "12345678902,00"},
        {123456789012.0, 2, 11, "1,2345678901E11"},
        {99999999999.5, 2, 11, "1E11"},
        {0.0, 2, 11, "0,00"},
        {-0.001, 2, 11, "0,00"},
        {-7.125, 2, 11, "-7,13"},
        {0.1, 0, 11, "0"},
        {0.5, 0, 11, "1"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(formatFixed(testCase.value, testCase.decimals, testCase.precision), testCase.expected)
            << "value " << testCase.value;
    }
}

struct GeneralCase {
    double value;
    int precision;
    std::string expected;
};

TEST(FormatGeneral, WritesTheShortestFormElseAnExponent) {
    const std::vector<GeneralCase> cases = {
        {77.02, 15, "77,02"},
        {1.35 - 1.11, 15, "0,24"},
        {0.1 + 0.2, 15, "0,3"},
        {1.0 / 3, 15, "0,333333333333333"},
        {2.0 / 3, 15, "0,666666666666667"},
        {4900.0, 15, "4900"},
        {-1.5, 15, "-1,5"},
        {0.0, 15, "0"},
        {-0.0, 15, "0"},
        {1.235, 15, "1,235"},
        {0.0001, 15, "0,0001"},
        {0.00012345, 15, "0,00012345"},
        {123456789012345.0, 15, "123456789012345"},
        {1e14, 15, "100000000000000"},
        {1234.5678, 6, "1234,57"},
        // Tiny and huge values take an exponent.
        {0.000012, 15, "1,2E-5"},
        {0.00001, 15, "1E-5"},
        {-2.5e-7, 15, "-2,5E-7"},
        {1e15, 15, "1E15"},
        {1234567890123456.0, 15, "1,23456789012346E15"},
        // Rounding to 15 digits gives the sixteenth integer digit.
        {999999999999999.9, 15, "1E15"},
        // Rounding to 15 digits lifts the value to 0.0001, which is written in full.
        {std::nextafter(0.0001, 0.0), 15, "0,0001"},
        {1234567.0, 6, "1,23457E6"},
        {DBL_MAX, 15, "1,79769313486232E308"},
        {DBL_MIN, 15, "2,2250738585072E-308"},
        {std::numeric_limits<double>::denorm_min(), 15, "4,94065645841247E-324"},
        {nan, 15, "NAN"},
        {infinity, 15, "INF"},
        {-infinity, 15, "-INF"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "value " << testCase.value << ", precision " << testCase.precision);
        EXPECT_EQ(formatGeneral(testCase.value, testCase.precision), testCase.expected);
    }
}

struct DecimalsCase {
    double value;
    int decimals;
    double expected;
};

TEST(Rounding, SendsHalvesToTheEvenNeighbourAlsoOfTheScaledValue) {
    const std::vector<std::pair<double, double>> cases = {
        {2.5, 2.0},
        {3.5, 4.0},
        {0.5, 0.0},
        {-2.5, -2.0},
        {2.4999999999999996, 2.0},
        {2.5000000000000004, 3.0},
        {-0.4, 0.0},
        {7.0, 7.0},
        {4503599627370497.0, 4503599627370497.0},
        {1e300, 1e300},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(roundHalfEven(value), expected) << "value " << value;
    }
    EXPECT_TRUE(std::isnan(roundHalfEven(nan)));
    EXPECT_EQ(roundHalfEven(-infinity), -infinity);
    // roundToDecimals rounds the scaled value half to even.
    const std::vector<DecimalsCase> scaled = {
        {1.23456, 3, 1.235},
        {0.125, 2, 0.12},
        {0.135, 2, 0.14},
        {-1.2345, 3, -1.234},
        // 0.285 * 100 is 28.499999999999996 in binary.
        {0.285, 2, 0.28},
        {2.5, 0, 2.0},
        {3.5, 0, 4.0},
        {1234.5, -1, 1230.0},
        {1e300, 3, 1e300},
        {(1 - 5.0 / 100) * 1.57, 2, 1.49},
        {4899.999999, 2, 4900.0},
    };
    for (const auto& testCase : scaled) {
        EXPECT_EQ(roundToDecimals(testCase.value, testCase.decimals), testCase.expected)
            << "value " << testCase.value << ", " << testCase.decimals << " decimals";
    }
    EXPECT_TRUE(std::isnan(roundToDecimals(nan, 2)));
}

} // namespace
} // namespace marlovex::formats
