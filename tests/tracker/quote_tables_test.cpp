#include "support/trading_day.h"
#include "tracker/live/quote_tables.h"

#include <gtest/gtest.h>
#include <vector>

namespace marlovex::tracker {
namespace {

using testing_support::bayerNumber;
using testing_support::daxNumber;
using testing_support::TradingDay;
using testing_support::warrantNumber;

TEST(DeltaDecodingTest, FollowsTheImportProgramsEncoding) {
    EXPECT_EQ(decodeDelta(0), std::nullopt);
    EXPECT_DOUBLE_EQ(*decodeDelta(1000), -1.0);
    EXPECT_DOUBLE_EQ(*decodeDelta(1001), 0.001001);
    EXPECT_DOUBLE_EQ(*decodeDelta(-250), 0.25);
    EXPECT_DOUBLE_EQ(*decodeDelta(450000), 0.45);
}

TEST(StatisticsTest, SelectionsResetTheirOwnColumns) {
    WarrantStatistics statistics;
    const auto fill = [&] { statistics = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}; };
    fill();
    statistics.resetForUnderlyingSelection();
    EXPECT_EQ(statistics.OSRefKurs, 0);
    EXPECT_EQ(statistics.BasisRefKurs, 0);
    EXPECT_EQ(statistics.OSMax, -100000);
    EXPECT_EQ(statistics.OSMin, 100000);
    EXPECT_EQ(statistics.BasisAtOSMax, 5);
    EXPECT_EQ(statistics.BasisDiffAtOSMin, 8);

    fill();
    statistics.resetForWarrantSelection();
    EXPECT_EQ(statistics.BasisAtOSMax, -100000);
    EXPECT_EQ(statistics.BasisAtOSMin, 100000);
    EXPECT_EQ(statistics.BasisDiffAtOSMax, -100000);
    EXPECT_EQ(statistics.BasisDiffAtOSMin, 100000);
    EXPECT_EQ(statistics.StatMaxZeit, 9);
    EXPECT_EQ(statistics.StatMinZeit, 10);
}

// One calculated row of the warrant's quote list.
struct Row {
    double time;
    double quote;
    double kursDiff;
    double basisWert;
    double basisDiff;
    std::optional<double> delta;
};

class QuoteTablesTest : public testing::Test {
protected:
    void openPair(const std::string& warrant, const std::string& underlying) {
        m_tables.setDatabaseName(m_day.directory());
        m_tables.Table3.open();
        ASSERT_TRUE(m_tables.Table3.findKey({paradox::Value(warrant)}));
        m_tables.Table5.open();
        ASSERT_TRUE(m_tables.Table5.findKey({paradox::Value(underlying)}));
        m_tables.Table4.open();
        m_tables.Table1.open();
        m_tables.Table2.open();
    }

    std::vector<Row> scan() {
        m_tables.statistics.resetForScan();
        std::vector<Row> rows;
        paradox::Table& list = m_tables.Table1;
        for (list.first(); !list.eof(); list.next()) {
            Row row{list.field("ZEIT").asDateTime(),    list.field("Kurs").asFloat(),
                    list.field("Kurs-Diff").asFloat(),  list.field("Basis-Wert").asFloat(),
                    list.field("Basis-Diff").asFloat(), std::nullopt};
            if (!list.field("Delta").isNull()) {
                row.delta = list.field("Delta").asFloat();
            }
            rows.push_back(row);
        }
        return rows;
    }

    TradingDay m_day;
    QuoteTables m_tables;
};

TEST_F(QuoteTablesTest, CalculatesDifferencesAgainstThePreviousQuoteAndTheUnderlyingAtOrAfterIt) {
    m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
    m_day.addQuote(daxNumber, 9, 5, 0, 20050.0);
    m_day.addQuote(daxNumber, 9, 10, 0, 20020.0);
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.50, 450000);
    m_day.addQuote(warrantNumber, 9, 3, 0, 1.60, 0);
    m_day.addQuote(warrantNumber, 9, 12, 0, 1.55, -250);
    m_day.addQuote(bayerNumber, 9, 1, 0, 30.0);
    openPair("DAX Call 20000", "DAX");

    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 3u);
    // The first quote of the warrant is its own reference.
    EXPECT_DOUBLE_EQ(rows[0].kursDiff, 0.0);
    EXPECT_DOUBLE_EQ(rows[0].basisWert, 20000.0);
    EXPECT_DOUBLE_EQ(rows[0].basisDiff, 0.0);
    EXPECT_DOUBLE_EQ(*rows[0].delta, 0.45);
    // 09:03: the underlying's first quote at or after it is 09:05; the reference is the quote
    // at or after the previous warrant quote (09:00).
    EXPECT_NEAR(rows[1].kursDiff, 0.10, 1e-12);
    EXPECT_DOUBLE_EQ(rows[1].basisWert, 20050.0);
    EXPECT_DOUBLE_EQ(rows[1].basisDiff, 50.0);
    EXPECT_FALSE(rows[1].delta.has_value());
    // 09:12: no later underlying quote, so its last one; reference at or after 09:03 is 09:05.
    EXPECT_NEAR(rows[2].kursDiff, -0.05, 1e-12);
    EXPECT_DOUBLE_EQ(rows[2].basisWert, 20020.0);
    EXPECT_DOUBLE_EQ(rows[2].basisDiff, -30.0);
    EXPECT_DOUBLE_EQ(*rows[2].delta, 0.25);

    const WarrantStatistics& statistics = m_tables.statistics;
    EXPECT_DOUBLE_EQ(statistics.OSMax, 1.60);
    EXPECT_DOUBLE_EQ(statistics.StatMaxZeit, TradingDay::at(9, 3, 0));
    EXPECT_DOUBLE_EQ(statistics.BasisAtOSMax, 20050.0);
    EXPECT_DOUBLE_EQ(statistics.BasisDiffAtOSMax, 50.0);
    EXPECT_DOUBLE_EQ(statistics.OSMin, 1.50);
    EXPECT_DOUBLE_EQ(statistics.StatMinZeit, TradingDay::at(9, 0, 0));
    EXPECT_DOUBLE_EQ(statistics.BasisAtOSMin, 20000.0);
}

TEST_F(QuoteTablesTest, EqualHighsNameTheLastRowAndEqualLowsTheFirst) {
    m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    m_day.addQuote(warrantNumber, 9, 1, 0, 2.00);
    m_day.addQuote(warrantNumber, 9, 2, 0, 1.00);
    m_day.addQuote(warrantNumber, 9, 3, 0, 2.00);
    openPair("DAX Call 20000", "DAX");
    scan();
    EXPECT_DOUBLE_EQ(m_tables.statistics.StatMaxZeit, TradingDay::at(9, 3, 0));
    EXPECT_DOUBLE_EQ(m_tables.statistics.StatMinZeit, TradingDay::at(9, 0, 0));
}

TEST_F(QuoteTablesTest, WithoutTheUnderlyingsViewNothingIsCalculated) {
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    m_tables.setDatabaseName(m_day.directory());
    m_tables.Table3.open();
    ASSERT_TRUE(m_tables.Table3.findKey({paradox::Value(std::string("DAX Call 20000"))}));
    m_tables.Table1.open();
    m_tables.statistics.resetForScan();
    m_tables.Table1.first();
    EXPECT_TRUE(m_tables.Table1.field("Kurs-Diff").isNull());
    EXPECT_EQ(m_tables.statistics.OSMax, -100000);
}

TEST_F(QuoteTablesTest, AnUnderlyingWithoutQuotesReadsAsZero) {
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    openPair("DAX Call 20000", "Bayer");
    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].basisWert, 0.0);
}

TEST_F(QuoteTablesTest, StartTimesHideTheEarliestQuoteAndTheTimeFilterUsesStrictBounds) {
    m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
    m_day.addQuote(daxNumber, 9, 1, 0, 20010.0);
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    m_day.addQuote(warrantNumber, 9, 30, 0, 1.10);
    m_day.addQuote(warrantNumber, 10, 0, 0, 1.20);
    openPair("DAX Call 20000", "DAX");

    m_tables.filter.OSFilterStart = TradingDay::at(9, 0, 0);
    m_tables.filter.BasisFilterStart = TradingDay::at(9, 0, 0);
    m_tables.Table1.setFiltered(true);
    m_tables.Table2.setFiltered(true);
    std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].time, TradingDay::at(9, 30, 0));
    m_tables.Table2.first();
    EXPECT_DOUBLE_EQ(m_tables.Table2.field("Kurs").asFloat(), 20010.0);

    // A quote exactly at a picker's time is hidden.
    m_tables.applyTimeFilter(true, TradingDay::at(9, 0, 0), TradingDay::at(10, 0, 0));
    rows = scan();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].time, TradingDay::at(9, 30, 0));

    m_tables.applyTimeFilter(false, 0, 0);
    EXPECT_EQ(scan().size(), 2u);
}

TEST_F(QuoteTablesTest, CreatingTheQuoteTableFailsQuietlyWhereTheEngineRefuses) {
    EXPECT_FALSE(Tageskurs(m_day.directory() / "no-such-folder", "Intraday.db"));
}

} // namespace
} // namespace marlovex::tracker
