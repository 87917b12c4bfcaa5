#include "platform/formats/colour_text.h"

#include "platform/common/error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace marlovex::formats {
namespace {

struct NamedColour {
    const char* name;
    std::uint32_t value;
};

// The colour constants of the desktop framework: sixteen plain colours, four extra ones and the
// system colours (0xFF000000 plus the system colour index).
constexpr NamedColour namedColours[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

[[noreturn]] void notAnInteger(std::string_view text) {
    throw ConversionError(quotedValue(text) + " ist kein gültiger Integerwert");
}

// Integers as the framework reads them: optional blanks and sign, then decimal digits or a hex
// number after "$" or "0x"; the value must fit 32 bits (signed or unsigned bit pattern).
std::uint32_t integerFromText(std::string_view text) {
    std::string_view rest = text;
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    int base = 10;
    if (!rest.empty() && rest.front() == '$') {
        base = 16;
        rest.remove_prefix(1);
    } else if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.remove_prefix(2);
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value, base);
    if (rest.empty() || error != std::errc() || end != rest.data() + rest.size()) {
        notAnInteger(text);
    }
    if (base == 10 && value > (negative ? 0x80000000ULL : 0x7FFFFFFFULL)) {
        notAnInteger(text);
    }
    if (base == 16 && value > 0xFFFFFFFFULL) {
        notAnInteger(text);
    }
    return negative ? static_cast<std::uint32_t>(0U - static_cast<std::uint32_t>(value))
                    : static_cast<std::uint32_t>(value);
}

} // namespace

std::string colourToText(std::uint32_t colour) {
    for (const NamedColour& named : namedColours) {
        if (named.value == colour) {
            return named.name;
        }
    }
    char text[10];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(colour));
    return text;
}

std::uint32_t colourFromText(std::string_view text) {
    for (const NamedColour& named : namedColours) {
        if (equalIgnoringCase(named.name, text)) {
            return named.value;
        }
    }
    return integerFromText(text);
}

} // namespace marlovex::formats
