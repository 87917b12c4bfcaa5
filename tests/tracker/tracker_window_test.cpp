#include "companion/http_get_form.h"
#include "platform/paradox/session.h"
#include "support/protected_table.h"
#include "support/scripted_dialogs.h"
#include "tracker/chart/chart_editor.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/tosp_form.h"
#include "tracker_window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace marlovex::tracker {
namespace {

TEST_F(TrackerWindowTest, CreationResolvesDirectoriesFeesAndAppliesTheStoredSettingsAndClosingFreesIt) {
    registry::Registry registry = settings();
    registry.writeBool("StartKursEintragen", false);
    registry.writeString("TempPath", "/tmp/analyse");
    registry.writeFloat("Bank", 0.25);
    registry.writeFloat("Makler", 0.8);
    registry.writeFloat("Clearing", 4.9);
    registry.writeInteger("OS_Width", 520);
    registry.writeInteger("OS_Anpassung", 3);
    registry.writeInteger("OS_Geld_Width", 90);
    registry.writeBool("OS_Zeit", true);
    registry.writeBool("OS_Turbo", true);
    registry.writeBool("OS_Limitmax", true);
    registry.writeString("OS_Ankauf", "1,45");
    registry.writeString("Msg_Path", "/srv/signalo/");
    registry.writeInteger("OS_Series2_Size", 4);
    auto window = createWindow();

    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_EQ(window->AppDir, (m_home.path() / "Marlovex").string() + "/");
    EXPECT_EQ(window->DatenPath, m_day.directory().string() + "/");
    EXPECT_EQ(paradox::session().netFileDir(), window->DatenPath);
    EXPECT_EQ(window->TempPath, "/tmp/analyse");
    EXPECT_FALSE(window->StartKursEintragen);
    EXPECT_DOUBLE_EQ(window->BankFee, 0.25);
    EXPECT_DOUBLE_EQ(window->MaklerFee, 0.8);
    EXPECT_DOUBLE_EQ(window->ClearingFee, 4.9);
    ASSERT_NE(companion::HttpGetForm(), nullptr);
    EXPECT_EQ(companion::HttpGetForm()->parent(), window.get());
    EXPECT_EQ(window->width(), 520);
    EXPECT_EQ(window->ComboBox1->currentIndex(), 3);
    EXPECT_EQ(window->DBGrid1->horizontalHeader()->sectionSize(1), 90);
    EXPECT_TRUE(window->CheckBox3->isChecked());
    EXPECT_TRUE(window->tables.filter.timeFilterOn);
    EXPECT_TRUE(window->Turbo->isChecked());
    EXPECT_TRUE(window->CheckBox6->isChecked());
    EXPECT_EQ(window->Edit3->text(), "1,45");
    EXPECT_EQ(window->MsgPath, "/srv/signalo/");
    EXPECT_EQ(window->DBChart1->Series2->pen().width(), 4);

    ui::CloseAction action = ui::CloseAction::Minimize;
    window->MDIClose(action);
    EXPECT_EQ(action, ui::CloseAction::Free);
    window.reset();
    EXPECT_EQ(companion::HttpGetForm(), nullptr);
}

TEST_F(TrackerWindowTest, DefaultDirectoriesFollowTheProgramDirectory) {
    registry::Registry registry = settings();
    registry.deleteValue("Datenpath");
    auto window = createWindow();
    EXPECT_EQ(window->DatenPath, (m_home.path() / "Marlovex" / "Daten").string() + "/");
    EXPECT_EQ(window->TempPath, window->DatenPath + "Temp");
    // There is no quote table in that directory: the engine's message, and no instruments.
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("Intraday")) << m_dialogs.messages[0].toStdString();
    EXPECT_FALSE(window->tables.Table1.active());
}

TEST_F(TrackerWindowTest, RestoresTheLastPairAndShowsTheirQuotesFromOpenAndProtectedTables) {
    rememberCallOnDax();
    for (const bool protectedTables : {false, true}) {
        SCOPED_TRACE(protectedTables ? "protected" : "open");
        if (protectedTables) {
            for (const char* table : {"Firma.db", "Intraday.db"}) {
                testing_support::protectTable(m_day.directory() / table, paradox::familyPassword);
            }
        }
        auto window = createWindow();
        EXPECT_EQ(window->Button1->text(), "DAX Call 20000");
        EXPECT_EQ(window->Button2->text(), "DAX");
        // Shown, the calculator's inputs take the latest prices; with a flat ratio the warrant's
        // conversion writes its own latest price back.
        EXPECT_EQ(window->Edit2->text(), "20050");
        EXPECT_EQ(window->Edit1->text(), "1,60");
        // List and chart show the pair's quotes from the start, not only after the first tick.
        ASSERT_EQ(window->DataSource1->rowCount(), 2);
        EXPECT_EQ(window->DataSource1->index(1, 0).data().toString(), "09:06:00");
        EXPECT_EQ(window->DBChart1->Series1->dataCount(), 2);
        EXPECT_EQ(window->DBChart1->Series2->dataCount(), 2);
    }
}

TEST_F(TrackerWindowTest,
       AnEarlierTradingDayIsArchivedWhenTheUserAgreesWhateverTheDateFormatOrTheFailureReported) {
    // The same day, late in the evening, is no new day.
    m_now = formats::encodeDate(2026, 12, 4) + formats::encodeTime(23, 59, 0);
    QLocale::setDefault(QLocale::c());
    auto evening = createWindow();
    EXPECT_TRUE(m_dialogs.questions.isEmpty());

    // An archive that cannot be made is reported.
    m_day.writeFile("Intraday04.12.2026.DB", "an archive of that day already exists");
    m_now = formats::encodeDate(2026, 12, 5) + formats::encodeTime(8, 0, 0);
    m_dialogs.yesNoAnswers = {true};
    auto refused = createWindow();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith("Das Archiv ")) << m_dialogs.messages[0].toStdString();
    EXPECT_TRUE(m_dialogs.messages[0].contains("konnte nicht angelegt werden"));
    std::filesystem::remove(m_day.directory() / "Intraday04.12.2026.DB");

    // The user keeps the quotes until the last format, the German one, where he agrees.
    m_now = formats::encodeDate(2026, 12, 7) + formats::encodeTime(8, 0, 0);
    const QLocale german(QLocale::German, QLocale::Germany);
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates), german}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        m_dialogs.questions.clear();
        m_dialogs.yesNoAnswers = {locale == german};
        auto window = createWindow();
        EXPECT_EQ(m_dialogs.questions, QStringList{"Sollen Intraday löschen und archivieren?"});
    }
    EXPECT_EQ(m_dialogs.questionCaptions, QStringList(4, "Intraday neu anlegen?"));
    EXPECT_TRUE(std::filesystem::exists(m_day.directory() / "Intraday04.12.2026.DB"));
}

TEST_F(TrackerWindowTest, PutFlagDrivesTheAxisUntilTheStoredInversionOrTheChartMenuDecides) {
    // "Put?" starts checked; a stored call unchecks it, which runs its handler.
    settings().writeBool("OS_Call", false);
    auto call = createWindow();
    EXPECT_FALSE(call->CheckBox1->isChecked());
    EXPECT_FALSE(call->OSAchseinvertiert1->isChecked());
    EXPECT_FALSE(call->DBChart1->isWarrantAxisInverted());
    call->CheckBox1->setChecked(true);
    EXPECT_TRUE(call->OSAchseinvertiert1->isChecked());
    EXPECT_TRUE(call->DBChart1->isWarrantAxisInverted());

    settings().writeBool("OS_Inverted", true);
    auto inverted = createWindow();
    EXPECT_FALSE(inverted->CheckBox1->isChecked());
    EXPECT_TRUE(inverted->OSAchseinvertiert1->isChecked());
    EXPECT_TRUE(inverted->DBChart1->isWarrantAxisInverted());

    // The chart menu inverts the axis too and opens the editor.
    inverted->OSAchseinvertiert1->trigger();
    EXPECT_FALSE(inverted->DBChart1->isWarrantAxisInverted());
    inverted->OSAchseinvertiert1->trigger();
    EXPECT_TRUE(inverted->DBChart1->isWarrantAxisInverted());
    bool editorShown = false;
    m_dialogs.onModal = [&](QDialog& dialog) {
        editorShown = dynamic_cast<ChartEditorDialog*>(&dialog) != nullptr;
        return int(QDialog::Rejected);
    };
    inverted->DiagrammEigenschaften1->trigger();
    EXPECT_TRUE(editorShown);
}

TEST_F(TrackerWindowTest, AStoredValueOfTheWrongTypeSpoilsOnlyItself) {
    rememberCallOnDax();
    registry::Registry stored = settings();
    stored.writeInteger("Bank", 1);
    stored.writeFloat("Makler", 0.8);
    stored.writeString("OS_Width", "breit");
    stored.writeInteger("OS_Height", 400);
    auto window = createWindow();

    // Each phase says once which values it passed over; nothing else is held up by them.
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_TRUE(m_dialogs.messages[0].contains("'Bank'")) << m_dialogs.messages[0].toStdString();
    EXPECT_FALSE(m_dialogs.messages[0].contains("Makler")) << m_dialogs.messages[0].toStdString();
    EXPECT_TRUE(m_dialogs.messages[1].contains("'OS_Width'")) << m_dialogs.messages[1].toStdString();
    EXPECT_DOUBLE_EQ(window->BankFee, 0.0);
    EXPECT_DOUBLE_EQ(window->MaklerFee, 0.8);
    EXPECT_EQ(window->Button1->text(), "DAX Call 20000");
    EXPECT_TRUE(window->tables.Table1.active());
    EXPECT_EQ(window->height(), 400);
}

// The bar's controls are placed by hand: at any width they stay in order, apart, and the pair's
// buttons share the bar up to its right edge.
TEST_F(TrackerWindowTest, ResizingKeepsTheButtonBarInOrderAcrossItsWidth) {
    auto window = createWindow();
    for (const int width : {400, 600, 1000}) {
        SCOPED_TRACE(width);
        window->resize(width, 400);
        const QList<QWidget*> bar{window->Button1, window->SpeedButton3, window->SpeedButton2,
                                  window->SpeedButton4, window->Button2};
        for (int i = 0; i + 1 < bar.size(); ++i) {
            EXPECT_LT(bar[i]->geometry().right(), bar[i + 1]->x()) << bar[i]->objectName().toStdString();
        }
        EXPECT_EQ(window->SpeedButton1->geometry(), window->SpeedButton2->geometry());
        EXPECT_EQ(window->Button1->width(), window->Button2->width());
        EXPECT_GE(window->Button2->geometry().right(), window->Panel1->width() - 2);
        EXPECT_LT(window->Button2->geometry().right(), window->Panel1->width());
    }
}

TEST_F(TrackerWindowTest,
       PickingTheWarrantFillsListAndChartPickingTheUnderlyingRecalculatesItAndTheFramesNamesKeepTheTitle) {
    settings().writeString("OS_Basis", "DAX");
    auto window = createWindow();
    QStringList listed;
    QString preselected;
    answerPicker("DAX Call 20000", &listed, &preselected);
    window->Button1->click();

    EXPECT_EQ(listed, (QStringList{"Bayer", "DAX", "DAX Call 20000"}));
    EXPECT_EQ(preselected, "");
    EXPECT_EQ(window->Button1->text(), "DAX Call 20000");
    EXPECT_EQ(window->caption(), "Option  DAX Call 20000  DAX");
    ASSERT_EQ(window->DataSource1->rowCount(), 2);
    EXPECT_EQ(window->DataSource1->index(1, 0).data().toString(), "09:06:00");
    EXPECT_EQ(window->DataSource1->index(1, 1).data().toString(), "1,6");
    EXPECT_EQ(window->DataSource1->index(1, 2).data().toString(), "0,1");
    // 09:06: no later underlying quote, so its last one.
    EXPECT_EQ(window->DataSource1->index(1, 3).data().toString(), "20050");
    EXPECT_EQ(window->DBChart1->Series1->dataCount(), 2);

    // Picking the underlying recalculates the list against it.
    answerPicker("Bayer");
    window->Button2->click();
    EXPECT_EQ(window->Button2->text(), "Bayer");
    EXPECT_EQ(window->caption(), "Option  DAX Call 20000  Bayer");
    EXPECT_TRUE(window->tables.Table2.active());
    EXPECT_EQ(window->tables.Table5.field("Firma").asInteger(), bayerNumber);
    EXPECT_TRUE(window->tables.Table2.isEmpty());
    // The warrant's extremes were found anew, against an underlying without quotes.
    EXPECT_DOUBLE_EQ(window->tables.statistics.OSMax, 1.60);
    EXPECT_DOUBLE_EQ(window->tables.statistics.BasisAtOSMax, 0.0);

    // The frame's names are applied without touching the title.
    window->Button1->setText("DAX Call 20000");
    window->Button1aender(window.get());
    window->Button2->setText("DAX");
    window->Button2aender(window.get());
    EXPECT_EQ(window->caption(), "Option  DAX Call 20000  Bayer");
    EXPECT_EQ(window->tables.Table3.field("Firma").asInteger(), warrantNumber);
    EXPECT_EQ(window->tables.Table5.field("Firma").asInteger(), daxNumber);
    EXPECT_DOUBLE_EQ(window->tables.Table1.field("Kurs").asFloat(), 1.60);
    EXPECT_EQ(window->DataSource1->rowCount(), 2);
}

TEST_F(TrackerWindowTest, AStoredNameThatIsGoneLeavesTheFirstInstrumentWhichCancellingThePickerKeeps) {
    settings().writeString("OS_Option", "Siemens Put");
    m_day.addQuote(bayerNumber, 9, 0, 0, 45.2);
    auto window = createWindow();
    EXPECT_EQ(window->Button1->text(), "Bayer");
    QString preselected;
    answerPicker("", nullptr, &preselected);
    window->Button1->click();
    EXPECT_EQ(preselected, "Bayer");
    EXPECT_EQ(window->Button1->text(), "Bayer");
    // The title is rewritten all the same.
    EXPECT_EQ(window->caption(), "Option  Bayer  Basiskurs");
    EXPECT_EQ(window->tables.Table3.field("FirmenName").asString(), "Bayer");
    EXPECT_EQ(window->tables.Table1.field("Firma").asInteger(), bayerNumber);
}

TEST_F(TrackerWindowTest, TicksWhileThePickerIsOpenStayOnTheWindowsInstruments) {
    // An instrument whose name sorts last: listing the names must not leave the window on it.
    constexpr std::int64_t lastByName = 99;
    m_day.addInstrument(lastByName, "Zeta Holding");
    rememberCallOnDax();
    auto window = createWindow();
    window->Turbo->setChecked(true);
    window->SpeedButton2->click();
    m_started.clear();
    QStringList listed;
    answerPicker("", &listed, nullptr, [&] {
        QMetaObject::invokeMethod(window->Timer1, "timeout");
        QMetaObject::invokeMethod(window->Timer1, "timeout");
    });
    window->Button1->click();

    EXPECT_EQ(listed.back(), "Zeta Holding");
    ASSERT_EQ(m_started.size(), 4u);
    for (const StartedProgram& start : m_started) {
        EXPECT_NE(start.arguments[1], std::to_string(lastByName));
    }
    EXPECT_EQ(window->tables.Table3.field("Firma").asInteger(), warrantNumber);
    EXPECT_EQ(window->Label41->text(), "1,600");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
}

TEST_F(TrackerWindowTest, AWindowShownAgainKeepsWhatTheUserTypedAndItsStateMakesAnotherTheSame) {
    // Stored values that showing the window again must not bring back.
    settings().writeString("OS_Ankauf", "1,45");
    settings().writeInteger("OS_Width", 520);
    QMdiArea frame;
    frame.resize(1200, 900);
    frame.show();
    auto original = createWindow();
    QMdiSubWindow* holder = frame.addSubWindow(original.get());
    holder->show();
    original->openPair("DAX Call 20000", "DAX");
    original->SpeedButton4Click(original.get());
    original->CheckBox1->setChecked(false);
    original->CheckBox3->setChecked(true);
    original->OSAchseinvertiert1->setChecked(true);
    original->CheckBox4->setChecked(false);
    const QString texts[] = {"1,7", "20100", "1,55", "19800", "20300", "1,2", "2,1", "19950", "500"};
    QLineEdit* edits[] = {original->Edit1, original->Edit2, original->Edit3, original->Edit4, original->Edit5,
                          original->Edit6, original->Edit7, original->Edit8, original->Edit9};
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        edits[i]->setText(texts[i]);
    }
    original->Edit10->setText("2%");
    original->setBounds(QRect(40, 30, 700, 500));
    const QSize size = holder->size();
    holder->showMinimized();
    EXPECT_FALSE(original->isVisible());
    holder->showNormal();
    ASSERT_TRUE(original->isVisible());
    EXPECT_EQ(original->Edit3->text(), "1,55");
    EXPECT_EQ(original->Edit9->text(), "500");
    EXPECT_EQ(original->Edit10->text(), "2%");
    EXPECT_EQ(holder->size(), size);

    const TrackerState saved = original->capture();
    EXPECT_EQ(saved.edits[2], "1,55");
    EXPECT_EQ(saved.underlyingImportOff, true);

    auto copy = createWindow();
    frame.addSubWindow(copy.get())->show();
    copy->openPair(QString::fromStdString(saved.warrant), QString::fromStdString(saved.underlying));
    copy->apply(saved);
    EXPECT_EQ(copy->capture(), saved);
    EXPECT_FALSE(copy->SpeedButton4->isEnabled());
    EXPECT_TRUE(copy->SpeedButton3->isEnabled());

    copy->apply(TrackerState{});
    EXPECT_EQ(copy->capture(), saved);
}

TEST_F(TrackerWindowTest, ImportStartsTheProgramForEachSwitchedOnInstrument) {
    rememberCallOnDax();
    auto window = createWindow();
    const std::string lorquin = (m_home.path() / "Marlovex" / "Lorquin").string();

    window->Laden(window.get());
    ASSERT_EQ(m_started.size(), 2u);
    EXPECT_EQ(m_started[0].program, lorquin);
    EXPECT_EQ(m_started[0].arguments, (std::vector<std::string>{"/W", "17", "/D"}));
    EXPECT_EQ(m_started[1].arguments, (std::vector<std::string>{"/W", "846900", "/D"}));

    window->SpeedButton3->click();
    EXPECT_FALSE(window->SpeedButton3->isEnabled());
    m_started.clear();
    window->Laden(window.get());
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0].arguments[1], "846900");

    window->SpeedButton4Click(window.get());
    m_started.clear();
    window->Laden(window.get());
    EXPECT_TRUE(m_started.empty());
}

TEST_F(TrackerWindowTest, TimeFilterSwitchRefiltersTheListAndTheTimeWindowMovesItsStart) {
    rememberCallOnDax();
    m_now = formats::encodeDate(2026, 12, 4) + formats::encodeTime(10, 7, 40);
    auto window = createWindow();
    window->refreshQuoteViews();
    ASSERT_EQ(window->DataSource1->rowCount(), 2);

    // Between 09:00:00 and 23:00:00 of today, both bounds excluded: the 09:00 quote drops out.
    window->CheckBox3->setChecked(true);
    EXPECT_DOUBLE_EQ(formats::datePart(window->DateTimePicker1->dateTime()),
                     formats::encodeDate(2026, 12, 4));
    ASSERT_EQ(window->DataSource1->rowCount(), 1);
    EXPECT_EQ(window->DataSource1->index(0, 0).data().toString(), "09:06:00");
    // On another day nothing passes.
    m_now += 1;
    window->CheckBox3->setChecked(false);
    EXPECT_EQ(window->DataSource1->rowCount(), 2);
    window->CheckBox3->setChecked(true);
    EXPECT_EQ(window->DataSource1->rowCount(), 0);

    // The time window moves the filter's start to the last minutes on every tick.
    const formats::DateTime before = window->DateTimePicker1->dateTime();
    window->Timer1Timer();
    EXPECT_DOUBLE_EQ(window->DateTimePicker1->dateTime(), before);
    window->ComboBox1->setCurrentIndex(3);
    window->Timer1Timer();
    EXPECT_EQ(formats::formatDateTime(window->DateTimePicker1->dateTime(), "hh:mm:ss"), "09:23:00");
}

} // namespace
} // namespace marlovex::tracker
