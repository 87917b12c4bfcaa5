#include "companion/intraday_quote_source.h"
#include "companion/quote_export.h"
#include "platform/common/error.h"
#include "support/error_message.h"
#include "support/qt_printers.h"
#include "support/temp_directory.h"
#include "support/trading_day.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <qcustomplot.h>

namespace marlovex::companion {
namespace {

using testing_support::bayerNumber;
using testing_support::daxNumber;
using testing_support::messageOf;
using testing_support::readText;
using testing_support::TradingDay;
using testing_support::warrantNumber;

class QuoteSourceTest : public testing::Test {
protected:
    QuoteSourceTest() {
        m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
        m_day.addQuote(daxNumber, 9, 5, 0, 20050.5);
        m_day.addQuote(warrantNumber, 9, 1, 0, 1.5);
        m_day.addQuote(bayerNumber, 9, 2, 0, 30.0);
    }

    TradingDay m_day;
};

TEST_F(QuoteSourceTest, FindsTheInstrumentByNameAndReadsOnlyItsQuotes) {
    IntradayQuoteSource source(m_day.directory());
    const std::vector<ChartQuote> dax = source.quotesOf("DAX");
    ASSERT_EQ(dax.size(), 2u);
    EXPECT_DOUBLE_EQ(dax[0].time, TradingDay::at(9, 0, 0));
    EXPECT_DOUBLE_EQ(dax[1].price, 20050.5);
    EXPECT_EQ(source.quotesOf("Bayer").size(), 1u);
    EXPECT_TRUE(source.quotesOf("Unbekannt").empty());

    // A later load sees what another program committed meanwhile.
    m_day.addQuote(daxNumber, 9, 10, 0, 20060.0);
    EXPECT_EQ(source.quotesOf("DAX").size(), 3u);
}

TEST_F(QuoteSourceTest, TheChartWindowDrawsAndExportsTheShownQuotes) {
    auto source = std::make_shared<IntradayQuoteSource>(m_day.directory());
    TIntradayForm form;
    form.setQuoteLoader([source](const QString& name) { return source->quotesOf(name); });
    form.instrumentEdit()->setText("DAX");
    const std::filesystem::path file = m_day.directory() / "dax.csv";
    form.exportFileDialog().fileName = QString::fromStdString(file.string());
    form.exportMenuItem()->setChecked(true);
    form.SpeedButton1Click(nullptr);

    EXPECT_EQ(form.chart()->graph(0)->dataCount(), 2);
    EXPECT_TRUE(form.statusLine()->isHidden());
    EXPECT_EQ(readText(file), "Zeit;Kurs\r\n04.12.2026 09:00:00;20000\r\n04.12.2026 09:05:00;20050,5\r\n");
}

TEST_F(QuoteSourceTest, AChartWithoutItsTablesSaysWhyInsteadOfFailing) {
    std::filesystem::remove(m_day.directory() / "Firma.db");
    auto source = std::make_shared<IntradayQuoteSource>(m_day.directory());
    TIntradayForm form;
    form.setQuoteLoader([source](const QString& name) { return source->quotesOf(name); });
    form.instrumentEdit()->setText("DAX");
    form.SpeedButton1Click(nullptr);
    EXPECT_FALSE(form.statusLine()->isHidden());
    EXPECT_TRUE(form.statusLine()->text().contains("Firma.db")) << form.statusLine()->text().toStdString();
    EXPECT_EQ(form.chart()->graph(0)->dataCount(), 0);
}

TEST(QuoteExportTest, ReplacesOnlyAQuoteFileThatAnExportWrote) {
    const testing_support::TempDirectory directory;
    const std::vector<ChartQuote> quotes{{46360.375, 1.25}};
    const std::filesystem::path earlier =
        directory.writeFile("dax.csv", "Zeit;Kurs\r\n03.12.2026 09:00:00;1\r\n");
    exportQuotes(earlier, quotes, {});
    EXPECT_EQ(readText(earlier), "Zeit;Kurs\r\n04.12.2026 09:00:00;1,25\r\n");

    const std::filesystem::path victim = directory.writeFile(".bashrc", "export PATH=$HOME/bin:$PATH\n");
    EXPECT_EQ(messageOf<Error>([&] { exportQuotes(victim, quotes, {}); }),
              "Die Datei " + victim.string() +
                  " ist keine Kursdatei dieses Programms und wird nicht überschrieben.");
    EXPECT_EQ(readText(victim), "export PATH=$HOME/bin:$PATH\n");
    // A directory is no quote file either, and no temporary file is left behind.
    std::filesystem::create_directory(directory.path() / "ordner.csv");
    EXPECT_THROW(exportQuotes(directory.path() / "ordner.csv", quotes, {}), Error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 3);
}

TEST(QuoteExportTest, WritesTheLocalesNumbersAndReportsAFileItCannotWrite) {
    const std::vector<ChartQuote> quotes{{46360.375, 1.25}, {46360.5, 1234.5}};
    EXPECT_EQ(quotesAsCsv(quotes, {}),
              "Zeit;Kurs\r\n04.12.2026 09:00:00;1,25\r\n04.12.2026 12:00:00;1234,5\r\n");
    EXPECT_EQ(quotesAsCsv(quotes, {'.', ','}),
              "Zeit;Kurs\r\n04.12.2026 09:00:00;1.25\r\n04.12.2026 12:00:00;1234.5\r\n");
    EXPECT_EQ(messageOf<Error>([&] { exportQuotes("/nonexistent-folder/dax.csv", quotes, {}); }),
              "Die Exportdatei /nonexistent-folder/dax.csv kann nicht geschrieben werden: "
              "die Datei oder das Verzeichnis existiert nicht.");
}

} // namespace
} // namespace marlovex::companion
