#include "platform/paths/file_names.h"
#include "support/trading_day.h"
#include "tracker/live/day_change.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marlovex::tracker {
namespace {

using testing_support::TradingDay;
using testing_support::warrantNumber;

class DayChangeTest : public testing::Test {
protected:
    DayChangeTest() {
        m_settings.DatenPath = m_day.directory().string() + "/";
        m_settings.IntraPath = m_settings.DatenPath + "Intraday";
        m_settings.today = formats::encodeDate(2026, 12, 5) + formats::encodeTime(8, 30, 0);
        m_tables.setDatabaseName(m_day.directory());
    }

    std::size_t quotesIn(const std::filesystem::path& file) {
        paradox::Table table;
        table.setTableName(file.string());
        table.open();
        return table.recordCount();
    }

    void check(bool answer) {
        checkDayChange(
            m_tables, m_settings,
            [&] {
                ++m_questions;
                return answer;
            },
            [&](const std::string& archive, const std::string& reason) {
                m_failures.push_back(archive + ": " + reason);
            });
    }

    TradingDay m_day;
    QuoteTables m_tables;
    DayChangeSettings m_settings;
    int m_questions = 0;
    std::vector<std::string> m_failures;
};

TEST_F(DayChangeTest, NoKeepsYesterdaysQuotesAndYesArchivesThemUnderTheirDateOnceAndLeavesAnEmptyTable) {
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.5);
    m_day.addQuote(warrantNumber, 17, 30, 0, 1.6);
    const std::filesystem::path archive = m_day.directory() / "Intraday04.12.2026.DB";
    check(false);
    check(false);
    EXPECT_EQ(m_questions, 2);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.db"), 2u);
    EXPECT_FALSE(paths::fileExistsCaseInsensitive(archive));

    check(true);
    EXPECT_EQ(m_questions, 3);
    ASSERT_TRUE(std::filesystem::exists(archive));
    EXPECT_EQ(quotesIn(archive), 2u);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.DB"), 0u);
    EXPECT_EQ(archiveName("/data/Intraday", TradingDay::at(9, 0, 0)), "/data/Intraday04.12.2026.DB");

    // An archive of that date already there is never overwritten.
    m_day.addQuote(warrantNumber, 10, 0, 0, 1.7);
    m_day.addQuote(warrantNumber, 11, 0, 0, 1.8);
    check(true);
    EXPECT_EQ(quotesIn(archive), 2u);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.DB"), 2u);
    EXPECT_EQ(m_failures.size(), 1u);
}

TEST_F(DayChangeTest, EmptyTablesAndTodaysQuotesAskNothing) {
    check(true);
    m_settings.today = formats::encodeDate(2026, 12, 4) + formats::encodeTime(18, 0, 0);
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.5);
    check(true);
    EXPECT_EQ(m_questions, 0);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.db"), 1u);
}

TEST_F(DayChangeTest, TheArchivePrefixMayNameAnotherFolderButOneThatIsMissingKeepsTheQuotes) {
    std::filesystem::create_directory(m_day.directory() / "Archiv");
    m_settings.IntraPath = (m_day.directory() / "Archiv" / "Kurse").string();
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.5);
    check(true);
    EXPECT_EQ(quotesIn(m_day.directory() / "Archiv" / "Kurse04.12.2026.DB"), 1u);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.db"), 0u);

    // A folder that does not exist: the quotes stay and the failure is reported.
    m_settings.IntraPath = (m_day.directory() / "fehlt" / "Intraday").string();
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.5);
    check(true);
    EXPECT_EQ(quotesIn(m_day.directory() / "Intraday.db"), 1u);
    ASSERT_EQ(m_failures.size(), 1u);
    EXPECT_NE(m_failures[0].find("Intraday04.12.2026.DB"), std::string::npos) << m_failures[0];
}

TEST_F(DayChangeTest, AMissingQuoteTableIsTheCallersError) {
    std::filesystem::remove(paths::resolveCaseInsensitive(m_day.directory() / "Intraday.db"));
    EXPECT_THROW(check(true), Error);
}

} // namespace
} // namespace marlovex::tracker
