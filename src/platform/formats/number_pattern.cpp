#include "platform/formats/decimal_digits.h"
#include "platform/formats/number_format.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace marlovex::formats {

namespace {

// Past 18 integer digits the pattern forms give up and write the general form.
constexpr int maxPatternIntegerDigits = 18;
constexpr int overflowGeneralPrecision = 15;

bool isQuote(char character) {
    return character == '\'' || character == '"';
}

// Position just after the quoted text that starts at `start` (an unclosed quote runs to the end).
std::size_t skipQuoted(std::string_view pattern, std::size_t start) {
    const auto closing = pattern.find(pattern[start], start + 1);
    return closing == std::string_view::npos ? pattern.size() : closing + 1;
}

// Splits "positive;negative;zero"; semicolons inside quotes belong to the text.
std::vector<std::string_view> splitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t sectionStart = 0;
    std::size_t position = 0;
    while (position < pattern.size()) {
        if (isQuote(pattern[position])) {
            position = skipQuoted(pattern, position);
        } else if (pattern[position] == ';') {
            sections.push_back(pattern.substr(sectionStart, position - sectionStart));
            sectionStart = ++position;
        } else {
            ++position;
        }
    }
    sections.push_back(pattern.substr(sectionStart));
    return sections;
}

struct SectionLayout {
    int integerPlaceholders = 0;
    int forcedIntegerDigits = 0;
    int decimalPlaceholders = 0;
    int forcedDecimals = 0;
    bool grouping = false;
};

SectionLayout analyseSection(std::string_view section) {
    SectionLayout layout;
    bool afterPoint = false;
    int firstForcedInteger = -1;
    std::size_t position = 0;
    while (position < section.size()) {
        const char character = section[position];
        if (isQuote(character)) {
            position = skipQuoted(section, position);
            continue;
        }
        if (character == '0' || character == '#') {
            if (afterPoint) {
                ++layout.decimalPlaceholders;
                if (character == '0') {
                    layout.forcedDecimals = layout.decimalPlaceholders;
                }
            } else {
                if (character == '0' && firstForcedInteger < 0) {
                    firstForcedInteger = layout.integerPlaceholders;
                }
                ++layout.integerPlaceholders;
            }
        } else if (character == '.') {
            afterPoint = true;
        } else if (character == ',' && !afterPoint) {
            layout.grouping = true;
        }
        ++position;
    }
    // Every integer placeholder from the first '0' on shows a digit, so "#0#" shows two.
    if (firstForcedInteger >= 0) {
        layout.forcedIntegerDigits = layout.integerPlaceholders - firstForcedInteger;
    }
    return layout;
}

detail::DecimalDigits roundForLayout(double value, const SectionLayout& layout) {
    auto number = detail::toDecimalDigits(value);
    detail::roundToDigits(
        number, std::min(detail::maxSignificantDigits, number.pointPosition + layout.decimalPlaceholders));
    return number;
}

class SectionWriter {
public:
    SectionWriter(const detail::DecimalDigits& number, const SectionLayout& layout,
                  const NumberLocale& locale)
        : m_layout(layout)
        , m_locale(locale) {
        if (number.pointPosition > 0) {
            const auto integerCount = static_cast<std::size_t>(number.pointPosition);
            m_integerDigits = number.digits.substr(0, integerCount);
            m_integerDigits.append(integerCount - m_integerDigits.size(), '0');
        }
        const auto forcedIntegers = static_cast<std::size_t>(layout.forcedIntegerDigits);
        if (m_integerDigits.size() < forcedIntegers) {
            m_integerDigits.insert(0, forcedIntegers - m_integerDigits.size(), '0');
        }
        for (int place = 0; place < layout.decimalPlaceholders; ++place) {
            const int digitIndex = number.pointPosition + place;
            const bool hasDigit = digitIndex >= 0 && digitIndex < static_cast<int>(number.digits.size());
            m_decimalDigits.push_back(hasDigit ? number.digits[static_cast<std::size_t>(digitIndex)] : '0');
        }
        const auto forcedDecimals = static_cast<std::size_t>(layout.forcedDecimals);
        while (m_decimalDigits.size() > forcedDecimals && m_decimalDigits.back() == '0') {
            m_decimalDigits.pop_back();
        }
    }

    std::string write(std::string_view section) {
        std::size_t position = 0;
        while (position < section.size()) {
            const char character = section[position];
            if (isQuote(character)) {
                const auto closing = section.find(character, position + 1);
                const auto textEnd = closing == std::string_view::npos ? section.size() : closing;
                m_text.append(section.substr(position + 1, textEnd - position - 1));
                position = skipQuoted(section, position);
                continue;
            }
            if (character == '0' || character == '#') {
                writePlaceholder();
            } else if (character == '.') {
                writeDecimalPoint();
            } else if (character != ',') {
                m_text.push_back(character);
            }
            ++position;
        }
        return m_text;
    }

private:
    void writePlaceholder() {
        if (m_pointWritten) {
            if (m_nextDecimal < m_decimalDigits.size()) {
                m_text.push_back(m_decimalDigits[m_nextDecimal++]);
            }
            return;
        }
        // Placeholders take the integer digits right-aligned; the first one also takes every
        // digit for which the pattern has no place.
        const int placeholdersLeft = m_layout.integerPlaceholders - m_integerPlaceholdersSeen++;
        const int digitsWanted = static_cast<int>(m_integerDigits.size()) - (placeholdersLeft - 1);
        if (digitsWanted > static_cast<int>(m_nextInteger)) {
            writeIntegerDigits(static_cast<std::size_t>(digitsWanted));
        }
    }

    void writeDecimalPoint() {
        if (m_pointWritten) {
            return;
        }
        writeIntegerDigits(m_integerDigits.size());
        m_pointWritten = true;
        if (!m_decimalDigits.empty()) {
            m_text.push_back(m_locale.decimalSeparator);
        }
    }

    // Writes the integer digits up to (not including) index `end`.
    void writeIntegerDigits(std::size_t end) {
        for (; m_nextInteger < end; ++m_nextInteger) {
            const auto digitsToTheRight = m_integerDigits.size() - m_nextInteger;
            if (m_layout.grouping && m_nextInteger > 0 && digitsToTheRight % 3 == 0) {
                m_text.push_back(m_locale.thousandSeparator);
            }
            m_text.push_back(m_integerDigits[m_nextInteger]);
        }
    }

    const SectionLayout& m_layout;
    const NumberLocale& m_locale;
    std::string m_integerDigits;
    std::string m_decimalDigits;
    std::string m_text;
    std::size_t m_nextInteger = 0;
    std::size_t m_nextDecimal = 0;
    int m_integerPlaceholdersSeen = 0;
    bool m_pointWritten = false;
};

} // namespace

std::string formatPattern(double value, std::string_view pattern, const NumberLocale& locale) {
    if (!std::isfinite(value)) {
        return detail::nonFiniteText(value);
    }
    const auto sections = splitSections(pattern);
    const bool negative = value < 0.0;
    const bool useNegativeSection = negative && sections.size() >= 2 && !sections[1].empty();
    std::string_view section = useNegativeSection ? sections[1] : sections[0];
    if (section.empty()) {
        return formatGeneral(value, overflowGeneralPrecision, locale);
    }

    auto layout = analyseSection(section);
    auto number = roundForLayout(value, layout);
    if (number.pointPosition > maxPatternIntegerDigits) {
        return formatGeneral(value, overflowGeneralPrecision, locale);
    }
    if (number.isZero() && sections.size() >= 3 && !sections[2].empty()) {
        section = sections[2];
        layout = analyseSection(section);
        number = roundForLayout(0.0, layout);
    }
    // The negative section carries its own sign; the others get a minus in front.
    const bool writeMinus = negative && !useNegativeSection && !number.isZero();
    std::string text = writeMinus ? "-" : "";
    text += SectionWriter(number, layout, locale).write(section);
    return text;
}

} // namespace marlovex::formats
