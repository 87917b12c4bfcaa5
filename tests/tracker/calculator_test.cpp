#include "tracker_window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <utility>

namespace marlovex::tracker {
namespace {

// The pair's latest prices are K = 1,60 and B = 20050.
class CalculatorTest : public TrackerWindowTest {
protected:
    CalculatorTest() {
        rememberCallOnDax();
        m_window = createWindow();
        m_window->OSBasisRatio = 0.001;
    }

    std::unique_ptr<TOSP_Form> m_window;
};

TEST_F(CalculatorTest, EstimatesConvertThroughTheRatioForPutsAndCallsAndAFlatUnderlyingReadsZero) {
    m_window->CheckBox1->setChecked(true);
    m_window->Edit1->setText("1,70");
    EXPECT_EQ(m_window->Edit2->text(), "19950,00");
    EXPECT_TRUE(m_window->CalcEnabled);

    m_window->CheckBox1->setChecked(false);
    // Toggling "Put?" converts again: the estimate moves to the other side of B.
    EXPECT_EQ(m_window->Edit2->text(), "20150,00");

    m_window->CheckBox1->setChecked(true);
    m_window->Edit2->setText("20000");
    EXPECT_EQ(m_window->Edit1->text(), "1,65");

    // A flat underlying reads zero, and an estimate that is no number changes nothing.
    const std::pair<double, QString> cases[] = {{0.001, "19950,00"}, {0.0, "0,00"}};
    for (const auto& [ratio, underlying] : cases) {
        SCOPED_TRACE(ratio);
        m_window->OSBasisRatio = ratio;
        m_window->Edit1->setText("1,70");
        EXPECT_EQ(m_window->Edit2->text(), underlying);
        const QString difference = m_window->Label62->text();
        m_window->Edit1->setText("1,6x");
        EXPECT_EQ(m_window->Edit2->text(), underlying);
        EXPECT_EQ(m_window->Label62->text(), difference);
        EXPECT_TRUE(m_window->CalcEnabled);
    }
}

TEST_F(CalculatorTest,
       TheFeesSwitchIsBlockedByAnExactZeroAndFeesComeOffTheProfitAsTheDesktopAssistantCountsThem) {
    m_window->Edit8->setText("0");
    m_window->CheckBox4->setChecked(true);
    EXPECT_EQ(m_window->Panel9->text(), "Gewinn");
    m_window->CheckBox4->setChecked(false);
    m_window->Edit8->setText("0,0");
    m_window->Edit3->setText("1,5");
    m_window->Edit1->setText("1,6");
    m_window->Edit2->setText("20000");
    m_window->CheckBox4->setChecked(true);
    EXPECT_NE(m_window->Panel9->text(), "Gewinn");

    m_window->MaklerFee = 0.8;
    m_window->BankFee = 0.5;
    m_window->ClearingFee = 2.5;
    m_window->Edit3->setText("1,50");
    m_window->Edit9->setText("1000");
    m_window->Edit8->setText("20000");
    m_window->CheckBox4->setChecked(true);
    m_window->Edit1->setText("1,60");
    EXPECT_EQ(m_window->Label57->text(), "77,02");
    EXPECT_EQ(m_window->Label64->text(), "77,02");
    EXPECT_EQ(textColour(m_window->Label57), black);
    EXPECT_EQ(m_window->Label45->text(), "6,67%");
    EXPECT_EQ(m_window->Label60->text(), "0,10");
    EXPECT_EQ(m_window->Label63->text(), "0,10");
    EXPECT_EQ(m_window->Label66->text(), "1.500,00");
    EXPECT_EQ(m_window->Label26->text(), "0,00%");
}

TEST_F(CalculatorTest, LossesShowRedAQuantityOfZeroCostsNothingAndHugeProfitsShowInExponentForm) {
    m_window->Edit3->setText("1,80");
    m_window->Edit1->setText("1,60");
    EXPECT_EQ(m_window->Label57->text(), "-200,00");
    EXPECT_EQ(textColour(m_window->Label57), red);
    EXPECT_EQ(textColour(m_window->Label64), red);

    m_window->Edit9->setText("0");
    EXPECT_EQ(m_window->Label66->text(), "0,00");
    EXPECT_EQ(m_window->Label57->text(), "0,00");
    EXPECT_EQ(textColour(m_window->Label57), black);

    // A cleared quantity: the invested sum falls back to 0,00, the profit keeps its text.
    m_window->Edit1->setText("1,70");
    m_window->Edit9->clear();
    EXPECT_EQ(m_window->Label66->text(), "0,00");
    EXPECT_EQ(m_window->Label57->text(), "0,00");

    // Profits too large for seven digits show in exponent form, coloured by their sign.
    m_window->Edit3->setText("1,50");
    m_window->Edit9->setText("100000000");
    m_window->Edit1->setText("1,70");
    EXPECT_TRUE(m_window->Label57->text().contains('E')) << m_window->Label57->text().toStdString();
    EXPECT_EQ(textColour(m_window->Label57), black);
    m_window->Edit1->setText("1,30");
    EXPECT_TRUE(m_window->Label57->text().contains('E')) << m_window->Label57->text().toStdString();
    EXPECT_EQ(textColour(m_window->Label57), red);
}

TEST_F(CalculatorTest, DoubleClicksTakeTheCurrentPricesOver) {
    m_window->Edit1->setText("1");
    QTest::mouseDClick(m_window->Label23, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit1->text(), "1,6");
    QTest::mouseDClick(m_window->Label25, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit3->text(), "1,6");
    QTest::mouseDClick(m_window->Label31, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit8->text(), "20050");
    QTest::mouseDClick(m_window->Label24, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit2->text(), "20050");
    EXPECT_EQ(m_window->Edit1->text(), "1,60");
}

} // namespace
} // namespace marlovex::tracker
