#include "tracker/chart/colour_line.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker_window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace marlovex::tracker {
namespace {

class AlarmLevelsTest : public TrackerWindowTest {
protected:
    AlarmLevelsTest() {
        rememberCallOnDax();
        m_window = createWindow();
    }

    std::unique_ptr<TOSP_Form> m_window;
};

TEST_F(AlarmLevelsTest, ClickingARowOrReleasingTheRedLineSetsTheLevelsAndTheBandsFollow) {
    // Before the first tick the price label reads "Kurs": nothing happens.
    QTest::mouseClick(m_window->Label39, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit6->text(), "");

    m_window->Label34->setText("1,23");
    QTest::mouseClick(m_window->Label39, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit6->text(), "1,11");
    EXPECT_EQ(m_window->Edit7->text(), "1,35");
    EXPECT_EQ(m_window->Label75->text(), "0,24");

    m_window->Label33->setText("20050,00");
    QTest::mouseClick(m_window->Label40, Qt::LeftButton);
    EXPECT_EQ(m_window->Edit4->text(), "18045,00");
    EXPECT_EQ(m_window->Edit5->text(), "22055,00");
    EXPECT_EQ(m_window->Label78->text(), "4010");

    // The bands' widths follow every change and clear for a level that is no number.
    m_window->Edit6->setText("1,5");
    m_window->Edit7->setText("1,4");
    EXPECT_EQ(m_window->Label75->text(), "-0,1");
    m_window->Edit7->clear();
    EXPECT_EQ(m_window->Label75->text(), "");
    m_window->Edit5->setText("abc");
    EXPECT_EQ(m_window->Label78->text(), "");

    // Releasing the red line sets the falling level and stops its trailing.
    m_window->Edit10->setText("5%");
    m_window->Edit7->setText("1,5");
    emit m_window->DBChart1->ChartTool3->endDrag(1.23456);
    EXPECT_EQ(m_window->Edit6->text(), "1,235");
    EXPECT_EQ(m_window->Edit10->text(), "");
    EXPECT_EQ(m_window->Label75->text(), "0,265");

    // The rising line can be dragged too, but no field takes it over.
    emit m_window->DBChart1->ChartTool5->endDrag(2.0);
    EXPECT_EQ(m_window->Edit7->text(), "1,5");
    EXPECT_EQ(m_window->Edit6->text(), "1,235");
}

class CrossingNoticeTest : public AlarmLevelsTest {
protected:
    // The note of the latest tick, emptied for the next one; "" when the tick announced nothing.
    QString tickAndTakeNote() {
        m_window->Timer1Timer();
        auto* note = m_window->findChild<QLabel*>(QStringLiteral("crossingNote"));
        if (note == nullptr || note->isHidden()) {
            return {};
        }
        const QString text = note->text();
        note->clear();
        note->hide();
        return text;
    }
};

TEST_F(CrossingNoticeTest, ACrossingIsAnnouncedOnceUntilThePriceComesBackAndColoursThePrice) {
    EXPECT_EQ(tickAndTakeNote(), "");

    m_window->Edit6->setText("1,65");
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX Call 20000 – Kurs 1,60 unter 1,65");
    EXPECT_EQ(textColour(m_window->Label34), red);
    EXPECT_DOUBLE_EQ(m_window->DBChart1->ChartTool3->value(), 1.65);
    EXPECT_TRUE(m_window->DBChart1->ChartTool3->isVisible());
    EXPECT_EQ(tickAndTakeNote(), "");
    // The announcement changes no level.
    EXPECT_EQ(m_window->Edit6->text(), "1,65");

    m_window->Edit6->setText("1,55");
    EXPECT_EQ(tickAndTakeNote(), "");
    m_window->Edit6->setText("1,62");
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX Call 20000 – Kurs 1,60 unter 1,62");

    // The rising level decides the label's colour; turning from red to green is a new crossing.
    m_window->Edit7->setText("1,5");
    EXPECT_EQ(tickAndTakeNote(), "Alarm steigt: DAX Call 20000 – Kurs 1,60 über 1,5");
    EXPECT_EQ(textColour(m_window->Label34), green);
    EXPECT_DOUBLE_EQ(m_window->DBChart1->ChartTool5->value(), 1.5);
    EXPECT_EQ(tickAndTakeNote(), "");
}

TEST_F(CrossingNoticeTest, TheUnderlyingIsWatchedOnItsOwnAndCrossingsOfOneTickShareANoteThatClosesOnAClick) {
    m_window->Edit4->setText("20100");
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX – Kurs 20050,00 unter 20100");
    m_window->Edit6->setText("1,65");
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX Call 20000 – Kurs 1,60 unter 1,65");
    EXPECT_EQ(tickAndTakeNote(), "");

    // With both underlying levels set, the rising one decides: never red.
    m_window->Edit7->setText("1,5");
    m_window->Edit5->setText("20000");
    m_window->Timer1Timer();
    auto* note = m_window->findChild<QLabel*>(QStringLiteral("crossingNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(), "Alarm steigt: DAX Call 20000 – Kurs 1,60 über 1,5\n"
                            "Alarm steigt: DAX – Kurs 20050,00 über 20000");
    EXPECT_EQ(textColour(m_window->Label33), green);
    // The note leaves the window usable.
    EXPECT_EQ(note->width(), m_window->width());
    EXPECT_EQ(note->geometry().bottom(), m_window->height() - 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_TRUE(note->isHidden());

    m_window->Edit5->setText("20060");
    EXPECT_EQ(tickAndTakeNote(), "");
    EXPECT_EQ(textColour(m_window->Label33), black);
}

TEST_F(CrossingNoticeTest, AnotherWarrantBeyondTheLevelIsANewCrossing) {
    m_day.addInstrument(18, "DAX Put 21000");
    m_day.addQuote(18, 9, 10, 0, 1.20);
    // A window that lists the new warrant.
    m_window = createWindow();
    m_window->Edit6->setText("2");
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX Call 20000 – Kurs 1,60 unter 2");
    m_window->Button1->setText("DAX Put 21000");
    m_window->Button1aender(m_window.get());
    EXPECT_EQ(tickAndTakeNote(), "Alarm fällt: DAX Put 21000 – Kurs 1,20 unter 2");
    EXPECT_EQ(tickAndTakeNote(), "");
}

} // namespace
} // namespace marlovex::tracker
