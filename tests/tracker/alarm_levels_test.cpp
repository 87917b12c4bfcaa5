#include "tracker/colour_line.h"
#include "tracker/tracker_chart.h"
#include "tracker_window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace marlovex::tracker {
namespace {

class AlarmLevelsTest : public TrackerWindowTest {
protected:
    AlarmLevelsTest() {
        registry::Registry registry = settings();
        registry.writeString("OS_Option", "DAX Call 20000");
        registry.writeString("OS_Basis", "DAX");
        m_window = createWindow();
    }

    std::unique_ptr<TOSP_Form> m_window;
};

TEST_F(AlarmLevelsTest, ClickingARowProposesLevelsTenPercentAroundTheLastPrice) {
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
}

TEST_F(AlarmLevelsTest, BandWidthsFollowEveryChangeAndClearForNoNumber) {
    m_window->Edit6->setText("1,5");
    m_window->Edit7->setText("1,4");
    EXPECT_EQ(m_window->Label75->text(), "-0,1");
    m_window->Edit7->clear();
    EXPECT_EQ(m_window->Label75->text(), "");
    m_window->Edit5->setText("abc");
    EXPECT_EQ(m_window->Label78->text(), "");
}

TEST_F(AlarmLevelsTest, ReleasingTheRedLineSetsTheFallingLevelAndStopsItsTrailing) {
    m_window->Edit10->setText("5%");
    m_window->Edit7->setText("1,5");
    emit m_window->DBChart1->ChartTool3->endDrag(1.23456);
    EXPECT_EQ(m_window->Edit6->text(), "1,235");
    EXPECT_EQ(m_window->Edit10->text(), "");
    EXPECT_EQ(m_window->Label75->text(), "0,265");

    // The rising line can be dragged too, but no field takes it over.
    const QString falling = m_window->Edit6->text();
    emit m_window->DBChart1->ChartTool5->endDrag(2.0);
    EXPECT_EQ(m_window->Edit7->text(), "1,5");
    EXPECT_EQ(m_window->Edit6->text(), falling);
}

} // namespace
} // namespace marlovex::tracker
