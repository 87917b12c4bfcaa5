#include "platform/common/error.h"
#include "platform/formats/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace marlovex::formats {

namespace {

// Beyond these decimal magnitudes a double is certainly infinite or zero; clamping the exponent
// keeps the arithmetic below free of overflow for texts like "1E99999999999999999999".
constexpr long long exponentLimit = 100000;
constexpr long long overflowMagnitude = 310;
constexpr long long underflowMagnitude = -330;

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

class DecimalScanner {
public:
    explicit DecimalScanner(std::string_view text)
        : m_text(text) {}

    std::optional<double> scan(char decimalSeparator) {
        skipBlanks();
        if (peek() == '-' || peek() == '+') {
            m_negative = take() == '-';
        }
        const auto digitCount = scanMantissa(decimalSeparator);
        if (digitCount == 0) {
            return std::nullopt;
        }
        long long exponent = 0;
        if (peek() == 'E' || peek() == 'e') {
            ++m_position;
            if (!scanExponent(exponent)) {
                return std::nullopt;
            }
        }
        skipBlanks();
        if (m_position != m_text.size()) {
            return std::nullopt;
        }
        return build(exponent - m_fractionDigits);
    }

private:
    char peek() const { return m_position < m_text.size() ? m_text[m_position] : '\0'; }
    char take() { return m_text[m_position++]; }

    void skipBlanks() {
        while (peek() == ' ') {
            ++m_position;
        }
    }

    // Collects the significant digits; returns how many digits the mantissa had in all.
    std::size_t scanMantissa(char decimalSeparator) {
        std::size_t digitCount = 0;
        bool separatorSeen = false;
        while (true) {
            const char character = peek();
            if (isDigit(character)) {
                if (!m_significant.empty() || character != '0') {
                    m_significant.push_back(character);
                }
                if (separatorSeen) {
                    ++m_fractionDigits;
                }
                ++digitCount;
            } else if (character == decimalSeparator && !separatorSeen) {
                separatorSeen = true;
            } else {
                return digitCount;
            }
            ++m_position;
        }
    }

    bool scanExponent(long long& exponent) {
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = take() == '-';
        }
        if (!isDigit(peek())) {
            return false;
        }
        while (isDigit(peek())) {
            exponent = std::min(exponent * 10 + (take() - '0'), exponentLimit);
        }
        if (negative) {
            exponent = -exponent;
        }
        return true;
    }

    // The digits are exact decimal text in "C" syntax, so from_chars rounds them correctly.
    std::optional<double> build(long long exponent) const {
        const double zero = m_negative ? -0.0 : 0.0;
        if (m_significant.empty()) {
            return zero;
        }
        const long long magnitude = exponent + static_cast<long long>(m_significant.size());
        if (magnitude > overflowMagnitude) {
            return std::nullopt;
        }
        if (magnitude < underflowMagnitude) {
            return zero;
        }
        const std::string normalised = m_significant + "e" + std::to_string(exponent);
        double value = 0.0;
        const auto result = std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
        if (result.ec == std::errc::result_out_of_range) {
            if (magnitude > 0) {
                return std::nullopt;
            }
            return zero;
        }
        if (result.ec != std::errc() || !std::isfinite(value)) {
            return std::nullopt;
        }
        return m_negative ? -value : value;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    std::string m_significant;
    long long m_fractionDigits = 0;
    bool m_negative = false;
};

} // namespace

std::optional<double> tryParseDecimal(std::string_view text, const NumberLocale& locale) {
    return DecimalScanner(text).scan(locale.decimalSeparator);
}

double parseDecimal(std::string_view text, const NumberLocale& locale) {
    if (const auto value = tryParseDecimal(text, locale)) {
        return *value;
    }
    throw ConversionError(quotedValue(text) + " ist kein gültiger Gleitkommawert");
}

} // namespace marlovex::formats
