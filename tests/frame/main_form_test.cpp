#include "companion/information.h"
#include "companion/intraday_form.h"
#include "frame/main_form.h"
#include "frame_fixture.h"
#include "platform/paradox/session.h"
#include "platform/registry/registry.h"
#include "support/scripted_dialogs.h"
#include "support/trading_day.h"
#include "tracker/tracker_environment.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace marlovex::frame {
namespace {

TEST_F(MainFormTest, CommandsFollowTheNumberOfChildWindows) {
    registerDataDirectory();
    auto frame = createFrame();
    // One command of each kind; which commands are of which kind is the frame's own table.
    const auto expectState = [&](bool hasChildren) {
        EXPECT_EQ(frame->command("FileSaveItem")->isEnabled(), hasChildren);
        EXPECT_EQ(frame->command("ToolButton1")->isEnabled(), !hasChildren);
        // The menu item and the shortcut of the workspace restore stay available.
        EXPECT_TRUE(frame->command("FileOpenItem")->isEnabled());
        EXPECT_TRUE(frame->command("FileOpen1")->isEnabled());
    };
    expectState(false);

    frame->FileNew1Execute();
    expectState(true);

    QWidget* chart = frame->childForms().front();
    QPointer<QMdiSubWindow> holder = qobject_cast<QMdiSubWindow*>(chart->parentWidget());
    holder->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(holder.isNull());
    EXPECT_TRUE(frame->childForms().isEmpty());
    expectState(false);
}

TEST_F(MainFormTest, NewChartWindowStartsOnDaxWithTheFrameSettingsAndTheClipboardActsOnItsEdit) {
    registerDataDirectory();
    auto frame = createFrame();
    frame->ChartInterval = 45000;
    frame->FileNew1Execute();
    EXPECT_FALSE(frame->NewChartDblClick);
    EXPECT_EQ(frame->ChartInterval, 1000);
    ASSERT_EQ(frame->childForms().size(), 1);
    auto* chart = qobject_cast<companion::TIntradayForm*>(frame->childForms().front());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->caption(), "DAX");
    EXPECT_EQ(chart->subWindow()->windowTitle(), "DAX");
    EXPECT_EQ(chart->instrumentEdit()->text(), "DAX");
    EXPECT_EQ(chart->refreshTimer()->interval(), 1000);
    EXPECT_TRUE(chart->refreshTimer()->isActive());
    EXPECT_FALSE(chart->newWindowMenuItem()->isVisible());
    QLineEdit* edit = chart->instrumentEdit();
    edit->selectAll();
    edit->setFocus();
    QApplication::setActiveWindow(frame.get());
    ASSERT_EQ(QApplication::focusWidget(), edit);
    frame->command("EditCut1")->trigger();
    EXPECT_EQ(edit->text(), "");
    frame->command("EditPaste1")->trigger();
    EXPECT_EQ(edit->text(), "DAX");

    frame->ChartInterval = 30000;
    frame->NewChartWindow("Bayer");
    auto* second = qobject_cast<companion::TIntradayForm*>(frame->childForms().front());
    EXPECT_EQ(second->caption(), "Bayer");
    EXPECT_EQ(second->refreshTimer()->interval(), 30000);
    EXPECT_EQ(frame->childForms().size(), 2);
}

TEST_F(MainFormTest, WindowListAndTilingCoverEveryChildWindow) {
    registerDataDirectory();
    auto frame = createFrame();
    frame->resize(800, 600);
    frame->NewChartWindow("DAX");
    frame->NewChartWindow("Bayer");
    auto* windowMenu = frame->findChild<QMenu*>("Window1");
    emit windowMenu->aboutToShow();
    QStringList entries;
    for (QAction* item : windowMenu->actions()) {
        if (item->property("windowListEntry").toBool() && !item->isSeparator()) {
            entries << item->text();
        }
    }
    EXPECT_EQ(entries, (QStringList{"&1 DAX", "&2 Bayer"}));

    frame->command("WindowTileHorizontal1")->trigger();
    const QList<QMdiSubWindow*> windows = frame->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    const int areaWidth = frame->mdiArea()->viewport()->width();
    EXPECT_EQ(windows[0]->geometry().width(), areaWidth);
    EXPECT_EQ(windows[1]->geometry().width(), areaWidth);
    EXPECT_LT(windows[0]->geometry().top(), windows[1]->geometry().top());

    frame->command("WindowTileVertical1")->trigger();
    EXPECT_EQ(windows[0]->geometry().top(), windows[1]->geometry().top());
    EXPECT_LT(windows[0]->geometry().left(), windows[1]->geometry().left());
}

// A stored directory is taken as it stands, with or without its closing separator.
TEST_F(MainFormTest, StartUpPreparesTheSessionAndTakesTheDataDirectoryFromTheRegistry) {
    const std::filesystem::path data = registerDataDirectory();
    for (const std::string& stored : {data.string() + "/", data.string()}) {
        SCOPED_TRACE(stored);
        registryAtKey().writeString("Datenpath", stored);
        auto frame = createFrame();
        EXPECT_TRUE(m_dialogs.inputRequests.empty());
        EXPECT_EQ(frame->DataDir, withSlash(data));
        EXPECT_EQ(registryAtKey().readString("Datenpath"), stored);
        EXPECT_EQ(paradox::session().configMode(), paradox::ConfigMode::SessionOnly);
        EXPECT_EQ(paradox::session().passwords(), std::vector<std::string>{"WillowFrost"});
        EXPECT_TRUE(std::filesystem::equivalent(paradox::session().netFileDir(), data));
        // The timer that hands the command line over, once the frame is up.
        EXPECT_TRUE(frame->timer1()->isActive());
    }
}

TEST_F(MainFormTest, AMissingQuoteTableAsksForTheDirectoryAndRemembersOnlyAGoodAnswer) {
    m_dialogs.inputAnswers.push_back(QString::fromStdString((m_home.path() / "nirgendwo").string()));
    auto frame = createFrame();
    ASSERT_EQ(m_dialogs.inputRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.inputRequests[0].title,
              "In welchem Verzeichnist befindet sich die Intraday Datenbank?");
    EXPECT_EQ(m_dialogs.inputRequests[0].prompt, "Eingabeaufforderung");
    EXPECT_EQ(m_dialogs.inputRequests[0].preset, m_environment.currentDir + "/");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("existiert nicht")) << m_dialogs.messages[0].toStdString();
    EXPECT_FALSE(registryAtKey().valueExists("Datenpath"));

    // Cancel keeps the preset, the working directory, which holds no quote table either; the
    // key without "Datenpath" leaves the network directory in the program's data folder.
    m_dialogs.messages.clear();
    m_dialogs.inputAnswers.push_back(std::nullopt);
    auto second = createFrame();
    EXPECT_EQ(second->DataDir, m_environment.currentDir + "/");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("keine Intraday-Datenbank"));
    EXPECT_EQ(paradox::session().netFileDir(), (m_home.path() / "Marlovex" / "Daten").string() + "/");

    const std::filesystem::path elsewhere = m_home.path() / "Kurse";
    m_home.writeFile("Kurse/Intraday.db", "table");
    m_dialogs.messages.clear();
    m_dialogs.inputAnswers.push_back(QString::fromStdString(elsewhere.string()));
    auto third = createFrame();
    EXPECT_EQ(third->DataDir, withSlash(elsewhere));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(registryAtKey().readString("Datenpath"), elsewhere.string() + "/");
}

TEST_F(MainFormTest, StoredBoundsAndMaximizedStateAreApplied) {
    registerDataDirectory();
    registry::Registry registry = registryAtKey();
    registry.writeInteger("ShowWinWidth", 900);
    registry.writeInteger("ShowWinHeight", 650);
    registry.writeInteger("ShowWinTop", 40);
    registry.writeInteger("ShowWinLeft", 70);
    auto frame = std::make_unique<TMainForm>(m_environment);
    EXPECT_EQ(frame->size(), QSize(900, 650));
    EXPECT_EQ(frame->pos(), QPoint(70, 40));
    EXPECT_FALSE(frame->windowState() & Qt::WindowMaximized);

    registry.writeBool("ShowWinMax", true);
    auto maximized = std::make_unique<TMainForm>(m_environment);
    EXPECT_TRUE(maximized->windowState() & Qt::WindowMaximized);
}

TEST_F(MainFormTest, ABrokenSettingsFileIsReportedAndLeftAsItWas) {
    const std::string broken =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex\r\n\"A\"=dword:zz\r\n";
    m_home.writeFile("config/Brelmund/Marlovex.reg", broken);
    m_home.writeFile("work/Daten/Intraday.db", "table");

    auto frame = createFrame();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("Marlovex.reg")) << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(frame->DataDir, m_environment.currentDir + "/Daten/");
    EXPECT_EQ(testing_support::readText(m_environment.registryFile), broken);
}

TEST_F(MainFormTest, AboutBoxShowsItsThreeLinesAndBothExitCommandsCloseTheFrame) {
    registerDataDirectory();
    auto frame = createFrame();
    QStringList lines;
    m_dialogs.onModal = [&](QDialog& dialog) {
        auto& information = dynamic_cast<companion::TInformation&>(dialog);
        lines << information.titleLine()->text() << information.platformLine()->text()
              << information.versionLine()->text();
        return int(QDialog::Accepted);
    };
    frame->command("berMarlovexDiagrammManager1")->trigger();
    EXPECT_EQ(lines,
              (QStringList{"Diagramm Manager für Marlovex", "für Windows(R) 95/98/ME/NT/2000/XP", "5.10"}));

    ASSERT_TRUE(frame->isVisible());
    frame->command("FileExitItem")->trigger();
    EXPECT_FALSE(frame->isVisible());
    frame->show();
    frame->command("Beenden1")->trigger();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(LayoutCommandsTest, TrackerWindowsOpenOnTheirPairOrOnTheirOwnChoice) {
    auto frame = createFrame();

    frame->OSToolOpen("DAX", "DAX Call 20000");
    ASSERT_EQ(frame->childForms().size(), 1);
    auto* tracker = qobject_cast<tracker::TOSP_Form*>(frame->childForms().front());
    ASSERT_NE(tracker, nullptr);
    EXPECT_EQ(tracker->Button1->text(), "DAX Call 20000");
    EXPECT_EQ(tracker->Button2->text(), "DAX");
    EXPECT_TRUE(frame->command("FileSaveItem")->isEnabled());
    EXPECT_FALSE(frame->command("ToolButton1")->isEnabled());

    frame->toolButton("ToolButton5")->click();
    ASSERT_EQ(frame->childForms().size(), 2);
    auto* empty = qobject_cast<tracker::TOSP_Form*>(frame->childForms().front());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Button1->text(), "Optionsschein");
    EXPECT_EQ(empty->Button2->text(), "Basiskurs");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
}

} // namespace
} // namespace marlovex::frame
