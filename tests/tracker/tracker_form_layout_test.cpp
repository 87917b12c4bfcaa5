#include "support/scripted_dialogs.h"
#include "tracker/date_time_picker.h"
#include "tracker/record_navigator.h"
#include "tracker/tosp_form.h"
#include "tracker/tracker_chart.h"
#include "tracker_environment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

namespace marlovex::tracker {
namespace {

struct Caption {
    const char* name;
    const char* text;
    const char* hint;
};

// Every label the handlers write to, with the caption it shows before the first update and its
// hint ("" where the label has none of its own).
const Caption labelCaptions[] = {
    {"Label1", "Zeit-Min", ""},
    {"Label2", "Zeit-Max", ""},
    {"Label5", "Min-Diff", ""},
    {"Label6", "Max-Diff", ""},
    {"Label7", "Min-Geld", ""},
    {"Label8", "Min-Basis", ""},
    {"Label9", "Max-Geld", ""},
    {"Label10", "Max-Basis", ""},
    {"Label12", "0,0", ""},
    {"Label13", "0,000", "Optionsscheinveränderung pro Basispunkt"},
    {"Label14", "0,00", ""},
    {"Label15", "0,00", ""},
    {"Label18", "0,000", ""},
    {"Label21", "0,000", ""},
    {"Label23", "Optionsschein", ""},
    {"Label24", "Basiskurs", ""},
    {"Label25", "Ankaufskurs-OS", ""},
    {"Label26", "0,00", "Prozent von OS-Kurs zum aktuellen OS-Kurs"},
    {"Label30", "0,00", "Prozent zum aktuellen Basiskurs"},
    {"Label31", "Ankaufskurs-B", ""},
    {"Label32", "0,00", "Prozent zum Basis-Ankaufskurs mit geschätztem Kurs"},
    {"Label33", "Kurs", ""},
    {"Label34", "Kurs", ""},
    {"Label35", "Zeit", ""},
    {"Label36", "Zeit", ""},
    {"Label39", "O-Sch.", ""},
    {"Label40", "Basis", ""},
    {"Label41", "Kurs", ""},
    {"Label42", "KursZeit", ""},
    {"Label43", "KursZeit", ""},
    {"Label44", "Kurs", ""},
    {"Label45", "0,00", "Prozent zum Ankauf mit geschätztem Kurs"},
    {"Label46", "PunktKauf", ""},
    {"Label47", "ProzKauf", ""},
    {"Label48", "PunktKauf", ""},
    {"Label49", "ProzKauf", ""},
    {"Label52", "0,00", ""},
    {"Label53", "0,00", ""},
    {"Label54", "Min:", ""},
    {"Label55", "Anzahl", ""},
    {"Label57", "0,00", "Gewinn/Verlust zum Basis-Ankaufskurs mit geschätztem Kurs"},
    {"Label58", "0,0", "Punkte vom Basis-Ankaufskurs zum Basiskurs"},
    {"Label60", "0,00", "Punkte vom OS-Ankaufskurs zum OS-Kurs"},
    {"Label61", "0,0", ""},
    {"Label62", "0,00", ""},
    {"Label63", "0,00", ""},
    {"Label64", "0,00", ""},
    {"Label65", "", ""},
    {"Label66", "0,00", "Anlagesumme zum Ankaufskurs"},
    {"Label68", "Max:", ""},
    {"Label69", "Zeit-Min", ""},
    {"Label70", "Zeit-Max", ""},
    {"Label71", "Min-Geld", ""},
    {"Label72", "Max-Geld", ""},
    {"Label73", "Min-Basis", ""},
    {"Label74", "Max-Basis", ""},
    {"Label75", "0", "Differenz"},
    {"Label78", "0", "Differenz"},
    {"Panel9", "Gewinn", "aktueller Gewinn bzw. Verlust des eingetragenen Ankaufes"},
};

const char* const trailingHint = "Geben Sie hier die Punkten oder den Prozentwert(5%) für das Verkaufslimit "
                                 "ein. Geben sie 0 ein wird keine automatische Anpassung vorgenommen";

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class TrackerFormLayout : public ::testing::Test {
protected:
    template <typename Control> Control* control(const char* name) {
        auto* found = form.findChild<Control*>(text(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Every label that a tab shows, so that tests can look for a caption by its text.
    QStringList labelTexts(QWidget* tab) {
        QStringList texts;
        for (const QLabel* label : tab->findChildren<QLabel*>()) {
            texts << label->text();
        }
        return texts;
    }

    // The window is built without a quote table: its creation reports that through a message
    // box, which the scripted dialogs take.
    testing_support::TempDirectory home;
    testing_support::ScriptedDialogs dialogs;
    TOSP_Form form{testing_support::trackerEnvironment(home, nullptr)};
};

TEST_F(TrackerFormLayout, WindowHasItsCaptionAndDesignSize) {
    EXPECT_EQ(form.caption(), text("Marlovex Quintara mit Internet direkt Abruf"));
    EXPECT_EQ(form.size(), QSize(380, 357));
}

TEST_F(TrackerFormLayout, EveryLabelHasItsNameCaptionAndHint) {
    for (const Caption& expected : labelCaptions) {
        auto* label = control<QLabel>(expected.name);
        if (label == nullptr) {
            continue;
        }
        EXPECT_EQ(label->text(), text(expected.text)) << expected.name;
        EXPECT_EQ(label->toolTip(), text(expected.hint)) << expected.name;
    }
    // The members are the named controls, not copies.
    EXPECT_EQ(form.Label57, control<QLabel>("Label57"));
    EXPECT_EQ(form.Label13, control<QLabel>("Label13"));
    EXPECT_EQ(form.Panel9, control<QLabel>("Panel9"));
}

TEST_F(TrackerFormLayout, HeaderPanelsCarryTheHintsTheirLabelsShow) {
    EXPECT_EQ(control<QFrame>("Panel3")->toolTip(), text("letzter Optionsscheinkurs"));
    EXPECT_EQ(control<QFrame>("Panel4")->toolTip(), text("letzter Basiskurs"));
    EXPECT_EQ(control<QFrame>("Panel7")->toolTip(), text("Veränderung zum Ankauf"));
    EXPECT_EQ(control<QFrame>("Panel8")->toolTip(), text("Veränderung zum Ankauf"));
    EXPECT_EQ(form.Label41->parentWidget(), form.Panel3);
    EXPECT_EQ(form.Label44->parentWidget(), form.Panel4);
    EXPECT_EQ(form.Label48->parentWidget(), form.Panel8);
    EXPECT_EQ(form.Label46->parentWidget(), form.Panel7);
}

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

TEST_F(TrackerFormLayout, HiddenControlsStayHidden) {
    EXPECT_FALSE(form.Label5->isVisibleTo(&form));
    EXPECT_FALSE(form.Label6->isVisibleTo(&form));
    EXPECT_FALSE(form.CheckBox2->isVisibleTo(&form));
    EXPECT_EQ(form.CheckBox2->text(), text("Test"));
    EXPECT_FALSE(form.CheckBox5->isVisibleTo(form.TabSheet4));
    EXPECT_TRUE(form.CheckBox5->isChecked());
    EXPECT_EQ(form.CheckBox5->text(), text("Limit anzeigen"));
}

TEST_F(TrackerFormLayout, TabsInOrderWithTheListFirst) {
    const QStringList expected{"Werteliste", "Diagramm", "Rechner", "Alarm", "Statistik"};
    ASSERT_EQ(form.PageControl1->count(), expected.size());
    const std::array<QWidget*, 5> sheets{form.TabSheet1, form.TabSheet2, form.TabSheet3, form.TabSheet4,
                                         form.TabSheet5};
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(form.PageControl1->tabText(i), expected[i]);
        EXPECT_EQ(form.PageControl1->widget(i), sheets[i]);
        EXPECT_EQ(sheets[i]->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
    }
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_EQ(form.PageControl1->font().pointSize(), 8);
}

TEST_F(TrackerFormLayout, ControlsSitOnTheirTabs) {
    EXPECT_TRUE(form.TabSheet1->isAncestorOf(form.DBGrid1));
    EXPECT_TRUE(form.TabSheet1->isAncestorOf(form.Label65));
    EXPECT_TRUE(form.TabSheet2->isAncestorOf(form.DBChart1));
    EXPECT_TRUE(form.TabSheet3->isAncestorOf(form.Edit9));
    EXPECT_TRUE(form.TabSheet3->isAncestorOf(form.Label69));
    EXPECT_TRUE(form.TabSheet4->isAncestorOf(form.Edit10));
    EXPECT_TRUE(form.TabSheet4->isAncestorOf(form.SpeedButton11));
    EXPECT_TRUE(form.TabSheet5->isAncestorOf(form.Label1));
    EXPECT_TRUE(form.TabSheet5->isAncestorOf(form.Label13));
}

TEST_F(TrackerFormLayout, InputsStartWithTheirDefaultTexts) {
    const std::pair<const char*, const char*> defaults[] = {
        {"Edit1", "0"},  {"Edit2", "0"}, {"Edit3", "0"}, {"Edit8", "0"}, {"Edit9", "1000"}, {"Edit10", "0"},
        {"Edit11", "0"}, {"Edit4", ""},  {"Edit5", ""},  {"Edit6", ""},  {"Edit7", ""},
    };
    for (const auto& [name, value] : defaults) {
        auto* edit = control<QLineEdit>(name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), text(value)) << name;
    }
    EXPECT_EQ(form.Edit10->toolTip(), text(trailingHint));
    EXPECT_EQ(form.Edit11->toolTip(), text(trailingHint));
}

TEST_F(TrackerFormLayout, CheckBoxesHaveCaptionsHintsAndStates) {
    struct Box {
        const char* name;
        const char* caption;
        bool checked;
        const char* hint;
    };
    const Box boxes[] = {
        {"CheckBox1", "Put?", true, ""},
        {"CheckBox3", "Zeitfilter aktiviert", false, ""},
        {"CheckBox4", "Spesen?", false,
         "Spesenberechnung wie beim Ankaufs-Assistenten von Marlovex - Gewinnberechnung Minus An- und "
         "Verkaufsspesen!"},
        {"CheckBox6", "Gewinnschwelle als grüne Linie anzeigen", false, ""},
        {"CheckBox7", "Limit autom. in der Intraday-Analyse anpassen", false, ""},
        {"Turbo", "Turbo", false,
         "Mit Turbo wird die Darstellung ständig aktualisiert und der Kurs aus dem Internet geladen, ohne "
         "alle 30s"},
    };
    for (const Box& expected : boxes) {
        auto* box = control<QCheckBox>(expected.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), text(expected.caption)) << expected.name;
        EXPECT_EQ(box->isChecked(), expected.checked) << expected.name;
        EXPECT_EQ(box->toolTip(), text(expected.hint)) << expected.name;
    }
}

TEST_F(TrackerFormLayout, ButtonsCarryTheirHints) {
    EXPECT_EQ(control<QPushButton>("Eintragen")->toolTip(), text("akt. Kurse in Datenbank eintragen"));
    EXPECT_EQ(control<QToolButton>("SpeedButton6")->toolTip(),
              text("Eintrag der Gewinnschelle in der Intraday-Analyse"));
    EXPECT_EQ(control<QToolButton>("SpeedButton11")->toolTip(), text("Kurs an Signalo übergeben"));
    EXPECT_EQ(control<QToolButton>("SpeedButton5")->toolTip(), text("Kurs an Signalo übergeben"));
}

TEST_F(TrackerFormLayout, PriceTakeOverLabelsShowTheHandCursor) {
    for (const char* name : {"Label23", "Label24", "Label25", "Label31", "Label39", "Label40"}) {
        EXPECT_EQ(control<QLabel>(name)->cursor().shape(), Qt::PointingHandCursor) << name;
    }
    EXPECT_NE(form.Label55->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.Label39->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(form.Label40->palette().color(QPalette::WindowText), QColor(0, 128, 0));
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

TEST_F(TrackerFormLayout, CaptionsOfTheTabsAreShown) {
    const QStringList calculator = labelTexts(form.TabSheet3);
    for (const char* caption :
         {"geschätzte Kursentwicklung", "Differenzen zu den aktuellen Kursen",
          "Differenzen zu den Ankaufkursen", "Differenz zum Ankauf", "Gewinn/Verlust", "Anlagesumme"}) {
        EXPECT_TRUE(calculator.contains(text(caption))) << caption;
    }
    const QStringList alarm = labelTexts(form.TabSheet4);
    for (const char* caption :
         {"Alarm fällt", "Alarm steigt", "Limit Anpassen:", "Punkte vom Maximum und Minimum"}) {
        EXPECT_TRUE(alarm.contains(text(caption))) << caption;
    }
    EXPECT_EQ(alarm.count(text("Limit Anpassen:")), 2);
    const QStringList statistics = labelTexts(form.TabSheet5);
    for (const char* caption : {"OS/Basis", "Basis-Min:", "Basis-Max:", "OS-Min:", "OS-Max:", "Basis-Diff:",
                                "OS-Diff:", "Min:", "Max:"}) {
        EXPECT_TRUE(statistics.contains(text(caption))) << caption;
    }
}

TEST_F(TrackerFormLayout, TimeWindowChoicesStartWithoutAdjustment) {
    const QStringList expected{"keine Anpassung",        "nur letzten 15 Minuten", "nur letzten 30 Minuten",
                               "nur letzten 45 Minuten", "nur letzten 60 Minuten", "nur letzten 120 Minuten"};
    ASSERT_EQ(form.ComboBox1->count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(form.ComboBox1->itemText(i), expected[i]);
    }
    EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
}

TEST_F(TrackerFormLayout, TimersStartAsTheCycleExpects) {
    EXPECT_EQ(form.Timer1->interval(), 100);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer2->interval(), 1000);
    EXPECT_TRUE(form.Timer2->isActive());
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

TEST_F(TrackerFormLayout, QuoteListColumnsGetTheirTitlesAndDefaultWidths) {
    const int expected[] = {61, 76, 55, 71, 52, 40};
    const QStringList titles{"Zeit", "Geldkurs", "Kurs-Diff", "Basiskurs", "Basis-Diff", "Delta"};
    ASSERT_EQ(form.DBGrid1->model()->columnCount(), 6);
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(form.DBGrid1->horizontalHeader()->sectionSize(column), expected[column]) << column;
        EXPECT_EQ(form.DBGrid1->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
    }
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
