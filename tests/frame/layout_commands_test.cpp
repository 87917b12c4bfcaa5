#include "companion/intraday_form.h"
#include "frame_fixture.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/window/tosp_form.h"
#include "ui/error_display.h"
#include "ui/mdi_child_form.h"
#include "ui/screen_bounds.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace marlovex::frame {
namespace {

using testing_support::readText;

TEST_F(LayoutCommandsTest, ALayoutFileReopensEveryWindowInReverseStackingOrderAndFailedFilesAreReported) {
    auto frame = createFrame();
    frame->OSToolOpen("DAX", "DAX Call 20000");
    auto* tracker = qobject_cast<tracker::TOSP_Form*>(frame->childForms().front());
    tracker->Edit3->setText("1,45");
    tracker->SpeedButton4Click(tracker);
    frame->NewChartWindow("Bayer");
    auto* chart = qobject_cast<companion::TIntradayForm*>(frame->childForms().front());
    chart->setColor(0x00C0FFEE);
    chart->percentMenuItem()->setChecked(true);
    m_dialogs.fileAnswers.push_back(layoutPath("Morgen.QVZ"));
    frame->command("FileSaveAs1")->trigger();
    ASSERT_TRUE(QFileInfo::exists(layoutPath("Morgen.QVZ")));

    auto other = createFrame();
    openLayout(*other, "Morgen.QVZ");
    EXPECT_EQ(other->windowTitle(), "Marlovex Diagramm Manager (Morgen.QVZ)");
    const QList<QWidget*> windows = other->childForms();
    ASSERT_EQ(windows.size(), 2);
    // The chart was in front when saved, so it was opened first and now lies behind.
    auto* reopenedTracker = qobject_cast<tracker::TOSP_Form*>(windows[0]);
    auto* reopenedChart = qobject_cast<companion::TIntradayForm*>(windows[1]);
    ASSERT_NE(reopenedTracker, nullptr);
    ASSERT_NE(reopenedChart, nullptr);
    EXPECT_EQ(reopenedTracker->Button1->text(), "DAX Call 20000");
    EXPECT_EQ(reopenedTracker->Edit3->text(), "1,45");
    EXPECT_FALSE(reopenedTracker->SpeedButton4->isEnabled());
    EXPECT_TRUE(reopenedTracker->SpeedButton3->isEnabled());
    EXPECT_EQ(reopenedTracker->PageControl1->currentWidget(), reopenedTracker->TabSheet2);
    EXPECT_EQ(reopenedChart->instrumentEdit()->text(), "Bayer");
    EXPECT_EQ(reopenedChart->color(), 0x00C0FFEEu);
    EXPECT_TRUE(reopenedChart->percentMenuItem()->isChecked());
    EXPECT_EQ(reopenedChart->exportFileDialog().fileName, "*.txt");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();

    const QSize size = other->size();
    m_dialogs.fileAnswers.push_back(layoutPath("fehlt/Morgen.QVZ"));
    other->Speichernunter1Click();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("konnte nicht geschrieben werden"));
    // The reason is German too, whatever language the C library speaks.
    EXPECT_TRUE(m_dialogs.messages[0].endsWith("existiert nicht")) << m_dialogs.messages[0].toStdString();
    openLayout(*other, "nirgends.QVZ");
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_TRUE(m_dialogs.messages[1].contains("konnte nicht gelesen werden"));
    EXPECT_TRUE(m_dialogs.messages[1].endsWith("existiert nicht")) << m_dialogs.messages[1].toStdString();
    EXPECT_EQ(other->size(), size);
    EXPECT_EQ(other->childForms().size(), 2);
}

TEST_F(LayoutCommandsTest,
       OlderFilesSpreadTheChartIntervalsOverAMinuteAndAColourThatIsNoColourEndsTheReading) {
    m_home.writeFile("alt.QVZ", "3\r\n0\r\n900\r\n600\r\n0\r\n0\r\nDAX\r\n400\r\n300\r\n0\r\n0\r\n"
                                "Bayer\r\n400\r\n300\r\n10\r\n10\r\nDAX\r\n400\r\n300\r\n20\r\n20\r\n");
    auto frame = createFrame();
    openLayout(*frame, "alt.QVZ");
    const QList<QWidget*> windows = frame->childForms();
    ASSERT_EQ(windows.size(), 3);
    const auto interval = [&](int index) {
        return qobject_cast<companion::TIntradayForm*>(windows[index])->refreshTimer()->interval();
    };
    EXPECT_EQ(interval(2), 1000);
    EXPECT_EQ(interval(1), 60000);
    EXPECT_EQ(interval(0), 40000);
    EXPECT_EQ(frame->size(), QSize(900, 600));

    m_home.writeFile("kaputt.QVZ", "2\r\n0\r\n900\r\n600\r\n0\r\n0\r\nDIAGRAMM\r\nDAX\r\n400\r\n300\r\n"
                                   "0\r\n0\r\n30\r\nblassrot\r\n\r\nFalse\r\nFalse\r\nFalse\r\n"
                                   "DIAGRAMM\r\nBayer\r\n");
    auto broken = createFrame();
    ui::runHandler([&] { openLayout(*broken, "kaputt.QVZ"); });
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages[0], "'blassrot' ist kein gültiger Integerwert");
    EXPECT_EQ(broken->childForms().size(), 1);
}

TEST_F(LayoutCommandsTest, TheWorkspaceComesBackInTheSameStackingOrder) {
    auto frame = createFrame();
    frame->resize(880, 640);
    frame->NewChartWindow("Bayer");
    auto* chart = qobject_cast<companion::TIntradayForm*>(frame->childForms().front());
    chart->setColor(0x00123456);
    chart->intervalSpinEdit()->setValue(45);
    chart->exportFileDialog().fileName = "/tmp/bayer.csv";
    frame->OSToolOpen("DAX", "DAX Call 20000");
    auto* tracker = qobject_cast<tracker::TOSP_Form*>(frame->childForms().front());
    tracker->Edit3->setText("1,45");
    tracker->Edit6->setText("1,2");
    tracker->CheckBox1->setChecked(false);
    tracker->SpeedButton3Click(tracker);
    frame->command("FileSave1")->trigger();

    registry::Registry settings = registryAtKey();
    EXPECT_EQ(settings.readInteger("ManageCount"), 2);
    EXPECT_TRUE(settings.readBool("ManageOT0"));
    EXPECT_EQ(settings.readString("ManageTitle0"), "DAX");
    EXPECT_EQ(settings.readString("ManageEdit30"), "1,45");
    EXPECT_FALSE(settings.readBool("ManageOT1"));
    EXPECT_EQ(settings.readBinaryData("ManageColor1"), (std::vector<std::uint8_t>{0x56, 0x34, 0x12, 0x00}));
    EXPECT_EQ(settings.readInteger("ShowWinWidth"), 880);

    auto other = createFrame();
    other->NewChartDblClick = false;
    other->command("FileOpen1")->trigger();
    EXPECT_TRUE(other->NewChartDblClick);
    const QList<QWidget*> windows = other->childForms();
    ASSERT_EQ(windows.size(), 2);
    auto* restoredTracker = qobject_cast<tracker::TOSP_Form*>(windows[0]);
    auto* restoredChart = qobject_cast<companion::TIntradayForm*>(windows[1]);
    ASSERT_NE(restoredTracker, nullptr);
    ASSERT_NE(restoredChart, nullptr);
    EXPECT_EQ(restoredTracker->capture(), tracker->capture());
    EXPECT_EQ(restoredTracker->PageControl1->currentWidget(), restoredTracker->TabSheet2);
    EXPECT_EQ(restoredChart->color(), 0x00123456u);
    EXPECT_EQ(restoredChart->intervalSpinEdit()->value(), 45);
    EXPECT_EQ(restoredChart->exportFileDialog().fileName, "/tmp/bayer.csv");
    // The restored interval setting drives the refresh, after the frame's spread of a minute.
    EXPECT_EQ(restoredChart->refreshTimer()->interval(), 45000);
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();

    // Restoring again while the windows are open adds copies.
    other->FileOpenItemClick();
    EXPECT_EQ(other->childForms().size(), 4);
}

TEST_F(LayoutCommandsTest, FourChartsSpreadTheirIntervalsAndAMaximizedSaveKeepsTheSize) {
    registryAtKey().writeInteger("ShowWinWidth", 777);
    storeWorkspaceCharts(4, {"Chart0", "Chart1", "Chart2", "Chart3"});
    auto frame = createFrame();
    frame->FileOpenItemClick();
    const QList<QWidget*> windows = frame->childForms();
    ASSERT_EQ(windows.size(), 4);
    for (int index = 0; index < 4; ++index) {
        auto* chart = qobject_cast<companion::TIntradayForm*>(windows[index]);
        EXPECT_EQ(chart->instrumentEdit()->text(), QString("Chart%1").arg(index));
        EXPECT_EQ(chart->refreshTimer()->interval(), 15000 * (index + 1));
    }

    frame->setWindowState(Qt::WindowMaximized);
    frame->FileSaveItemClick();
    EXPECT_EQ(registryAtKey().readInteger("ShowWinWidth"), 777);
    EXPECT_TRUE(registryAtKey().readBool("ManageMax"));
}

// The layout file is found whatever the letter case of its name; "unbekannt" names no file.
TEST_F(LayoutCommandsTest, TheCommandLineTimerRunsOnceRestoresTheWorkspaceAndOpensLayoutsInOrder) {
    storeWorkspaceCharts(1, {"DAX"});
    const std::filesystem::path layout =
        m_home.writeFile("eins.qvz", "1\r\n0\r\n900\r\n600\r\n0\r\n0\r\nBayer\r\n400\r\n300\r\n0\r\n0\r\n");
    m_environment.parameters = {"/a", "unbekannt", layoutPath("EINS.QVZ"), "AUTO"};
    auto frame = createFrame();
    frame->Timer1Timer();
    EXPECT_FALSE(frame->timer1()->isActive());
    EXPECT_EQ(frame->OpenDialog.fileName, QString::fromStdString(layout.string()));
    QStringList instruments;
    for (QWidget* window : frame->childForms()) {
        instruments << qobject_cast<companion::TIntradayForm*>(window)->instrumentEdit()->text();
    }
    EXPECT_EQ(instruments, (QStringList{"DAX", "Bayer", "DAX"}));
}

// Restored back-most first: the tracker, then DAX, then Bayer, whose interval is no number.
TEST_F(LayoutCommandsTest, AStoredWorkspaceKeepsTheTrackersFeesChoiceAndEndsAtAValueOfTheWrongType) {
    storeWorkspaceCharts(3, {"Bayer", "DAX"});
    registry::Registry settings = registryAtKey();
    settings.writeString("ManageIntervall0", "dreissig");
    settings.writeBool("OS_Spesen", true);
    settings.writeBool("ManageOT2", true);
    settings.writeString("ManageOption2", "DAX Call 20000");
    settings.writeString("ManageBasis2", "DAX");
    settings.writeBool("ManageSpesen2", false);
    auto frame = createFrame();
    frame->command("FileOpen1")->trigger();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("ManageIntervall0")) << m_dialogs.messages[0].toStdString();
    ASSERT_EQ(frame->childForms().size(), 3);
    auto* tracker = qobject_cast<tracker::TOSP_Form*>(frame->childForms().back());
    ASSERT_NE(tracker, nullptr);
    EXPECT_TRUE(tracker->CheckBox4->isChecked());
}

TEST_F(LayoutCommandsTest, PutAndFeesFlagsComeBackAsSavedInBothStates) {
    // The four flag lines of the only tracker record: imports off twice, put, fees.
    const auto flagLines = [](const QString& path) {
        QFile file(path);
        const QList<QByteArray> lines =
            file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
        return lines.size() > 16 ? lines.mid(13, 4) : QList<QByteArray>();
    };
    // Reopened where trackers start the other way round, and saved again, the flags stay.
    const auto roundTrip = [&](bool put, bool fees) {
        registryAtKey().writeBool("OS_Call", put);
        registryAtKey().writeBool("OS_Spesen", fees);
        auto frame = createFrame();
        frame->OSToolOpen("DAX", "DAX Call 20000");
        auto* saved = qobject_cast<tracker::TOSP_Form*>(frame->childForms().front());
        saved->CheckBox1->setChecked(put);
        saved->CheckBox4->setChecked(fees);
        m_dialogs.fileAnswers.push_back(layoutPath("Erst.QVZ"));
        frame->Speichernunter1Click();

        registryAtKey().writeBool("OS_Call", !put);
        registryAtKey().writeBool("OS_Spesen", !fees);
        auto other = createFrame();
        openLayout(*other, "Erst.QVZ");
        auto* reopened = qobject_cast<tracker::TOSP_Form*>(other->childForms().front());
        EXPECT_EQ(reopened->CheckBox1->isChecked(), put);
        EXPECT_EQ(reopened->DBChart1->isWarrantAxisInverted(), put);
        EXPECT_EQ(reopened->CheckBox4->isChecked(), fees);
        m_dialogs.fileAnswers.push_back(layoutPath("Wieder.QVZ"));
        other->Speichernunter1Click();
        const QByteArray putLine = put ? "True\r" : "False\r";
        const QByteArray feesLine = fees ? "True\r" : "False\r";
        EXPECT_EQ(flagLines(layoutPath("Erst.QVZ")),
                  (QList<QByteArray>{"False\r", "False\r", putLine, feesLine}));
        EXPECT_EQ(flagLines(layoutPath("Wieder.QVZ")), flagLines(layoutPath("Erst.QVZ")));
    };
    roundTrip(false, false);
    roundTrip(true, true);
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
}

TEST_F(LayoutCommandsTest, ALayoutThatSwitchesExportOnAsksOncePerFile) {
    const std::filesystem::path victim = m_home.writeFile("Dokumente/brief.txt", "Lieber Robin,\n");
    const std::string chart = "DIAGRAMM\r\nDAX\r\n400\r\n300\r\n0\r\n0\r\n5\r\nclWhite\r\n" +
                              victim.string() + "\r\nTrue\r\nFalse\r\nFalse\r\n";
    m_home.writeFile("fremd.QVZ", "2\r\n0\r\n900\r\n600\r\n0\r\n0\r\n" + chart + chart);

    auto frame = createFrame();
    m_dialogs.yesNoAnswers = {false};
    openLayout(*frame, "fremd.QVZ");
    ASSERT_EQ(frame->childForms().size(), 2);
    EXPECT_EQ(m_dialogs.questions,
              QStringList{QString::fromStdString("Kurse nach " + victim.string() + " exportieren?")});
    for (QWidget* window : frame->childForms()) {
        auto* declined = qobject_cast<companion::TIntradayForm*>(window);
        EXPECT_FALSE(declined->exportMenuItem()->isChecked());
        declined->SpeedButton1Click(frame.get());
    }
    EXPECT_EQ(readText(victim), "Lieber Robin,\n");

    // Agreed, the export is on; still, a file that is no quote file is never replaced.
    auto agreeing = createFrame();
    m_dialogs.questions.clear();
    m_dialogs.yesNoAnswers = {true};
    openLayout(*agreeing, "fremd.QVZ");
    EXPECT_EQ(m_dialogs.questions.size(), 1);
    auto* chartWindow = qobject_cast<companion::TIntradayForm*>(agreeing->childForms().front());
    EXPECT_TRUE(chartWindow->exportMenuItem()->isChecked());
    m_dialogs.messages.clear();
    ui::runHandler([&] { chartWindow->SpeedButton1Click(agreeing.get()); });
    EXPECT_EQ(readText(victim), "Lieber Robin,\n");
}

TEST_F(LayoutCommandsTest, SizesAndCountsFromAFileAreKeptToTheScreen) {
    const std::string huge = "2147483647";
    m_home.writeFile("riesig.QVZ", "1\r\n0\r\n" + huge + "\r\n" + huge + "\r\n-" + huge + "\r\n" + huge +
                                       "\r\nDAX\r\n" + huge + "\r\n" + huge + "\r\n" + huge + "\r\n-" + huge +
                                       "\r\n");
    auto frame = createFrame();
    openLayout(*frame, "riesig.QVZ");
    const QRect screen = ui::availableScreenArea(frame.get());
    EXPECT_LE(frame->width(), screen.width());
    EXPECT_LE(frame->height(), screen.height());
    EXPECT_GE(frame->y(), 0);
    EXPECT_LT(frame->x(), screen.width());
    ASSERT_EQ(frame->childForms().size(), 1);
    const QRect chart = qobject_cast<ui::MdiChildForm*>(frame->childForms().front())->bounds();
    EXPECT_LE(chart.width(), screen.width());
    EXPECT_LE(chart.height(), screen.height());
    EXPECT_LT(chart.x(), screen.width());
    EXPECT_GE(chart.y(), 0);

    std::string many = "100\r\n0\r\n900\r\n600\r\n0\r\n0\r\n";
    for (int record = 0; record < 100; ++record) {
        many += "DAX\r\n400\r\n300\r\n0\r\n0\r\n";
    }
    m_home.writeFile("viele.QVZ", many);
    auto crowded = createFrame();
    openLayout(*crowded, "viele.QVZ");
    EXPECT_EQ(crowded->childForms().size(), maximumRestoredWindows);
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages[0],
              "Die Layoutdatei viele.QVZ nennt 100 Fenster; geöffnet werden nur die ersten 64.");
}

TEST_F(LayoutCommandsTest, AWorkspaceCountWithoutEndRestoresOnlyTheSavedWindows) {
    storeWorkspaceCharts(0x7fffffff, {"DAX", "Bayer"});
    registryAtKey().writeInteger("ShowWinWidth", 0x7fffffff);
    auto frame = createFrame();
    m_dialogs.messages.clear();
    frame->FileOpenItemClick();
    ASSERT_EQ(frame->childForms().size(), 2);
    EXPECT_LE(frame->width(), ui::availableScreenArea(frame.get()).width());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages[0],
              "Der gespeicherte Arbeitsbereich nennt 2147483647 Fenster; geöffnet werden nur die ersten 64.");
}

} // namespace
} // namespace marlovex::frame
