#include "hand_over_fixture.h"
#include "tracker/live/quote_list_model.h"

#include <QTableView>
#include <QToolButton>

namespace marlovex::tracker {
namespace {

class MessengerTransferTest : public HandOverTest {
protected:
    // A record the messenger already holds; its other prices and levels are 9.
    void storeMessage(std::int64_t number, double price) {
        paradox::Table messages;
        m_day.open(messages, "Message.DB");
        messages.append();
        messages.field("FirmaNr").setInteger(number);
        messages.field("Kurs").setFloat(price);
        for (const char* field : {"Anfang", "Minimum", "Maximum"}) {
            messages.field(field).setFloat(9);
        }
        messages.post();
    }
};

// A price of 2 gives limits of exactly 1,8 and 2,2, in the messenger's record and in the analysis
// rows that the warrant's hand-over enters from the first quote.
TEST_F(MessengerTransferTest,
       EmptyLevelsGoTenPercentAroundThePriceInBothTablesAndASecondClickRewritesTheRecord) {
    auto window = createTickedWindow();
    window->Label34->setText("2,00");
    window->SpeedButton11->click();
    PxlibTable messages = readWithPxlib(messageFile());
    ASSERT_EQ(messages.rows.size(), 1u);
    EXPECT_EQ(messages.at(0, "Minimum").number, 1.8);
    EXPECT_EQ(messages.at(0, "Maximum").number, 2.2);
    const PxlibTable analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 2u);
    EXPECT_EQ(analysis.at(0, "Wertpapier").text, "DAX Call 20000");
    EXPECT_DOUBLE_EQ(analysis.at(0, "Kurs").number, 1.50);
    EXPECT_EQ(analysis.at(0, "LimitMinus").number, 1.8);
    EXPECT_EQ(analysis.at(0, "LimitPlus").number, 2.2);
    EXPECT_EQ(analysis.at(1, "Wertpapier").text, "DAX");

    m_day.addQuote(warrantNumber, 9, 30, 0, 1.70);
    window->Timer1Timer();
    window->Edit6->setText("1,45");
    window->Edit7->setText("1,95");
    window->SpeedButton11->click();
    messages = readWithPxlib(messageFile());
    ASSERT_EQ(messages.rows.size(), 1u);
    EXPECT_EQ(messages.at(0, "FirmaNr").integer, warrantNumber);
    EXPECT_EQ(messages.at(0, "Firma").text, "DAX Call 20000");
    EXPECT_DOUBLE_EQ(messages.at(0, "Kurs").number, 1.70);
    // The day's first shown quote.
    EXPECT_DOUBLE_EQ(messages.at(0, "Anfang").number, 1.50);
    EXPECT_EQ(messages.at(0, "Minimum").number, 1.45);
    EXPECT_EQ(messages.at(0, "Maximum").number, 1.95);
    EXPECT_EQ(messages.at(0, "Message").integer, 1);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    // The list stands on the first quote, the one the record starts from.
    EXPECT_EQ(window->DBGrid1->currentIndex().row(), 0);
}

TEST_F(MessengerTransferTest, TheFirstOfTwoRecordsOfAnInstrumentIsUpdated) {
    storeMessage(daxNumber, 1);
    storeMessage(warrantNumber, 2);
    storeMessage(warrantNumber, 3);
    auto window = createTickedWindow();
    window->SpeedButton11->click();
    const PxlibTable messages = readWithPxlib(messageFile());
    ASSERT_EQ(messages.rows.size(), 3u);
    EXPECT_EQ(messages.at(0, "Kurs").number, 1);
    EXPECT_DOUBLE_EQ(messages.at(1, "Kurs").number, 1.60);
    EXPECT_EQ(messages.at(2, "Kurs").number, 3);
    EXPECT_TRUE(messages.at(2, "Message").null);
}

TEST_F(MessengerTransferTest, AWarrantRecordThatCannotBeFilledIsNotWrittenAndAMissingTableIsReported) {
    auto window = createWindow();
    // Before the first tick the price label reads "Kurs".
    window->SpeedButton11->click();
    EXPECT_TRUE(readWithPxlib(messageFile()).rows.empty());
    window->Timer1Timer();
    window->Edit7->setText("hoch");
    window->SpeedButton11->click();
    EXPECT_TRUE(readWithPxlib(messageFile()).rows.empty());
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // A missing table is reported, and the analysis still runs.
    std::filesystem::remove(messageFile());
    window->Edit7->setText("1,9");
    window->SpeedButton11->click();
    EXPECT_EQ(m_dialogs.messages, QStringList{"Könnte Messager-Datei nicht öffnen"});
    EXPECT_FALSE(std::filesystem::exists(messageFile()));
    EXPECT_EQ(readWithPxlib(analysisFile()).rows.size(), 2u);
}

TEST_F(MessengerTransferTest, TheUnderlyingsHandOverMovesTheLimitsOfItsAnalysisRowUnlessItFails) {
    auto window = createTickedWindow();
    // Without an analysis row for the underlying only the messenger's table changes.
    window->Edit4->setText("19500");
    window->SpeedButton5->click();
    PxlibTable messages = readWithPxlib(messageFile());
    ASSERT_EQ(messages.rows.size(), 1u);
    EXPECT_EQ(messages.at(0, "FirmaNr").integer, daxNumber);
    EXPECT_EQ(messages.at(0, "Firma").text, "DAX");
    EXPECT_DOUBLE_EQ(messages.at(0, "Kurs").number, 20050.0);
    EXPECT_DOUBLE_EQ(messages.at(0, "Anfang").number, 20000.0);
    EXPECT_EQ(messages.at(0, "Minimum").number, 19500.0);
    EXPECT_DOUBLE_EQ(messages.at(0, "Maximum").number, 20050.0 * 1.1);
    EXPECT_TRUE(readWithPxlib(analysisFile()).rows.empty());

    window->Analyseeintragen1Click(window.get());
    window->Edit4->setText("19800");
    window->Edit5->setText("20500");
    window->SpeedButton5->click();
    messages = readWithPxlib(messageFile());
    ASSERT_EQ(messages.rows.size(), 1u);
    EXPECT_EQ(messages.at(0, "Minimum").number, 19800.0);
    PxlibTable analysis = readWithPxlib(analysisFile());
    const auto rows = rowsNamed(analysis, "Wertpapier", "DAX");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(analysis.at(rows[0], "LimitMinus").number, 19800.0);
    EXPECT_EQ(analysis.at(rows[0], "LimitPlus").number, 20500.0);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Failures reach the error display and leave the analysis row as it was.
    std::filesystem::remove(messageFile());
    window->Edit4->setText("19700");
    window->SpeedButton5->click();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("Message.DB")) << m_dialogs.messages[0].toStdString();

    market::createEmptyTable(m_day.directory(), market::messageTableLayout());
    window->Edit5->setText("steigt");
    window->SpeedButton5->click();
    EXPECT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_TRUE(readWithPxlib(messageFile()).rows.empty());
    analysis = readWithPxlib(analysisFile());
    EXPECT_EQ(analysis.at(rows[0], "LimitMinus").number, 19800.0);
}

TEST_F(MessengerTransferTest, ADirectoryWithoutItsSeparatorStillNamesOneTable) {
    std::string directory = m_day.directory().string();
    while (directory.ends_with('/')) {
        directory.pop_back();
    }
    settings().writeString("Msg_Path", directory);
    auto window = createTickedWindow();
    window->SpeedButton11->click();
    window->SpeedButton5->click();
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(readWithPxlib(messageFile()).rows.size(), 2u);
}

} // namespace
} // namespace marlovex::tracker
