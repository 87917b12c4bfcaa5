#include "support/scripted_dialogs.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/record_navigator.h"
#include "tracker/window/tosp_form.h"
#include "tracker_environment.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

namespace marlovex::tracker {
namespace {

class TrackerFormLayout : public ::testing::Test {
protected:
    // The window is built without a quote table: its creation reports that through a message
    // box, which the scripted dialogs take.
    testing_support::TempDirectory home;
    testing_support::ScriptedDialogs dialogs;
    TOSP_Form form{testing_support::trackerEnvironment(home, nullptr)};
};

TEST_F(TrackerFormLayout, OnlyTheProfitPanelGrowsWithTheWindowAndTheChartsMenuOpensOnIt) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const int priceWidth = form.Panel3->width();
    form.resize(900, 650);
    QApplication::processEvents();
    EXPECT_EQ(form.Panel3->width(), priceWidth);
    EXPECT_GT(form.Panel9->width(), 500);

    // The chart's context menu opens on the chart.
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    emit form.DBChart1->customContextMenuRequested(QPoint(20, 20));
    EXPECT_TRUE(form.PopupMenu1->isVisible());
    form.PopupMenu1->close();
}

TEST_F(TrackerFormLayout, SwitchedOffImportLooksDifferent) {
    const QIcon icon = form.SpeedButton3->icon();
    const QImage on = icon.pixmap(16, QIcon::Normal).toImage();
    const QImage off = icon.pixmap(16, QIcon::Disabled).toImage();
    EXPECT_NE(on, off);
    EXPECT_NE(form.SpeedButton2->icon().pixmap(16).toImage(), form.SpeedButton1->icon().pixmap(16).toImage());
}

TEST_F(TrackerFormLayout, StatusLineShowsTextsAsTheyAre) {
    form.Label65->setText(QStringLiteral("Kurs & Zeit <b>geladen</b>"));
    form.Label65->resize(form.Label65->sizeHint());
    // Rich text or a mnemonic would swallow characters and shrink the text.
    const QFontMetrics metrics(form.Label65->font());
    EXPECT_GE(form.Label65->sizeHint().width(),
              metrics.horizontalAdvance(QStringLiteral("Kurs & Zeit <b>geladen</b>")));
    // A long status text never widens the window.
    form.Label65->setText(QString(400, QLatin1Char('x')));
    EXPECT_LE(form.minimumSizeHint().width(), 380);
}

TEST(DateTimePicker, KeepsTheDateBesideTheTimeOfDayRejectsANonDateAndReportsTheUsersChanges) {
    DateTimePicker picker(9, 0, 0);
    const double value = formats::encodeDateTime({2026, 12, 4, 10, 7, 40, 0});
    picker.setDateTime(value);
    EXPECT_DOUBLE_EQ(picker.dateTime(), value);
    EXPECT_EQ(picker.editor()->time(), QTime(10, 7, 40));
    EXPECT_NEAR(picker.time(), formats::encodeTime(10, 7, 40), 1e-9);

    picker.setTime(formats::encodeTime(9, 23, 0));
    EXPECT_NEAR(picker.dateTime(), formats::encodeDateTime({2026, 12, 4, 9, 23, 0, 0}), 1e-9);

    // A time before midnight moves to the previous day.
    picker.setTime(-0.25);
    EXPECT_NEAR(picker.dateTime(), formats::encodeDateTime({2026, 12, 3, 18, 0, 0, 0}), 1e-9);
    EXPECT_EQ(picker.editor()->time(), QTime(18, 0));

    // A value that names no date is rejected and the picker keeps its own.
    const double before = picker.dateTime();
    EXPECT_THROW(picker.setDateTime(std::nan("")), formats::ConversionError);
    EXPECT_THROW(picker.setTime(std::nan("")), formats::ConversionError);
    EXPECT_DOUBLE_EQ(picker.dateTime(), before);

    // Changes by the user are reported as full date-times, changes by the program are not.
    picker.setDateTime(formats::encodeDateTime({2026, 12, 4, 9, 0, 0, 0}));
    QSignalSpy changes(&picker, &DateTimePicker::dateTimeChanged);
    picker.editor()->setTime(QTime(9, 30));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_NEAR(changes.front().front().toDouble(), formats::encodeDateTime({2026, 12, 4, 9, 30, 0, 0}),
                1e-9);
    picker.setDateTime(picker.dateTime());
    EXPECT_EQ(changes.size(), 1);
}

TEST(RecordNavigator, MovesOnlyWhileADataSourceIsAttached) {
    RecordNavigator navigator;
    QSignalSpy first(&navigator, &RecordNavigator::firstRequested);
    QSignalSpy prior(&navigator, &RecordNavigator::priorRequested);
    QSignalSpy next(&navigator, &RecordNavigator::nextRequested);
    QSignalSpy last(&navigator, &RecordNavigator::lastRequested);

    QTest::mouseClick(navigator.nextButton(), Qt::LeftButton);
    EXPECT_EQ(next.size(), 0);

    navigator.setDataSourceAttached(true);
    QTest::mouseClick(navigator.firstButton(), Qt::LeftButton);
    QTest::mouseClick(navigator.priorButton(), Qt::LeftButton);
    QTest::mouseClick(navigator.nextButton(), Qt::LeftButton);
    QTest::mouseClick(navigator.nextButton(), Qt::LeftButton);
    QTest::mouseClick(navigator.lastButton(), Qt::LeftButton);
    EXPECT_EQ(first.size(), 1);
    EXPECT_EQ(prior.size(), 1);
    EXPECT_EQ(next.size(), 2);
    EXPECT_EQ(last.size(), 1);

    navigator.setDataSourceAttached(false);
    QTest::mouseClick(navigator.lastButton(), Qt::LeftButton);
    EXPECT_EQ(last.size(), 1);
}

} // namespace
} // namespace marlovex::tracker
