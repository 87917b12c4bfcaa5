#include "platform/formats/colour_text.h"
#include "support/error_message.h"

#include <gtest/gtest.h>

namespace marlovex::formats {
namespace {

TEST(ColourTextTest, NamesTheFrameworksConstantsWritesOthersInHexAndReadsAnyCaseAndNotationOnly) {
    EXPECT_EQ(colourToText(0xFFFFFF), "clWhite");
    EXPECT_EQ(colourToText(0x0000FF), "clRed");
    EXPECT_EQ(colourToText(0xFF00000F), "clBtnFace");
    EXPECT_EQ(colourToText(0x00C0FFEE), "$00C0FFEE");
    EXPECT_EQ(colourToText(0x123), "$00000123");
    EXPECT_EQ(colourFromText("clWhite"), 0xFFFFFFu);
    EXPECT_EQ(colourFromText("CLSKYBLUE"), 0xF0CAA6u);
    EXPECT_EQ(colourFromText("$00C0FFEE"), 0x00C0FFEEu);
    EXPECT_EQ(colourFromText("$ff00000f"), 0xFF00000Fu);
    EXPECT_EQ(colourFromText("0x10"), 16u);
    EXPECT_EQ(colourFromText("255"), 255u);
    EXPECT_EQ(colourFromText("-16777201"), 0xFF00000Fu);
    for (const std::uint32_t colour : {0u, 0x123456u, 0xFF000018u, 0x1FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(colourFromText(colourToText(colour)), colour) << colour;
    }
    // Anything else is a conversion error naming the text.
    for (const char* text : {"", "clWeiss", "$", "$1G", "12a", "$100000000", "4294967296", " "}) {
        EXPECT_EQ(testing_support::messageOf<ConversionError>([&] { colourFromText(text); }),
                  "'" + std::string(text) + "' ist kein gültiger Integerwert");
    }
}

} // namespace
} // namespace marlovex::formats
