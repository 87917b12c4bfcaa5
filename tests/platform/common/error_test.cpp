#include "platform/common/error.h"
#include "platform/formats/number_format.h"
#include "platform/registry/registry.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>
#include <string>

namespace marlovex {
namespace {

TEST(QuotedValueTest, ShortTextsStandWholeAndLongOnesAreCutAtACharacter) {
    EXPECT_EQ(quotedValue("1,6x"), "'1,6x'");
    EXPECT_EQ(quotedValue(""), "''");
    const std::string long80(80, 'A');
    EXPECT_EQ(quotedValue(long80), "'" + long80 + "'");
    EXPECT_EQ(quotedValue(std::string(3 * 1024 * 1024, 'A')), "'" + long80 + "…'");
    // "ä" is two bytes; byte 80 would split the one that starts at byte 79.
    const std::string umlauts = std::string(79, 'x') + "ääää";
    EXPECT_EQ(quotedValue(umlauts), "'" + std::string(79, 'x') + "…'");
}

TEST(QuotedValueTest, MessagesQuotingAHugeValueStayReadable) {
    const std::string huge(3 * 1024 * 1024, '9');
    try {
        formats::parseDecimal(huge + "x", formats::NumberLocale{});
        FAIL() << "no error";
    } catch (const formats::ConversionError& error) {
        EXPECT_LT(std::string(error.what()).size(), 200u);
        EXPECT_NE(std::string(error.what()).find("ist kein gültiger Gleitkommawert"), std::string::npos);
    }
    testing_support::TempDirectory home;
    registry::Registry settings(home.path() / "Marlovex.reg");
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString(huge, "x");
    try {
        settings.readInteger(huge);
        FAIL() << "no error";
    } catch (const registry::RegistryError& error) {
        EXPECT_LT(std::string(error.what()).size(), 200u);
    }
}

} // namespace
} // namespace marlovex
