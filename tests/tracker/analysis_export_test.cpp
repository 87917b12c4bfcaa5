#include "hand_over_fixture.h"
#include "platform/paradox/table_storage.h"

#include <QCheckBox>
#include <QToolButton>

namespace marlovex::tracker {
namespace {

using AnalysisExportTest = HandOverTest;

const std::int64_t creationDay = paradox::dateTimeToDate(formats::encodeDate(2026, 12, 4));

TEST_F(AnalysisExportTest, AFirstCallAppendsBothRowsWithTheirLimitsAndLaterCallsOnlyMoveTheLimits) {
    auto window = createTickedWindow();
    window->Edit4->setText("19000");
    window->Analyseeintragen1Click(window.get());

    PxlibTable analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 2u);
    EXPECT_EQ(analysis.at(0, "Wertpapier").text, "DAX Call 20000");
    EXPECT_EQ(analysis.at(0, "Firma").integer, warrantNumber);
    EXPECT_EQ(analysis.at(0, "Gruppe").integer, 3);
    EXPECT_EQ(analysis.at(0, "Branche").integer, 7);
    EXPECT_EQ(analysis.at(0, "Merkmal").integer, 11);
    EXPECT_EQ(analysis.at(0, "Favorit").integer, 1);
    EXPECT_EQ(analysis.at(0, "Datum").integer, creationDay);
    // Without a code of its own the row takes the instrument's ZDF code.
    EXPECT_EQ(analysis.at(0, "Kennung").text, "OSCALL");
    for (const char* column : {"AktVolumen", "Index", "DiffVolumen"}) {
        EXPECT_FALSE(analysis.at(0, column).null) << column;
        EXPECT_EQ(analysis.at(0, column).integer, 0) << column;
    }
    for (const char* column : {"Kurs", "KursMax", "KursMin", "GlD1", "GlD2", "GlD1Minus1", "GlD2Minus1",
                               "Stochastik", "AktKurs"}) {
        EXPECT_DOUBLE_EQ(analysis.at(0, column).number, 1.60) << column;
    }
    for (const char* column :
         {"MaxProzent", "MinProzent", "MaxDifferenz", "Bewertung", "Differenz", "Prozent", "OrvelFaktor"}) {
        EXPECT_FALSE(analysis.at(0, column).null) << column;
        EXPECT_EQ(analysis.at(0, column).number, 0) << column;
    }
    EXPECT_EQ(analysis.at(0, "OrvelRate").number, 1);
    // Both warrant levels are empty: 10 % around the price label.
    EXPECT_DOUBLE_EQ(analysis.at(0, "LimitMinus").number, 1.60 * 0.9);
    EXPECT_DOUBLE_EQ(analysis.at(0, "LimitPlus").number, 1.60 * 1.1);
    EXPECT_TRUE(analysis.at(0, "Gewinnschwelle").null);

    EXPECT_EQ(analysis.at(1, "Wertpapier").text, "DAX");
    EXPECT_EQ(analysis.at(1, "Firma").integer, daxNumber);
    EXPECT_EQ(analysis.at(1, "Kennung").text, "DAX");
    EXPECT_DOUBLE_EQ(analysis.at(1, "Kurs").number, 20050.0);
    EXPECT_EQ(analysis.at(1, "LimitMinus").number, 19000.0);
    EXPECT_DOUBLE_EQ(analysis.at(1, "LimitPlus").number, 20050.0 * 1.1);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Later calls only move the limits of the existing rows.
    m_day.addQuote(warrantNumber, 9, 30, 0, 1.75);
    m_now += 1;
    window->Timer1Timer();
    window->Edit6->setText("1,5");
    window->Edit7->setText("2");
    window->Analyseeintragen1Click(window.get());

    analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 2u);
    EXPECT_EQ(analysis.at(0, "LimitMinus").number, 1.5);
    EXPECT_EQ(analysis.at(0, "LimitPlus").number, 2.0);
    // The creation values stay, the date included.
    EXPECT_DOUBLE_EQ(analysis.at(0, "Kurs").number, 1.60);
    EXPECT_EQ(analysis.at(0, "Datum").integer, creationDay);
}

TEST_F(AnalysisExportTest, FailuresEndTheEntriesSilentlyAndARowThatCannotBeCompletedIsNotPosted) {
    auto window = createWindow();
    // Before the first tick the price label reads "Kurs": the warrant's row is entered, its
    // limits cannot be, and the entries end there.
    window->Analyseeintragen1Click(window.get());
    PxlibTable analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 1u);
    EXPECT_TRUE(analysis.at(0, "LimitMinus").null);

    window->Timer1Timer();
    {
        // The family's analysis holds the table: nothing is written, nothing is said.
        paradox::TableStorage other(analysisFile());
        paradox::TableStorage::WriteLock lock(other);
        window->Analyseeintragen1Click(window.get());
    }
    analysis = readWithPxlib(analysisFile());
    EXPECT_EQ(analysis.rows.size(), 1u);
    EXPECT_TRUE(analysis.at(0, "LimitMinus").null);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Without the file the entries do nothing, and nothing is created.
    std::filesystem::remove(analysisFile());
    window->Analyseeintragen1Click(window.get());
    EXPECT_FALSE(std::filesystem::exists(analysisFile()));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // An analysis table of an older release without the last of the rate columns: a row that
    // cannot be completed is not posted.
    market::TableLayout older = market::analysisTableLayout();
    std::erase_if(older.fields, [](const paradox::FieldDef& field) { return field.name == "OrvelRate"; });
    market::createEmptyTable(tempDirectory(), older);
    window->Analyseeintragen1Click(window.get());
    EXPECT_TRUE(readWithPxlib(analysisFile()).rows.empty());
    // The break-even entry fails the same way, and says so through the error display.
    window->SpeedButton6->click();
    EXPECT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(readWithPxlib(analysisFile()).rows.empty());
}

TEST_F(AnalysisExportTest, TrailedLimitsFollowEveryTickWhenSwitchedOn) {
    auto window = createTickedWindow();
    window->CheckBox7->setChecked(true);
    window->Edit10->setText("5%");
    window->Timer1Timer();
    PxlibTable analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 2u);
    EXPECT_EQ(analysis.at(0, "LimitMinus").number, 1.58);
    EXPECT_EQ(analysis.at(0, "LimitPlus").number, 1.52);

    // A tick that trails to the same limits writes nothing.
    const auto commits = [&] { return paradox::TableStorage(analysisFile()).sequence(); };
    const std::uint64_t before = commits();
    window->Timer1Timer();
    EXPECT_EQ(commits(), before);

    m_day.addQuote(warrantNumber, 9, 30, 0, 1.80);
    window->Timer1Timer();
    analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 2u);
    EXPECT_EQ(analysis.at(0, "LimitPlus").number, 1.71);
}

TEST_F(AnalysisExportTest, TheBreakEvenButtonStoresThePriceThatCoversTheFeesAndAsksForAMissingFile) {
    auto window = createTickedWindow();
    // A quantity of 0 has no break-even price, but the missing row is entered all the same: only
    // the warrant's, with no limits.
    window->Edit9->setText("0");
    window->SpeedButton6->click();
    PxlibTable analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 1u);
    EXPECT_EQ(analysis.at(0, "Wertpapier").text, "DAX Call 20000");
    EXPECT_TRUE(analysis.at(0, "Gewinnschwelle").null);
    EXPECT_TRUE(analysis.at(0, "LimitMinus").null);

    window->MaklerFee = 0.8;
    window->BankFee = 0.5;
    window->ClearingFee = 2.5;
    window->Edit3->setText("1,50");
    window->Edit9->setText("1000");
    window->Edit8->setText("20000");
    window->CheckBox4->setChecked(true);
    window->SpeedButton6->click();
    analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 1u);
    // Selling 1000 at 1,60 costs 11,78, buying at 1,50 cost 11,20.
    EXPECT_NEAR(analysis.at(0, "Gewinnschwelle").number, (1500 + 11.78 + 11.2) / 1000, 1e-12);

    window->CheckBox4->setChecked(false);
    window->SpeedButton6->click();
    analysis = readWithPxlib(analysisFile());
    ASSERT_EQ(analysis.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(analysis.at(0, "Gewinnschwelle").number, 1.50);

    // Again without a quantity, the row keeps the stored price.
    window->Edit9->setText("0");
    window->SpeedButton6->click();
    analysis = readWithPxlib(analysisFile());
    EXPECT_DOUBLE_EQ(analysis.at(0, "Gewinnschwelle").number, 1.50);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Without the file it asks for it.
    std::filesystem::remove(analysisFile());
    window->SpeedButton6->click();
    EXPECT_EQ(m_dialogs.messages,
              QStringList{"Legen Sie erst die Intraday-Analyse-Datei über den Aufruf unter "
                          "MARLOVEX=>EXTRAS=>INTRADAY-ANALYSE an."});
    EXPECT_FALSE(std::filesystem::exists(analysisFile()));
}

} // namespace
} // namespace marlovex::tracker
