#include "support/scripted_dialogs.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/record_navigator.h"
#include "tracker/window/tosp_form.h"
#include "tracker_environment.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

namespace marlovex::tracker {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class TrackerFormLayout : public ::testing::Test {
protected:
    // The window is built without a quote table: its creation reports that through a message
    // box, which the scripted dialogs take.
    testing_support::TempDirectory home;
    testing_support::ScriptedDialogs dialogs;
    TOSP_Form form{testing_support::trackerEnvironment(home, nullptr)};
};

TEST_F(TrackerFormLayout, AreasAreDockedTopToBottomAndLeftToRight) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 380, 25));
    EXPECT_EQ(form.Panel2->y(), 25);
    EXPECT_EQ(form.PageControl1->y(), form.Panel2->geometry().bottom() + 1);
    EXPECT_EQ(form.PageControl1->geometry().bottom(), form.height() - 1);

    EXPECT_EQ(form.Panel3->x(), 0);
    EXPECT_EQ(form.Panel6->x(), form.Panel3->geometry().right() + 1);
    EXPECT_EQ(form.Panel4->geometry().right(), form.Panel2->width() - 1);
    EXPECT_EQ(form.Panel8->x(), 0);
    EXPECT_EQ(form.Panel7->geometry().right(), form.Panel6->width() - 1);
    EXPECT_GT(form.Panel9->width(), 0);
    EXPECT_EQ(form.Panel9->x(), form.Panel8->geometry().right() + 1);

    // Only the profit panel grows with the window.
    const int priceWidth = form.Panel3->width();
    form.resize(900, 650);
    QApplication::processEvents();
    EXPECT_EQ(form.Panel3->width(), priceWidth);
    EXPECT_EQ(form.Panel1->width(), 900);
    EXPECT_GT(form.Panel9->width(), 500);
}

TEST_F(TrackerFormLayout, ButtonBarStartsWhereFormResizeWouldPutItAtTheDesignWidth) {
    // Half the bar is 190: the instrument buttons leave 80 pixels between them for the switches.
    EXPECT_EQ(form.Button1->geometry().left(), 0);
    EXPECT_EQ(form.Button1->width(), 150);
    EXPECT_EQ(form.Button2->x(), 230);
    EXPECT_EQ(form.Button2->width(), 150);
    EXPECT_EQ(form.SpeedButton3->x(), 153);
    EXPECT_EQ(form.SpeedButton1->x(), 177);
    EXPECT_EQ(form.SpeedButton2->x(), 177);
    EXPECT_EQ(form.SpeedButton4->x(), 205);
    for (QToolButton* button : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4}) {
        EXPECT_EQ(button->width(), 22) << button->objectName().toStdString();
        EXPECT_EQ(button->parentWidget(), form.Panel1);
    }
    // Placed by hand: a layout would undo what FormResize sets.
    EXPECT_EQ(form.Panel1->layout(), nullptr);
    EXPECT_EQ(form.Button1->text(), text("Optionsschein"));
    EXPECT_EQ(form.Button2->text(), text("Basiskurs"));
    EXPECT_FALSE(form.Button1->icon().isNull());
}

TEST_F(TrackerFormLayout, StartsStoppedWithBothImportSwitchesOn) {
    EXPECT_FALSE(form.SpeedButton1->isVisibleTo(&form));
    EXPECT_TRUE(form.SpeedButton2->isVisibleTo(&form));
    EXPECT_TRUE(form.SpeedButton3->isEnabled());
    EXPECT_TRUE(form.SpeedButton4->isEnabled());
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

TEST_F(TrackerFormLayout, ChartPopupMenuOffersEditorAndInversion) {
    ASSERT_EQ(form.PopupMenu1->actions().size(), 2);
    EXPECT_EQ(form.DiagrammEigenschaften1->text(), text("Diagramm-Eigenschaften"));
    EXPECT_EQ(form.OSAchseinvertiert1->text(), text("OS-Achse invertiert"));
    EXPECT_TRUE(form.OSAchseinvertiert1->isCheckable());
    EXPECT_FALSE(form.OSAchseinvertiert1->isChecked());

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    emit form.DBChart1->customContextMenuRequested(QPoint(20, 20));
    EXPECT_TRUE(form.PopupMenu1->isVisible());
    form.PopupMenu1->close();
}

TEST_F(TrackerFormLayout, TimeFilterPickersStartAtNineAndElevenToday) {
    // The form was built a moment ago: at most one midnight lies in between.
    const double today = formats::datePart(formats::now());
    for (const auto& [picker, hour] :
         {std::pair{form.DateTimePicker1, 9}, std::pair{form.DateTimePicker2, 23}}) {
        EXPECT_NEAR(formats::timePart(picker->dateTime()), hour / 24.0, 1e-9);
        EXPECT_LE(today - formats::datePart(picker->dateTime()), 1.0);
        EXPECT_GE(today - formats::datePart(picker->dateTime()), 0.0);
    }
    EXPECT_EQ(form.DateTimePicker1->editor()->time(), QTime(9, 0));
}

TEST(DateTimePicker, KeepsTheDateBesideTheTimeOfDay) {
    DateTimePicker picker(9, 0, 0);
    const double value = formats::encodeDateTime({2026, 12, 4, 10, 7, 40, 0});
    picker.setDateTime(value);
    EXPECT_DOUBLE_EQ(picker.dateTime(), value);
    EXPECT_EQ(picker.editor()->time(), QTime(10, 7, 40));
    EXPECT_NEAR(picker.time(), formats::encodeTime(10, 7, 40), 1e-9);

    picker.setTime(formats::encodeTime(9, 23, 0));
    EXPECT_NEAR(picker.dateTime(), formats::encodeDateTime({2026, 12, 4, 9, 23, 0, 0}), 1e-9);
}

TEST(DateTimePicker, ATimeBeforeMidnightMovesToThePreviousDay) {
    DateTimePicker picker(9, 0, 0);
    picker.setDateTime(formats::encodeDate(2026, 12, 4));
    picker.setTime(-0.25);
    EXPECT_NEAR(picker.dateTime(), formats::encodeDateTime({2026, 12, 3, 18, 0, 0, 0}), 1e-9);
    EXPECT_EQ(picker.editor()->time(), QTime(18, 0));
}

TEST(DateTimePicker, ReportsChangesByTheUserAsFullDateTimes) {
    DateTimePicker picker(9, 0, 0);
    picker.setDateTime(formats::encodeDateTime({2026, 12, 4, 9, 0, 0, 0}));
    QSignalSpy changes(&picker, &DateTimePicker::dateTimeChanged);
    picker.editor()->setTime(QTime(9, 30));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_NEAR(changes.front().front().toDouble(), formats::encodeDateTime({2026, 12, 4, 9, 30, 0, 0}),
                1e-9);
    picker.setDateTime(picker.dateTime());
    EXPECT_EQ(changes.size(), 1);
}

TEST(DateTimePicker, RejectsAValueThatNamesNoDateAndKeepsItsOwn) {
    DateTimePicker picker(9, 0, 0);
    const double before = picker.dateTime();
    EXPECT_THROW(picker.setDateTime(std::nan("")), formats::ConversionError);
    EXPECT_THROW(picker.setTime(std::nan("")), formats::ConversionError);
    EXPECT_DOUBLE_EQ(picker.dateTime(), before);
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

TEST_F(TrackerFormLayout, NavigatorStartsAttachedBelowTheList) {
    EXPECT_TRUE(form.DBNavigator1->isDataSourceAttached());
    EXPECT_TRUE(form.DBNavigator1->nextButton()->isEnabled());
    EXPECT_EQ(form.DBNavigator1->objectName(), QStringLiteral("DBNavigator1"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_GT(form.DBNavigator1->y(), form.Panel5->y());
    EXPECT_GT(form.Panel5->y(), form.DBGrid1->y());
}

} // namespace
} // namespace marlovex::tracker
