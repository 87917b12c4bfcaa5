#include "platform/common/error.h"
#include "platform/formats/number_format.h"
#include "platform/registry/registry.h"
#include "support/error_message.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>
#include <string>

namespace marlovex {
namespace {

using testing_support::messageOf;

TEST(QuotedValueTest, ShortTextsStandWholeAndLongOnesAreCutAtACharacterSoThatMessagesStayReadable) {
    EXPECT_EQ(quotedValue("1,6x"), "'1,6x'");
    EXPECT_EQ(quotedValue(""), "''");
    const std::string long80(80, 'A');
    EXPECT_EQ(quotedValue(long80), "'" + long80 + "'");
    EXPECT_EQ(quotedValue(std::string(3 * 1024 * 1024, 'A')), "'" + long80 + "…'");
    // "ä" is two bytes; byte 80 would split the one that starts at byte 79.
    const std::string umlauts = std::string(79, 'x') + "ääää";
    EXPECT_EQ(quotedValue(umlauts), "'" + std::string(79, 'x') + "…'");
    const std::string huge(3 * 1024 * 1024, '9');
    const auto number = messageOf<formats::ConversionError>([&] { formats::parseDecimal(huge + "x"); });
    EXPECT_LT(number.size(), 200u);
    EXPECT_NE(number.find("ist kein gültiger Gleitkommawert"), std::string::npos);
    testing_support::TempDirectory home;
    registry::Registry settings(home.path() / "Marlovex.reg");
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString(huge, "x");
    EXPECT_LT(messageOf<registry::RegistryError>([&] { settings.readInteger(huge); }).size(), 200u);
}

} // namespace
} // namespace marlovex
