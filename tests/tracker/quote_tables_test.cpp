#include "support/trading_day.h"
#include "tracker/live/live_quotes.h"
#include "tracker/live/quote_tables.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace marlovex::tracker {
namespace {

using testing_support::daxNumber;
using testing_support::TradingDay;
using testing_support::warrantNumber;

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

TEST_F(QuoteTablesTest, WithoutTheUnderlyingsViewNothingIsCalculated) {
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    openPair("DAX Call 20000", "Bayer");
    m_tables.Table2.close();
    m_tables.statistics.resetForScan();
    m_tables.Table1.first();
    EXPECT_TRUE(m_tables.Table1.field("Kurs-Diff").isNull());
    EXPECT_EQ(m_tables.statistics.OSMax, -100000);
}

TEST_F(QuoteTablesTest, StartTimesHideTheEarliestQuoteAndTheTimeFilterUsesStrictBounds) {
    m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
    m_day.addQuote(daxNumber, 9, 1, 0, 20010.0);
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    m_day.addQuote(warrantNumber, 9, 30, 0, 1.10);
    m_day.addQuote(warrantNumber, 10, 0, 0, 1.20);
    openPair("DAX Call 20000", "DAX");

    m_tables.filter.OSFilterStart = TradingDay::at(9, 0, 0);
    // Each view keeps to its own instrument's start time.
    m_tables.filter.BasisFilterStart = TradingDay::at(8, 59, 0);
    m_tables.Table1.setFiltered(true);
    m_tables.Table2.setFiltered(true);
    std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].time, TradingDay::at(9, 30, 0));
    m_tables.Table2.first();
    EXPECT_DOUBLE_EQ(m_tables.Table2.field("Kurs").asFloat(), 20000.0);

    // A quote exactly at a picker's time is hidden.
    m_tables.applyTimeFilter(true, TradingDay::at(9, 0, 0), TradingDay::at(10, 0, 0));
    rows = scan();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].time, TradingDay::at(9, 30, 0));

    m_tables.applyTimeFilter(false, 0, 0);
    EXPECT_EQ(scan().size(), 2u);
}

// The live update computes the list without the cursor; both must agree on every row and on
// the statistics (equal prices included), also after the import program stored more quotes and
// a late one. The rows' values themselves are the scan model's tests.
TEST_F(QuoteTablesTest, TheLiveScanAgreesWithTheCursorsCalculation) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> cents(100, 130);
    // The first minute stays free for the late quote.
    int second = 60;
    const auto addQuotes = [&](int count) {
        for (int i = 0; i < count; ++i) {
            second += std::uniform_int_distribution<int>(1, 40)(random);
            const bool warrant = random() % 2 == 0;
            m_day.addQuote(warrant ? warrantNumber : daxNumber, 9 + second / 3600, second / 60 % 60,
                           second % 60, warrant ? cents(random) / 100.0 : 20000.0 + cents(random),
                           warrant ? 450000 : 0);
        }
    };
    addQuotes(40);
    openPair("DAX Call 20000", "DAX");
    m_tables.filter.OSFilterStart = TradingDay::at(9, 0, 30);
    m_tables.filter.BasisFilterStart = TradingDay::at(9, 1, 20);
    for (paradox::Table* view : {&m_tables.Table1, &m_tables.Table2, &m_tables.Table4}) {
        view->setFiltered(true);
    }
    LiveQuotes live;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        for (paradox::Table* view : {&m_tables.Table1, &m_tables.Table2, &m_tables.Table4}) {
            view->refresh();
        }
        const ScanUpdate update = live.update(m_tables, false);
        EXPECT_EQ(update.rebuilt, round == 0 || round == 3);
        const std::vector<Row> cursor = scan();
        const std::vector<QuoteRow>& rows = live.scan().rows();
        ASSERT_EQ(rows.size(), cursor.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].time, cursor[i].time);
            EXPECT_EQ(*rows[i].kursDiff, cursor[i].kursDiff) << "row " << i;
            EXPECT_EQ(*rows[i].basisWert, cursor[i].basisWert) << "row " << i;
            EXPECT_EQ(*rows[i].basisDiff, cursor[i].basisDiff) << "row " << i;
            EXPECT_EQ(rows[i].delta, cursor[i].delta) << "row " << i;
        }
        WarrantStatistics taken;
        taken.resetForScan();
        taken.take(live.scan().extremes());
        EXPECT_EQ(taken.OSMax, m_tables.statistics.OSMax);
        EXPECT_EQ(taken.StatMaxZeit, m_tables.statistics.StatMaxZeit);
        EXPECT_EQ(taken.BasisDiffAtOSMax, m_tables.statistics.BasisDiffAtOSMax);
        EXPECT_EQ(taken.StatMinZeit, m_tables.statistics.StatMinZeit);
        EXPECT_EQ(taken.BasisAtOSMin, m_tables.statistics.BasisAtOSMin);
        if (round < 2) {
            addQuotes(10);
        } else if (round == 2) {
            m_day.addQuote(daxNumber, 9, 0, 45, 20007.0);
        }
    }
}

TEST_F(QuoteTablesTest, TheQuoteCopyReadsOnlyWhatWasAppendedAndStartsOverOnAnythingElse) {
    m_day.addQuote(warrantNumber, 9, 0, 0, 1.00);
    m_day.addQuote(warrantNumber, 9, 1, 0, 1.10);
    openPair("DAX Call 20000", "DAX");
    ViewQuotes copy;
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::Replaced);
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::None);

    m_day.addQuote(warrantNumber, 9, 2, 0, 1.20);
    m_day.addQuote(daxNumber, 9, 3, 0, 20000.0);
    m_tables.Table1.refresh();
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::Appended);
    ASSERT_EQ(copy.quotes().size(), 3u);
    EXPECT_EQ(copy.quotes()[2].price, 1.20);

    // A late quote between stored ones.
    m_day.addQuote(warrantNumber, 9, 0, 30, 1.05);
    m_tables.Table1.refresh();
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::Replaced);
    EXPECT_EQ(copy.quotes()[1].price, 1.05);

    // Another warrant with as many quotes, and a closed view.
    ASSERT_TRUE(m_tables.Table3.findKey({paradox::Value(std::string("DAX"))}));
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::Replaced);
    EXPECT_EQ(copy.quotes().size(), 1u);
    m_tables.Table1.close();
    EXPECT_EQ(copy.sync(m_tables.Table1), ViewQuotes::Change::Replaced);
    EXPECT_TRUE(copy.quotes().empty());
}

TEST_F(QuoteTablesTest, CreatingTheQuoteTableFailsQuietlyWhereTheEngineRefuses) {
    EXPECT_FALSE(Tageskurs(m_day.directory() / "no-such-folder", "Intraday.db"));
}

} // namespace
} // namespace marlovex::tracker
