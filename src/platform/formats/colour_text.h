// Colours as the classic desktop writes them in text files: a colour constant name such as
// "clWhite" where one exists, else "$" and eight hexadecimal digits of the 0x00BBGGRR value
// (system colours have the high byte 0xFF).
//
// Pure functions; thread-safe.
#pragma once

#include "platform/formats/number_format.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace marlovex::formats {

std::string colourToText(std::uint32_t colour);

// Reads a colour name (any letter case) or an integer ("$00FF8000", "0x...", "-16777201",
// "255"). Throws ConversionError "'TEXT' ist kein gültiger Integerwert" for anything else.
std::uint32_t colourFromText(std::string_view text);

} // namespace marlovex::formats
