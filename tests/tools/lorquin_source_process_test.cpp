// Lorquin on real quote sources: a real process against a local HTTP server on 127.0.0.1.
#include "data_directory_fixture.h"
#include "lorquin/quote_source.h"
#include "support/test_http_server.h"

#include <chrono>
#include <gtest/gtest.h>

namespace marlovex::testing_support {
namespace {

using formats::DateTime;
using paradox::Value;

constexpr std::int64_t dax = 100;
constexpr std::int64_t warrant = 200;
constexpr std::int64_t unmapped = 300;

class LorquinSource : public DataDirectoryTest {
protected:
    LorquinSource() {
        pointSettingsAtDataDirectory();
        const auto layout = market::instrumentTableLayout();
        market::BulkTableWriter table(dataDirectory(), layout);
        for (const auto& [number, name] :
             {std::pair{dax, "DAX"}, std::pair{warrant, "DAX Call"}, std::pair{unmapped, "Ohne Symbol"}}) {
            table.add(market::recordOf(layout, {{"Firma", Value(number)},
                                                {"FirmenName", Value(std::string(name))},
                                                {"Referenz", Value(100.0)}}));
        }
        table.write();
    }

    void SetUp() override {
        // Quotes a few minutes old, and the runs of a test, must lie within one day.
        const double time = formats::timePart(formats::now());
        if (time < 5.0 / 1440 || time > 1 - 5.0 / 1440) {
            GTEST_SKIP() << "So nah an Mitternacht fielen die Kurse eines Tests auf zwei Tage.";
        }
    }

    void configure(const std::string& source,
                   const std::string& symbols = "100=^GDAXI\n200=DE000XY12345\n") const {
        home().writeFile("Daten/Kursquellen.ini", "[Quelle]\n" + source + "\n[Symbole]\n" + symbols);
    }

    static DateTime today() { return formats::datePart(formats::now()); }
    // A time of today some minutes before now, as "hh:mm:ss".
    static std::string minutesAgo(int minutes) {
        return formats::formatDateTime(formats::now() - minutes / 1440.0, "hh:mm:ss");
    }

    // Exactly one German line naming the instrument and `source`; nothing more stored.
    void expectFailure(const ChildResult& result, std::int64_t instrument, const std::string& source,
                       const std::string& reason, std::size_t alreadyStored = 0) const {
        EXPECT_EQ(result.exitCode, 1);
        const auto& text = result.standardError;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_TRUE(text.starts_with("Lorquin /W " + std::to_string(instrument) + ": ")) << text;
        EXPECT_NE(text.find(source), std::string::npos) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
        EXPECT_EQ(quotes().size(), alreadyStored);
    }

    TestHttpServer m_server;
};

const std::string csvColumns = "Spalte.Zeit=Zeit\nSpalte.Kurs=Kurs\nSpalte.Volumen=Volumen\n";

TEST_F(LorquinSource, CatchesUpOnACsvSeriesAndThenStoresNothingNew) {
    const auto first = minutesAgo(3);
    const auto second = minutesAgo(2);
    const auto third = minutesAgo(1);
    m_server.respond("/kurse/%5EGDAXI",
                     CannedResponse::ok("Zeit;Kurs;Volumen\n" + third + ";24015,25;\n" + first +
                                        ";24012,50;1200\n" + second + ";24013;1300\n"));
    configure("URL=" + m_server.url("/kurse/{Symbol}?firma={Firma}&apikey=geheim") + "\n" + csvColumns);
    const auto run = lorquin(dax);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_EQ(run.standardError, "");
    const auto stored = quotes();
    ASSERT_EQ(stored.size(), 3u);
    const std::vector<std::pair<std::string, double>> expected{
        {first, 24012.5}, {second, 24013}, {third, 24015.25}};
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].instrument, dax);
        EXPECT_EQ(formats::formatDateTime(stored[i].time, "yyyy-mm-dd hh:mm:ss"),
                  formats::formatDateTime(today(), "yyyy-mm-dd ") + expected[i].first);
        EXPECT_DOUBLE_EQ(stored[i].price, expected[i].second);
    }
    EXPECT_EQ(stored[0].volume, 1200);
    EXPECT_FALSE(stored[2].volume);

    const auto again = lorquin(dax);
    EXPECT_EQ(again.exitCode, 0) << again.standardError;
    EXPECT_EQ(quotes().size(), 3u);
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/kurse/%5EGDAXI?firma=100&apikey=geheim");
    EXPECT_EQ(requests[0].userAgent, lorquin::userAgent());
}

TEST_F(LorquinSource, StoresAJsonSeries) {
    const auto now = formats::now();
    const auto isoAgo = [&](int seconds) {
        return formats::formatDateTime(now - seconds / 86400.0, "yyyy-mm-dd\"T\"hh:mm:ss");
    };
    m_server.respond("/reihe", CannedResponse::ok(
                                   R"({"data":[{"t":")" + isoAgo(60) + R"(","p":24000},{"t":")" + isoAgo(20) +
                                   R"(","p":24011.75},{"t":")" + isoAgo(10) + R"(","p":"24012"}]})"));
    configure("URL=" + m_server.url("/reihe") +
              "\nFormat=json\nZeilen=/data\nSpalte.Zeit=/t\nSpalte.Kurs=/p\n");
    const auto run = lorquin(dax);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const auto stored = quotes();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_DOUBLE_EQ(stored[1].price, 24011.75);
    EXPECT_DOUBLE_EQ(stored[2].price, 24012);
    EXPECT_NEAR(stored[2].time, formats::datePart(now) + formats::timePart(now) - 10 / 86400.0, 1.0 / 86400);
}

TEST_F(LorquinSource, FollowsARedirect) {
    m_server.respond("/alt", CannedResponse::redirect(m_server.url("/neu")));
    m_server.respond("/neu", CannedResponse::ok("Kurs\n42,5\n"));
    configure("URL=" + m_server.url("/alt") + "\nSpalte.Kurs=Kurs\n");
    const auto run = lorquin(dax);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    ASSERT_EQ(quotes().size(), 1u);
    EXPECT_DOUBLE_EQ(quotes()[0].price, 42.5);
    EXPECT_NEAR(quotes()[0].time, formats::now(), 30 / 86400.0);
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/neu");
}

TEST_F(LorquinSource, FailuresStoreNothingAndNameInstrumentAndMaskedSource) {
    const std::string masked = "?s=%5EGDAXI&token=***";
    const std::string query = "?s={Symbol}&token=abc123";
    struct Case {
        std::string path;
        CannedResponse response;
        std::string reason;
    };
    auto serverError = CannedResponse::ok("kaputt");
    serverError.status = 500;
    std::vector<Case> cases{
        {"/status", serverError, "HTTP-Status 500"},
        {"/gross", CannedResponse::ok(std::string(5 * 1024 * 1024, '7')), "größer als 4 MB"},
        {"/kopf", CannedResponse::ok("Uhrzeit;Preis\n09:00:00;1\n"), "hat keine Spalte 'Kurs'"},
        {"/kreis", CannedResponse::redirect("/kreis"), "mehr als 5 Weiterleitungen"},
    };
    for (const auto& [path, response, reason] : cases) {
        m_server.respond(path, response);
        configure("URL=" + m_server.url(path + query) + "\nSpalte.Zeit=Zeit\nSpalte.Kurs=Kurs\n");
        const auto run = lorquin(dax);
        SCOPED_TRACE(path);
        expectFailure(run, dax, "Kein Kurs für ^GDAXI von " + m_server.url(path + masked) + ": ", reason);
        EXPECT_EQ(run.standardError.find("abc123"), std::string::npos);
    }
}

TEST_F(LorquinSource, GivesUpOnASilentServerWithinItsTimeout) {
    CannedResponse silent;
    silent.neverAnswer = true;
    m_server.respond("/still", silent);
    configure("URL=" + m_server.url("/still") + "\nSpalte.Kurs=Kurs\nTimeout=1\n");
    const auto start = std::chrono::steady_clock::now();
    const auto run = lorquin(dax);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    expectFailure(run, dax, m_server.url("/still"), "keine vollständige Antwort innerhalb von 1 s");
    // A bound on behaviour, not a speed check: the request ends at its timeout, long before the
    // server would give up; the margin covers a slow start under the sanitizers.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST_F(LorquinSource, RefusesAnUnmappedInstrumentAndAMalformedFile) {
    configure("URL=" + m_server.url("/q") + "\nSpalte.Kurs=Kurs\n");
    const auto unknown = lorquin(unmapped);
    expectFailure(unknown, unmapped, "Kursquellen.ini", "keine Zeile im Abschnitt [Symbole]");
    EXPECT_TRUE(m_server.requests().empty());

    home().writeFile("Daten/Kurse100.csv", "09:00:00;1\n");
    configure("URL=" + m_server.url("/q") + "\nSpalte.Kurs=Kurs\nFormat=xml\n");
    expectFailure(lorquin(dax), dax, "Kursquellen.ini, Zeile 4", "Format muss csv oder json sein");
    EXPECT_TRUE(m_server.requests().empty());
}

} // namespace
} // namespace marlovex::testing_support
