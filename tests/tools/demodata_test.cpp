// The demo data generator as a user runs it, and the day it generates.
#include "data_directory_fixture.h"
#include "demodata/demo_instruments.h"
#include "demodata/demo_market.h"
#include "market/instrument.h"
#include "market/option_model.h"
#include "platform/formats/number_format.h"
#include "tracker_delta.h"

#include <gtest/gtest.h>
#include <locale>
#include <map>
#include <set>
#include <tuple>

namespace marlovex::testing_support {
namespace {

using formats::DateTime;
using formats::encodeTime;

constexpr double secondsPerDay = 86400;

int weekday(DateTime date) {
    return static_cast<int>((static_cast<long long>(date) + 5) % 7);
}

class DemoData : public DataDirectoryTest {
protected:
    // Generated with the locale variables `environment` names and no others; under C.UTF-8 unless told.
    ChildResult generate(std::map<std::string, std::string> environment = {{"LC_ALL", "C.UTF-8"}}) const {
        environment.emplace("XDG_CONFIG_HOME", configDirectory().string());
        for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
            environment.emplace(variable, "");
        }
        return runChild(DEMODATA_PATH, {dataDirectory().string(), "--registry", settingsFile().string()},
                        environment);
    }

    std::string purchaseSetting(const char* name) const {
        registry::Registry settings(settingsFile());
        EXPECT_TRUE(settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", false));
        return settings.readString(name);
    }

    // The purchase prices as the program reads them with the separators of `numbers`: the first
    // quotes of the DAX call and the DAX, written without grouping.
    void expectPurchasePricesIn(const formats::NumberLocale& numbers) const {
        const auto call = demodata::daxCall(demodata::demoInstruments(formats::datePart(formats::now())));
        const std::pair<const char*, std::int64_t> purchases[] = {{"OS_Ankauf", call.instrument.number},
                                                                  {"OS_AnkaufBasis", demodata::daxNumber}};
        for (const auto& [name, instrument] : purchases) {
            const auto text = purchaseSetting(name);
            EXPECT_EQ(formats::tryParseDecimal(text, numbers), quotes(instrument).front().price)
                << name << ": " << text;
            EXPECT_EQ(text.find(numbers.thousandSeparator), std::string::npos) << name << ": " << text;
        }
    }

    std::vector<std::pair<std::int64_t, DateTime>> dailyRows(const std::string& table, const char* valueField,
                                                             std::map<std::int64_t, int>* counts) const {
        paradox::Table view;
        view.setDatabaseName(dataDirectory());
        view.setTableName(table);
        view.open();
        std::vector<std::pair<std::int64_t, DateTime>> rows;
        for (view.first(); !view.eof(); view.next()) {
            rows.emplace_back(view.field("Firma").asInteger(), view.field("Datum").asDateTime());
            EXPECT_GT(view.field(valueField).asFloat(), 0) << table;
            ++(*counts)[rows.back().first];
        }
        return rows;
    }
};

TEST_F(DemoData, RefusesBadCommandLinesAndUsedDirectoriesAndWritesSoundTablesThatLorquinContinues) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"--registry"}, {dataDirectory().string(), "--registry"}, {"a", "b"}}) {
        const auto bad = run(DEMODATA_PATH, arguments);
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_EQ(bad.standardError, "Aufruf: marlovex-demodata VERZEICHNIS [--registry DATEI]\n");
    }
    EXPECT_FALSE(std::filesystem::exists(dataDirectory() / "Firma.db"));

    const auto result = generate();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    for (const auto& table : {dataDirectory() / "Firma.db", dataDirectory() / "Intraday.db",
                              dataDirectory() / "Aktien.db", dataDirectory() / "Volumen.db",
                              dataDirectory() / "Message.DB", dataDirectory() / "Temp" / "Analyse.db"}) {
        const auto check = pxtoolCheck(table);
        EXPECT_EQ(check.exitCode, 0) << table << ": " << check.standardOutput << check.standardError;
    }
    const auto before = quotes().size();
    const auto again = generate();
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.standardError, "marlovex-demodata: Das Verzeichnis " + dataDirectory().string() +
                                       " enthält schon die Tabelle Firma.db; bitte ein neues oder leeres "
                                       "Verzeichnis angeben.\n");
    EXPECT_EQ(quotes().size(), before);

    const auto call = demodata::daxCall(demodata::demoInstruments(formats::datePart(formats::now())));
    // The warrant first: priced from the underlying's last demo quote, it must lie near its own.
    // After the underlying's next quote it follows that one with its leverage, and the walk over
    // the hours since the close may have moved the underlying by a percent.
    for (const auto number : {call.instrument.number, demodata::daxNumber}) {
        const auto earlier = quotes(number);
        const auto continued = lorquin(number);
        ASSERT_EQ(continued.exitCode, 0) << continued.standardError;
        const auto after = quotes(number);
        ASSERT_EQ(after.size(), earlier.size() + 1);
        EXPECT_GE(after.back().time, earlier.back().time);
        EXPECT_NEAR(after.back().price, earlier.back().price, earlier.back().price * 0.05);
    }
}

TEST_F(DemoData, HoldsTheInstrumentsTheirDailyHistoryAndSettingsThatOpenTheTrackerOnTheDaxCall) {
    ASSERT_EQ(generate().exitCode, 0);
    const DateTime today = formats::datePart(formats::now());
    const auto instruments = demodata::demoInstruments(today);
    int stocks = 0;
    std::set<std::pair<bool, bool>> warrantKinds;
    for (const auto& demo : instruments) {
        const auto stored = market::findInstrument(dataDirectory(), demo.instrument.number);
        ASSERT_TRUE(stored) << demo.instrument.name;
        EXPECT_EQ(stored->name, demo.instrument.name);
        if (stored->warrant) {
            EXPECT_GT(stored->warrant->expiry, formats::now());
            warrantKinds.insert({stored->warrant->underlying == demodata::daxNumber,
                                 stored->warrant->kind == market::OptionKind::Call});
        } else if (stored->number != demodata::daxNumber) {
            ++stocks;
            EXPECT_TRUE(stored->referencePrice);
        }
    }
    EXPECT_EQ(market::findInstrument(dataDirectory(), demodata::daxNumber)->name, "DAX");
    EXPECT_GE(stocks, 3);
    // Calls and puts on the DAX and on stocks.
    EXPECT_EQ(warrantKinds.size(), 4u);

    std::map<std::int64_t, int> priceDays;
    for (const auto& [instrument, date] : dailyRows("Aktien.db", "Kurs", &priceDays)) {
        EXPECT_LT(date, today);
        EXPECT_LT(weekday(date), 5);
    }
    EXPECT_EQ(priceDays.size(), instruments.size());
    for (const auto& [instrument, days] : priceDays) {
        EXPECT_EQ(days, demodata::historyDays) << instrument;
    }
    std::map<std::int64_t, int> volumeDays;
    dailyRows("Volumen.db", "Volumen", &volumeDays);
    for (const auto& demo : instruments) {
        EXPECT_EQ(volumeDays.contains(demo.instrument.number), demo.tradesShares) << demo.instrument.name;
    }

    registry::Registry settings(settingsFile());
    ASSERT_TRUE(settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", false));
    EXPECT_EQ(settings.readString("Datenpath"), dataDirectory().string() + "/");
    const auto call = demodata::daxCall(instruments);
    EXPECT_EQ(settings.readString("OS_Option"), call.instrument.name);
    EXPECT_EQ(settings.readString("OS_Basis"), "DAX");
}

TEST_F(DemoData, QuotesEveryInstrumentThroughTodaysSessionAndPricesWarrantsFromTheUnderlying) {
    const DateTime before = formats::now();
    ASSERT_EQ(generate().exitCode, 0);
    const DateTime after = formats::now();
    DateTime start = 0;
    DateTime end = 0;
    demodata::sessionBounds(before, start, end);
    const auto instruments = demodata::demoInstruments(formats::datePart(before));
    for (const auto& demo : instruments) {
        const auto series = quotes(demo.instrument.number);
        ASSERT_FALSE(series.empty()) << demo.instrument.name;
        EXPECT_NEAR(series.front().time, start, 0.5 / secondsPerDay) << demo.instrument.name;
        EXPECT_LE(series.back().time, after);
        for (std::size_t i = 1; i < series.size(); ++i) {
            const double pause = (series[i].time - series[i - 1].time) * secondsPerDay;
            EXPECT_GE(pause, demo.minimumPause - 0.5);
            EXPECT_LE(pause, demo.maximumPause + 1.5);
        }
        for (const auto& quote : series) {
            EXPECT_GT(quote.price, 0);
            if (demo.instrument.warrant) {
                ASSERT_TRUE(quote.volume);
                const auto delta = trackerDelta(*quote.volume);
                ASSERT_TRUE(delta);
                EXPECT_EQ(*delta > 0, demo.instrument.warrant->kind == market::OptionKind::Call);
            } else {
                EXPECT_EQ(quote.volume.has_value(), demo.tradesShares);
            }
        }
    }

    // Each warrant quote is priced from the underlying's quote at the same moment.
    const auto& call = demodata::daxCall(instruments);
    const auto index = quotes(demodata::daxNumber);
    for (const auto& quote : quotes(call.instrument.number)) {
        const market::Quote* spot = nullptr;
        for (const auto& candidate : index) {
            if (candidate.time <= quote.time + 0.0005 / secondsPerDay) {
                spot = &candidate;
            }
        }
        if (spot == nullptr) {
            continue;
        }
        const auto expected = market::priceWarrant(*call.instrument.warrant, spot->price, quote.time);
        EXPECT_NEAR(quote.price, expected.bid, 0.0015);
        EXPECT_NEAR(*trackerDelta(*quote.volume), expected.delta, 1e-5);
    }
}

// The program reads the prices with the desktop's locale, which it takes from LC_ALL, else
// LC_NUMERIC, else LANG, and warns of one that is not installed; the test fails, not skips, where
// the German locale is missing.
TEST_F(DemoData, WritesPricesInTheNumberFormOfTheLocaleItRunsUnder) {
    ASSERT_NO_THROW(std::locale("de_DE.UTF-8")) << "scripts/install-deps generates de_DE.UTF-8";
    const formats::NumberLocale german{',', '.'};
    const formats::NumberLocale plain{'.', ','};
    const std::tuple<std::map<std::string, std::string>, formats::NumberLocale, std::string> cases[] = {
        {{{"LC_ALL", "de_DE.UTF-8"}}, german, ""},
        {{{"LANG", "de_DE.UTF-8"}}, german, ""},
        {{{"LANG", "C.UTF-8"}, {"LC_NUMERIC", "de_DE.UTF-8"}}, german, ""},
        {{{"LC_ALL", "C.UTF-8"}, {"LC_NUMERIC", "de_DE.UTF-8"}}, plain, ""},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_NUMERIC", "C.UTF-8"}}, plain, ""},
        {{{"LC_ALL", "xx_XX.UTF-8"}}, plain, "marlovex-demodata: Warnung: Die Sprachumgebung"},
    };
    for (const auto& [environment, numbers, warning] : cases) {
        SCOPED_TRACE(::testing::PrintToString(environment));
        std::filesystem::remove_all(dataDirectory());
        const auto result = generate(environment);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
        EXPECT_EQ(result.standardError.substr(0, warning.size()), warning);
        EXPECT_EQ(result.standardError.empty(), warning.empty()) << result.standardError;
        expectPurchasePricesIn(numbers);
    }
}

TEST(DemoSession, BeginsAtNineOrMidnightAndEndsNowOrAtTheClose) {
    const DateTime day = formats::encodeDate(2026, 12, 4);
    // The time of the run, and the session's start and end it gives.
    const std::tuple<DateTime, DateTime, DateTime> cases[] = {
        {day + encodeTime(14, 23, 10, 500), day + encodeTime(9, 0, 0), day + encodeTime(14, 23, 10)},
        {day + encodeTime(19, 0, 0), day + encodeTime(9, 0, 0), day + encodeTime(17, 30, 0)},
        {day + encodeTime(7, 15, 0), day, day + encodeTime(7, 15, 0)},
    };
    for (const auto& [now, expectedStart, expectedEnd] : cases) {
        SCOPED_TRACE(formats::formatDateTime(now, "hh:mm:ss"));
        DateTime start = 0;
        DateTime end = 0;
        demodata::sessionBounds(now, start, end);
        EXPECT_DOUBLE_EQ(start, expectedStart);
        EXPECT_NEAR(end, expectedEnd, 0.001 / secondsPerDay);
    }
}

TEST(DemoSession, ALaterRunOfTheSameDayOnlyAddsQuotes) {
    const DateTime day = formats::encodeDate(2026, 12, 4);
    const auto instruments = demodata::demoInstruments(day);
    const auto seed = static_cast<std::uint64_t>(day);
    const auto morning = demodata::generateMarket(instruments, day + encodeTime(11, 0, 0), seed);
    const auto afternoon = demodata::generateMarket(instruments, day + encodeTime(15, 30, 0), seed);
    ASSERT_FALSE(morning.quotes.empty());
    std::size_t shared = 0;
    for (const auto& quote : afternoon.quotes) {
        if (quote.time <= morning.sessionEnd) {
            ASSERT_LT(shared, morning.quotes.size());
            const auto& early = morning.quotes[shared++];
            EXPECT_EQ(early.instrument, quote.instrument);
            EXPECT_DOUBLE_EQ(early.time, quote.time);
            EXPECT_DOUBLE_EQ(early.price, quote.price);
            EXPECT_EQ(early.volume, quote.volume);
        }
    }
    EXPECT_EQ(shared, morning.quotes.size());
    EXPECT_GT(afternoon.quotes.size(), morning.quotes.size());
    EXPECT_EQ(afternoon.dailyPrices.size(), morning.dailyPrices.size());
    for (std::size_t i = 0; i < morning.dailyPrices.size(); ++i) {
        EXPECT_DOUBLE_EQ(afternoon.dailyPrices[i].price, morning.dailyPrices[i].price);
    }
}

TEST(DemoInstruments, ExpireOnThirdFridaysAfterToday) {
    const DateTime today = formats::encodeDate(2026, 12, 4);
    for (const auto& demo : demodata::demoInstruments(today)) {
        if (!demo.instrument.warrant) {
            continue;
        }
        const DateTime expiry = demo.instrument.warrant->expiry;
        const auto parts = formats::decodeDateTime(expiry);
        EXPECT_EQ(weekday(expiry), 4) << demo.instrument.name;
        EXPECT_GE(parts.day, 15);
        EXPECT_LE(parts.day, 21);
        EXPECT_GT(expiry, today + 60);
        EXPECT_LE(demo.instrument.name.size(), 40u);
    }
}

} // namespace
} // namespace marlovex::testing_support
