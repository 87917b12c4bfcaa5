// Reading decimal text, and the way back and forth between text and value.
#include "platform/formats/number_format.h"
#include "support/error_message.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace marlovex::formats {
namespace {

using testing_support::messageOf;

struct ParseCase {
    std::string text;
    double expected;
};

TEST(ParseDecimal, ReadsGermanDecimalTextKeepingTheSignOfZero) {
    const std::vector<ParseCase> cases = {
        {"1,6", 1.6},
        {" 1,6 ", 1.6},
        {"-1,5", -1.5},
        {"+2", 2.0},
        {",5", 0.5},
        {"5,", 5.0},
        {"007", 7.0},
        {"77,02", 77.02},
        {"1E3", 1000.0},
        {"1,2E-5", 1.2e-5},
        {"1,2e-5", 1.2e-5},
        {"4,5E+2", 450.0},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"0,1000000000000000055511151231257827", 0.1},
        {"1,7976931348623157E308", DBL_MAX},
        {"4,9406564584124654E-324", std::numeric_limits<double>::denorm_min()},
        {"0,000000000000000000000000000001E30", 1.0},
        {"1E-400", 0.0},
        {"1E-99999999999999999999", 0.0},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(parseDecimal(testCase.text), testCase.expected) << "text '" << testCase.text << "'";
    }
    EXPECT_TRUE(std::signbit(parseDecimal("-0")));
    EXPECT_TRUE(std::signbit(parseDecimal("-0,000")));
    EXPECT_FALSE(std::signbit(parseDecimal("0")));
}

TEST(ParseDecimal, RejectsTextThatIsNoNumberNamingItAndReadsTheGivenLocale) {
    const std::vector<std::string> texts = {
        "1,6x",  "",      " ",       "1.500,00", ",",     "1.5",   "--1", "+-1",
        "-",     "1E",    "1E+",     "E5",       "1 000", "1,2,3", "NAN", "INF",
        "1e5e5", "1E400", "1,8E308", "0x10",     "1e 5",  "1_000", "\t1", "1,6%",
    };
    for (const auto& text : texts) {
        EXPECT_FALSE(tryParseDecimal(text).has_value()) << "text '" << text << "'";
        EXPECT_THROW(parseDecimal(text), ConversionError) << "text '" << text << "'";
    }
    EXPECT_EQ(messageOf<ConversionError>([] { parseDecimal("1,6x"); }),
              "'1,6x' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(messageOf<ConversionError>([] { parseDecimal(""); }), "'' ist kein gültiger Gleitkommawert");
    // Another locale reads its own separators only.
    const NumberLocale english{'.', ','};
    EXPECT_EQ(parseDecimal("1.5", english), 1.5);
    EXPECT_THROW(parseDecimal("1,5", english), ConversionError);
    EXPECT_THROW(parseDecimal("1,500.00", english), ConversionError);
}

// Random digit strings in the German form must give the double that the same digits in
// "C" syntax give.
TEST(ParseDecimal, ReadsRandomTextExactly) {
    std::mt19937_64 generator(20261206);
    std::uniform_int_distribution<int> digitCount(0, 25);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-330, 330);
    std::bernoulli_distribution coin;
    for (int round = 0; round < 20000; ++round) {
        std::string integerDigits;
        std::string fractionDigits;
        for (int index = digitCount(generator); index > 0; --index) {
            integerDigits.push_back(static_cast<char>('0' + digit(generator)));
        }
        for (int index = digitCount(generator); index > 0; --index) {
            fractionDigits.push_back(static_cast<char>('0' + digit(generator)));
        }
        if (integerDigits.empty() && fractionDigits.empty()) {
            integerDigits = "0";
        }
        const std::string sign = coin(generator) ? "-" : "";
        const std::string exponentText = coin(generator) ? "E" + std::to_string(exponent(generator)) : "";
        const std::string german = sign + integerDigits + "," + fractionDigits + exponentText;
        const std::string plain = sign + integerDigits + "." + fractionDigits + exponentText;

        double expected = 0.0;
        const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), expected);
        const auto parsed = tryParseDecimal(german);
        if (result.ec == std::errc::result_out_of_range) {
            // Too large is an error; too small is zero.
            if (parsed) {
                EXPECT_EQ(*parsed, 0.0) << german;
            }
            continue;
        }
        ASSERT_TRUE(parsed.has_value()) << german;
        EXPECT_EQ(*parsed, expected) << german;
    }
}

// The value that formatGeneral should show: the 18-digit expansion rounded half up to
// 15 digits, worked out with integers rather than digit strings.
double roundedToFifteenDigits(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 17)
            .ptr;
    const std::string text(buffer, end);
    std::string digits = text.substr(0, 1) + text.substr(2, 17);
    const int exponent = std::stoi(text.substr(text.find('e') + 1));
    long long leading = std::stoll(digits.substr(0, 15));
    if (digits[15] >= '5') {
        ++leading;
    }
    const std::string rounded = std::to_string(leading) + "e" + std::to_string(exponent - 14);
    double result = 0.0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    return std::signbit(value) ? -result : result;
}

TEST(GeneralRoundTrip, ReadingTheShortestFormGivesTheValueToFifteenDigitsAndPricesSurviveTheTick) {
    std::mt19937_64 generator(4711);
    int checked = 0;
    while (checked < 50000) {
        const double value = std::bit_cast<double>(static_cast<std::uint64_t>(generator()));
        if (!std::isfinite(value) || std::fabs(value) > 1e308) {
            continue;
        }
        ++checked;
        const std::string text = formatGeneral(value);
        const auto parsed = tryParseDecimal(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, roundedToFifteenDigits(value)) << text;
    }
    // Each tick rewrites an input in the shortest form and reads it again.
    for (int cents = -100000; cents <= 100000; ++cents) {
        const double price = cents / 100.0;
        const std::string text = formatGeneral(price);
        ASSERT_EQ(parseDecimal(text), price) << text;
        ASSERT_EQ(formatGeneral(parseDecimal(text)), text);
    }
}

} // namespace
} // namespace marlovex::formats
