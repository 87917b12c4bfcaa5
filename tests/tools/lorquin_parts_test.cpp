// Lorquin's parts without a process: the command line, the replay file and the choice of its
// next line, and the simulated quotes.
#include "lorquin/command_line.h"
#include "lorquin/data_directory.h"
#include "lorquin/import_error.h"
#include "lorquin/replay.h"
#include "lorquin/simulation.h"
#include "platform/registry/registry.h"
#include "support/error_message.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

namespace marlovex::lorquin {
namespace {

using formats::encodeDate;
using formats::encodeTime;
using testing_support::TempDirectory;

const DateTime today = encodeDate(2026, 12, 4);

TEST(CommandLine, TakesTheInstrumentBetweenSwitchesOfEitherCaseAndRefusesEverythingElse) {
    EXPECT_EQ(parseCommandLine({"/W", "17", "/D"}), 17);
    EXPECT_EQ(parseCommandLine({"/w", "846900", "/d"}), 846900);
    EXPECT_EQ(parseCommandLine({"/W", "2147483647", "/D"}), 2147483647);
    const std::vector<std::vector<std::string>> wrong{
        {"/W", "17", "/D", "/D"}, {"/D", "17", "/W"},         {"-W", "17", "/D"},
        {"/W", "", "/D"},         {"/W", "0", "/D"},          {"/W", "-5", "/D"},
        {"/W", "17x", "/D"},      {"/W", "2147483648", "/D"}, {"/WD", "17", "/D"},
    };
    for (const auto& arguments : wrong) {
        EXPECT_THROW(parseCommandLine(arguments), UsageError) << ::testing::PrintToString(arguments);
    }
}

TEST(DataDirectory, IsTheSettingWhenPresentElseDatenBesideTheProgram) {
    const TempDirectory home;
    const auto settingsFile = home.path() / "Marlovex.reg";
    EXPECT_EQ(dataDirectory("/opt/marlovex/bin", settingsFile), "/opt/marlovex/Daten/");
    EXPECT_EQ(dataDirectory("/opt/Marlovex/BIN/", settingsFile), "/opt/Marlovex/Daten/");

    registry::Registry settings(settingsFile);
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString("Datenpath", "/srv/kurse");
    EXPECT_EQ(dataDirectory("/opt/marlovex/bin", settingsFile), "/srv/kurse/");
}

TEST(ReplayFile, ReadsTimesPricesWithEitherSeparatorAndOptionalVolumesAndNamesTheLineOfABadOne) {
    const auto lines = parseReplayText("# recorded 4.12.\r\n09:00:00;101,5\r\n\n9:00:30 ; 101.25 ; 300\n"
                                       "09:01:00;102;\n",
                                       "Kurse17.csv");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].secondOfDay, 9 * 3600);
    EXPECT_DOUBLE_EQ(lines[0].price, 101.5);
    EXPECT_FALSE(lines[0].volume);
    EXPECT_EQ(lines[1].secondOfDay, 9 * 3600 + 30);
    EXPECT_DOUBLE_EQ(lines[1].price, 101.25);
    EXPECT_EQ(lines[1].volume, 300);
    EXPECT_FALSE(lines[2].volume);
    for (const char* bad : {"24:00:00;1", "09:60:00;1", "09:00;1", "123:00:00;1", "09:00:00", "09:00:00;abc",
                            "09:00:00;1.234,5", "09:00:00;-1", "09:00:00;0", "09:00:00;inf", "09:00:00;1;x",
                            "09:00:00;1;2;3"}) {
        const auto message = testing_support::messageOf<ImportError>(
            [&] { parseReplayText(std::string("09:00:00;1\n") + bad + "\n", "Kurse17.csv"); });
        EXPECT_TRUE(
            message.starts_with("Fehler in der Kursdatei Kurse17.csv, Zeile 2 '" + std::string(bad) + "': "))
            << message;
    }
}

TEST(ReplayFile, IsFoundWhateverItsLetterCase) {
    const TempDirectory directory;
    EXPECT_FALSE(findReplayFile(directory.path(), 17));
    directory.writeFile("KURSE17.CSV", "09:00:00;1\n");
    const auto file = findReplayFile(directory.path(), 17);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->filename(), "KURSE17.CSV");
    EXPECT_FALSE(findReplayFile(directory.path(), 1));
}

TEST(ReplayChoice, TakesTheEarliestLineAfterTodaysLastQuote) {
    const std::vector<ReplayLine> lines{
        {9 * 3600 + 60, 2.0, 7}, {9 * 3600, 1.0, {}}, {9 * 3600 + 120, 3.0, {}}};
    const DateTime now = today + encodeTime(12, 0, 0);

    const auto first = nextReplayQuote(lines, 17, std::nullopt, now);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->instrument, 17);
    EXPECT_DOUBLE_EQ(first->time, today + encodeTime(9, 0, 0));
    EXPECT_DOUBLE_EQ(first->price, 1.0);

    const market::Quote halfWay{17, today + encodeTime(9, 0, 30, 500), 1.5, {}};
    const auto second = nextReplayQuote(lines, 17, halfWay, now);
    ASSERT_TRUE(second);
    EXPECT_DOUBLE_EQ(second->time, today + encodeTime(9, 1, 0));
    EXPECT_EQ(second->volume, 7);

    // A quote exactly at a line's time means that line is stored already.
    const market::Quote atLine{17, today + encodeTime(9, 1, 0), 2.0, {}};
    EXPECT_DOUBLE_EQ(nextReplayQuote(lines, 17, atLine, now)->price, 3.0);

    const market::Quote yesterday{17, today - 1 + encodeTime(17, 0, 0), 9.0, {}};
    EXPECT_DOUBLE_EQ(nextReplayQuote(lines, 17, yesterday, now)->price, 1.0);

    const market::Quote last{17, today + encodeTime(9, 2, 0), 3.0, {}};
    EXPECT_FALSE(nextReplayQuote(lines, 17, last, now));
}

market::Instrument stock(std::optional<double> reference) {
    return {610100, "Arnsfeld Chemie", std::nullopt, reference};
}

TEST(SimulatedQuote, StartsAtTheReferencePriceThenContinuesFromTheLastQuoteAndAddsUpTheDaysShares) {
    market::PriceWalk walk(1);
    const DateTime now = today + encodeTime(10, 0, 30);
    const auto first = simulateInstrumentQuote(stock(48.6), std::nullopt, now, walk);
    EXPECT_EQ(first.instrument, 610100);
    EXPECT_DOUBLE_EQ(first.time, now);
    EXPECT_DOUBLE_EQ(first.price, 48.6);
    EXPECT_NE(testing_support::messageOf<ImportError>([&] {
                  simulateInstrumentQuote(stock(std::nullopt), std::nullopt, now, walk);
              }).find("610100 (Arnsfeld Chemie)"),
              std::string::npos);

    const market::Quote last{610100, today + encodeTime(10, 0, 0), 50.0, 1000};
    const auto quote = simulateInstrumentQuote(stock(48.6), last, now, walk);
    EXPECT_NEAR(quote.price, 50.0, 0.5);
    ASSERT_TRUE(quote.volume);
    EXPECT_GT(*quote.volume, 1000);

    const market::Quote lastEvening{610100, today - 1 + encodeTime(17, 30, 0), 50.0, 900000000};
    const auto nextMorning = simulateInstrumentQuote(stock(48.6), lastEvening, now, walk);
    ASSERT_TRUE(nextMorning.volume);
    EXPECT_LT(*nextMorning.volume, 900000000);

    const market::Quote index{846900, today + encodeTime(10, 0, 0), 24000.0, std::nullopt};
    EXPECT_FALSE(simulateInstrumentQuote(stock(48.6), index, now, walk).volume);
}

} // namespace
} // namespace marlovex::lorquin
