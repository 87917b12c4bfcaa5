// Lorquin as the tracker starts it: a real process on a data directory of its own.
#include "data_directory_fixture.h"
#include "lorquin/quote_store.h"
#include "market/option_model.h"
#include "platform/paradox/session.h"
#include "platform/paradox/table_storage.h"
#include "support/protected_table.h"
#include "support/pxlib_table.h"
#include "tracker_delta.h"

#include <gtest/gtest.h>

namespace marlovex::testing_support {
namespace {

using formats::DateTime;
using paradox::Value;

constexpr std::int64_t dax = 846900;
constexpr std::int64_t daxCall = 731001;
constexpr std::int64_t daxPut = 731002;
constexpr double secondsPerDay = 86400;

// Half a year ahead, so both warrants have deltas well inside their ranges.
DateTime expiry() {
    return formats::datePart(formats::now()) + 180;
}

std::vector<Value> instrumentRow(std::int64_t number, const std::string& name,
                                 std::optional<market::OptionKind> kind, std::optional<double> reference) {
    std::vector<std::pair<std::string, Value>> values{{"Firma", Value(number)}, {"FirmenName", Value(name)}};
    if (kind) {
        values.emplace_back("Basis", Value(dax));
        values.emplace_back("Typ", Value(std::string(*kind == market::OptionKind::Call ? "C" : "P")));
        values.emplace_back("Basispreis", Value(20000.0));
        values.emplace_back("Bezug", Value(0.01));
        values.emplace_back("Verfall", Value(expiry()));
    }
    if (reference) {
        values.emplace_back("Referenz", Value(*reference));
    }
    return market::recordOf(market::instrumentTableLayout(), values);
}

class LorquinProcess : public DataDirectoryTest {
protected:
    LorquinProcess() {
        pointSettingsAtDataDirectory();
        writeInstruments(dataDirectory());
    }

    static void writeInstruments(const std::filesystem::path& directory) {
        market::BulkTableWriter table(directory, market::instrumentTableLayout());
        table.add(instrumentRow(dax, "DAX", std::nullopt, 20000.0));
        table.add(instrumentRow(daxCall, "DAX Call 20000", market::OptionKind::Call, std::nullopt));
        table.add(instrumentRow(daxPut, "DAX Put 20000", market::OptionKind::Put, std::nullopt));
        table.write();
    }

    static market::WarrantTerms terms(market::OptionKind kind) { return {dax, kind, 20000, 0.01, expiry()}; }
};

TEST_F(LorquinProcess, AppendsOneQuoteAtAboutNowPerRunCreatingTheQuoteTableAndKeepsProtectedTablesProtected) {
    ASSERT_FALSE(std::filesystem::exists(dataDirectory() / "Intraday.db"));
    for (int run = 1; run <= 3; ++run) {
        const auto result = lorquin(dax);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
        EXPECT_EQ(result.standardError, "");
        ASSERT_EQ(quotes(dax).size(), static_cast<std::size_t>(run));
    }
    const auto stored = quotes(dax);
    // The first quote is the reference price; the walk continues from there.
    EXPECT_DOUBLE_EQ(stored[0].price, 20000);
    const DateTime now = formats::now();
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_NEAR(stored[i].time, now, 120 / secondsPerDay);
        EXPECT_NEAR(stored[i].price, 20000, 200);
        EXPECT_FALSE(stored[i].volume);
        if (i > 0) {
            EXPECT_GT(stored[i].time, stored[i - 1].time);
        }
    }
    EXPECT_EQ(pxtoolCheck(dataDirectory() / "Intraday.db").exitCode, 0);

    // Tables the family protected with its password stay usable, and what Lorquin adds stays
    // protected: pxlib decrypts the same quotes.
    for (const char* table : {"Firma.db", "Intraday.db"}) {
        protectTable(dataDirectory() / table, paradox::familyPassword);
    }
    for (const std::int64_t instrument : {dax, daxCall}) {
        const auto result = lorquin(instrument);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
    }
    EXPECT_EQ(storedPasswordCheck(dataDirectory() / "Intraday.db"),
              paradox::passwordCheck(paradox::familyPassword));
    EXPECT_EQ(readWithPxlib(dataDirectory() / "Intraday.db").rows.size(), 5u);
    paradox::session().addPassword(std::string(paradox::familyPassword));
    EXPECT_EQ(quotes(dax).size(), 4u);
    EXPECT_EQ(quotes(daxCall).size(), 1u);
}

TEST_F(LorquinProcess, PricesWarrantsFromTheUnderlyingsLatestQuote) {
    addQuote({dax, formats::now() - 60 / secondsPerDay, 21000.0, std::nullopt});
    for (const auto& [number, kind] :
         {std::pair{daxCall, market::OptionKind::Call}, std::pair{daxPut, market::OptionKind::Put}}) {
        const auto result = lorquin(number);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
        const auto stored = quotes(number);
        ASSERT_EQ(stored.size(), 1u);
        const auto expected = market::priceWarrant(terms(kind), 21000, stored[0].time);
        EXPECT_DOUBLE_EQ(stored[0].price, expected.bid);
        ASSERT_TRUE(stored[0].volume);
        const auto delta = trackerDelta(*stored[0].volume);
        ASSERT_TRUE(delta);
        EXPECT_NEAR(*delta, expected.delta, kind == market::OptionKind::Call ? 1e-6 : 0.0005);
        EXPECT_EQ(*delta > 0, kind == market::OptionKind::Call);
    }
    EXPECT_EQ(quotes(dax).size(), 1u);
}

TEST_F(LorquinProcess, ReplaysTheQuoteFileOneLinePerRunAndStopsAtItsEnd) {
    home().writeFile("Daten/Kurse846900.csv", "09:00:00;20100,5\n09:00:30;20101.25;1200\n09:01:00;20099\n");
    const DateTime today = formats::datePart(formats::now());
    addQuote({dax, today - 1 + formats::encodeTime(17, 30, 0), 19000.0, std::nullopt});
    // Each run tells the tracker the time of the newest stored quote; the used-up file adds none.
    const char* const reported[] = {"09:00:00", "09:00:30", "09:01:00", "09:01:00"};
    for (const char* time : reported) {
        const auto result = lorquin(dax);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
        EXPECT_EQ(result.standardOutput, std::string("letzter Kurs ") + time + "\n");
    }
    const auto stored = quotes(dax);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_DOUBLE_EQ(stored[2].time, today + formats::encodeTime(9, 0, 30));
    EXPECT_DOUBLE_EQ(stored[2].price, 20101.25);
    EXPECT_EQ(stored[2].volume, 1200);
}

// A bad command line exits 2 with the usage, any other failure 1; none stores a quote.
TEST_F(LorquinProcess, FailuresExitNonZeroWithOneGermanLineNamingTheCause) {
    const std::string usage = " Aufruf: Lorquin /W <Instrumentnummer> /D\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "Erwartet werden 3 Argumente, angegeben sind 0."},
        {{"/W", "17"}, "Erwartet werden 3 Argumente, angegeben sind 2."},
        {{"/X", "17", "/D"}, "'/X' ist nicht der Schalter /W."},
        {{"/W", "17", "/E"}, "'/E' ist nicht der Schalter /D."},
        {{"/W", "DAX", "/D"}, "'DAX' ist keine Instrumentnummer."},
    };
    for (const auto& [arguments, reason] : cases) {
        const auto bad = run(LORQUIN_PATH, arguments);
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_EQ(bad.standardError, "Lorquin: " + reason + usage);
    }

    const auto unknown = lorquin(4711);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.standardError, "Lorquin /W 4711: Das Instrument 4711 steht nicht in " +
                                         (dataDirectory() / "Firma.db").string() + ".\n");

    std::filesystem::remove(dataDirectory() / "Firma.db");
    std::filesystem::remove(dataDirectory() / "Firma.px");
    const auto missing = lorquin(dax);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.standardError, "Lorquin /W 846900: Die Tabelle " +
                                         (dataDirectory() / "Firma.db").string() + " existiert nicht.\n");
    EXPECT_FALSE(std::filesystem::exists(dataDirectory() / "Intraday.db"));

    writeInstruments(dataDirectory());
    home().writeFile("Daten/Kurse846900.csv", "09:00:00;1\n09:00:30;zwei\n");
    const auto badFile = lorquin(dax);
    EXPECT_EQ(badFile.exitCode, 1);
    EXPECT_EQ(badFile.standardError, "Lorquin /W 846900: Fehler in der Kursdatei " +
                                         (dataDirectory() / "Kurse846900.csv").string() +
                                         ", Zeile 2 '09:00:30;zwei': 'zwei' ist kein positiver Kurs.\n");
    EXPECT_TRUE(quotes(dax).empty());
}

TEST_F(LorquinProcess, GivesUpOnALockHeldByAnotherProgramAndLeavesTheTableWhole) {
    addQuote({dax, formats::now() - 120 / secondsPerDay, 20000.0, std::nullopt});
    addQuote({dax, formats::now() - 60 / secondsPerDay, 20010.0, std::nullopt});
    {
        paradox::TableStorage storage(dataDirectory() / "Intraday.db");
        const paradox::TableStorage::WriteLock lock(storage);
        const auto result = lorquin(dax);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, "Lorquin /W 846900: Die Tabelle " +
                                            (dataDirectory() / "Intraday.db").string() + " blieb bei " +
                                            std::to_string(lorquin::lockAttempts) +
                                            " Versuchen von einem anderen Programm gesperrt; der Kurs wurde "
                                            "nicht gespeichert.\n");
    }
    const auto check = pxtoolCheck(dataDirectory() / "Intraday.db");
    EXPECT_EQ(check.exitCode, 0) << check.standardOutput;
    EXPECT_EQ(quotes(dax).size(), 2u);
    // Once the lock is free the next run stores its quote.
    EXPECT_EQ(lorquin(dax).exitCode, 0);
    EXPECT_EQ(quotes(dax).size(), 3u);
}

TEST_F(LorquinProcess, WithoutASettingUsesDatenBesideItsProgramDirectory) {
    const auto installation = home().path() / "Marlovex";
    std::filesystem::create_directories(installation / "bin");
    std::filesystem::create_directories(installation / "Daten");
    std::filesystem::copy_file(LORQUIN_PATH, installation / "bin" / "Lorquin");
    writeInstruments(installation / "Daten");
    const auto emptyConfig = home().path() / "no-settings";
    std::filesystem::create_directories(emptyConfig);

    const auto result = runChild((installation / "bin" / "Lorquin").string(), {"/w", "846900", "/d"},
                                 {{"XDG_CONFIG_HOME", emptyConfig.string()}});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_TRUE(std::filesystem::exists(installation / "Daten" / "Intraday.db"));
    EXPECT_FALSE(std::filesystem::exists(dataDirectory() / "Intraday.db"));
}

} // namespace
} // namespace marlovex::testing_support
