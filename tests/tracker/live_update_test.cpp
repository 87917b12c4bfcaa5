#include "companion/http_get_form.h"
#include "tracker/chart/colour_line.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker_window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace marlovex::tracker {
namespace {

class LiveUpdateTest : public TrackerWindowTest {
protected:
    LiveUpdateTest() { rememberCallOnDax(); }

    void tick(std::unique_ptr<TOSP_Form>& window) { window->Timer1Timer(); }
};

TEST_F(LiveUpdateTest, StartingTakesTheFilterStartTimesAndArmsTheTimerAndStoppingAbortsTheDownload) {
    auto window = createWindow();
    window->SpeedButton2->click();
    EXPECT_TRUE(window->isRunning());
    EXPECT_TRUE(window->SpeedButton2->isHidden());
    EXPECT_EQ(window->SpeedButton1->toolTip(), "automatische Aktualisierung läuft");
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 30000);
    EXPECT_DOUBLE_EQ(window->tables.filter.OSFilterStart, TradingDay::at(9, 0, 0));
    EXPECT_DOUBLE_EQ(window->tables.filter.BasisFilterStart, TradingDay::at(9, 0, 0));
    // The earliest quote of each instrument dropped out of list and chart at once.
    ASSERT_EQ(window->DataSource1->rowCount(), 1);
    EXPECT_EQ(window->DataSource1->index(0, 0).data().toString(), "09:06:00");
    EXPECT_EQ(window->DBChart1->Series1->dataCount(), 1);
    EXPECT_EQ(window->DBChart1->Series2->dataCount(), 1);

    tick(window);
    EXPECT_EQ(window->DataSource1->rowCount(), 1);
    EXPECT_EQ(m_started.size(), 2u);
    EXPECT_TRUE(window->Timer1->isActive());

    window->Turbo->setChecked(true);
    tick(window);
    EXPECT_EQ(window->Timer1->interval(), 500);

    // Stopping aborts a running download and switches the imports on again.
    window->SpeedButton3Click(window.get());
    companion::THttpGetForm* download = companion::HttpGetForm();
    ASSERT_NE(download, nullptr);
    download->show();
    download->busy = true;
    download->HttpCli1()->setRunning(true);

    window->SpeedButton1->click();
    EXPECT_FALSE(window->isRunning());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(download->HttpCli1()->isRunning());
    EXPECT_FALSE(download->busy);
    EXPECT_TRUE(download->resetAfterAbort);
    EXPECT_FALSE(download->isVisible());
    EXPECT_TRUE(window->SpeedButton3->isEnabled());
    EXPECT_TRUE(window->SpeedButton4->isEnabled());
    EXPECT_EQ(window->SpeedButton1->toolTip(), "automatische Aktualisierung starten");
}

TEST_F(LiveUpdateTest, ATickNeverOverlapsItselfAndAFailureShowsTheCycleStopped) {
    auto window = createWindow();
    std::vector<bool> timerActiveDuringImport;
    m_onStart = [&] { timerActiveDuringImport.push_back(window->Timer1->isActive()); };
    window->SpeedButton1Click(window.get());
    QMetaObject::invokeMethod(window->Timer1, "timeout");
    EXPECT_EQ(timerActiveDuringImport, (std::vector<bool>{false, false}));
    EXPECT_TRUE(window->Timer1->isActive());

    // A quote table damaged under the window after another program's write: the message, no
    // further ticks, and the buttons offer to start again.
    m_day.addQuote(warrantNumber, 9, 7, 0, 1.65);
    m_day.writeFile("Intraday.db", "kein Paradox");
    QMetaObject::invokeMethod(window->Timer1, "timeout");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains("Intraday")) << m_dialogs.messages[0].toStdString();
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(window->isRunning());
    EXPECT_FALSE(window->SpeedButton2->isHidden());
    EXPECT_EQ(window->SpeedButton1->toolTip(), "automatische Aktualisierung starten");
}

TEST_F(LiveUpdateTest, ACycleWithoutBothInstrumentsKeepsRunningAndImportsTheChosenOneButCalculatesNothing) {
    registry::Registry stored = settings();
    stored.deleteValue("OS_Option");
    stored.deleteValue("OS_Basis");
    auto window = createWindow();
    window->SpeedButton2->click();
    QMetaObject::invokeMethod(window->Timer1, "timeout");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_TRUE(m_started.empty());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(window->isRunning());

    // Only the warrant chosen so far: its import runs, the cycle goes on.
    answerPicker("DAX Call 20000");
    window->Button1->click();
    QMetaObject::invokeMethod(window->Timer1, "timeout");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0].arguments, (std::vector<std::string>{"/W", "17", "/D"}));
    EXPECT_TRUE(window->Timer1->isActive());
    // Without the underlying's view the tick only re-arms itself.
    EXPECT_EQ(window->Label41->text(), "Kurs");
}

TEST_F(LiveUpdateTest, InputsThatAreNoNumbersAreRepairedButNotWhileTheyAreBeingTyped) {
    auto window = createWindow();
    window->Edit1->setText("1,6x");
    tick(window);
    // The repaired warrant estimate converts through the flat ratio into "0,00", which the next
    // repair writes as "0" and converts back into the warrant's latest price.
    EXPECT_EQ(window->Edit2->text(), "0");
    EXPECT_EQ(window->Edit1->text(), "1,60");

    window->Edit9->clear();
    window->Edit1->setText("1,6x");
    window->Edit3->setText("1,500");
    window->Edit2->setText("");
    window->CalcEnabled = false;
    tick(window);
    EXPECT_EQ(window->Edit9->text(), "1000");
    EXPECT_EQ(window->Edit1->text(), "1,6");
    EXPECT_EQ(window->Edit3->text(), "1,5");
    EXPECT_EQ(window->Edit2->text(), "20050");
    EXPECT_TRUE(window->CalcEnabled);

    // Running, ticks leave the field being typed in alone until the editing ends.
    window->Turbo->setChecked(true);
    window->SpeedButton2->click();
    window->PageControl1->setCurrentWidget(window->TabSheet3);
    QApplication::setActiveWindow(window.get());
    window->Edit1->setFocus();
    ASSERT_TRUE(window->Edit1->hasFocus());

    // Typed slowly, a tick between every key.
    window->Edit1->clear();
    for (const QString& key :
         {QStringLiteral("1"), QStringLiteral("9"), QStringLiteral(","), QStringLiteral("5")}) {
        window->Edit1->insert(key);
        tick(window);
    }
    EXPECT_EQ(window->Edit1->text(), "19,5");

    // The quantity is no number while it is typed; it is repaired once the user leaves it.
    window->Edit9->setFocus();
    window->Edit9->clear();
    window->Edit9->insert("x");
    const QString profit = window->Panel9->text();
    QMetaObject::invokeMethod(window->Timer1, "timeout");
    EXPECT_EQ(window->Edit9->text(), "x");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Panel9->text(), profit);
    window->Edit3->setFocus();
    EXPECT_EQ(window->Edit9->text(), "1000");
    EXPECT_EQ(window->Edit1->text(), "19,5");
    tick(window);
    EXPECT_EQ(window->Edit9->text(), "1000");
}

TEST_F(LiveUpdateTest, HeadersStatisticsAndProfitShowTheLatestPricesTheDaysExtremesAndTheFees) {
    registry::Registry registry = settings();
    registry.writeFloat("Bank", 0.25);
    registry.writeFloat("Clearing", 5.0);
    auto window = createWindow();
    tick(window);
    EXPECT_EQ(window->Label41->text(), "1,600");
    EXPECT_EQ(window->Label42->text(), "09:06:00");
    EXPECT_EQ(window->Label34->text(), "1,60");
    EXPECT_EQ(window->Label44->text(), "20.050,0");
    EXPECT_EQ(window->Label43->text(), "09:05:00");
    EXPECT_EQ(window->Label33->text(), "20050,00");
    EXPECT_EQ(window->caption(), "1,6");
    // Purchase prices of 0 give the full price as change and leave the percentages alone.
    EXPECT_EQ(window->Label48->text(), "1,60");
    EXPECT_EQ(window->Label49->text(), "ProzKauf");
    EXPECT_EQ(window->Label46->text(), "20.050,00");
    EXPECT_EQ(window->Label47->text(), "ProzKauf");
    EXPECT_EQ(window->Panel9->text(), "1.600,00");
    EXPECT_EQ(textColour(window->Panel9), black);
    // The statistics: the day's extremes, their times and the ratio of the ranges.
    EXPECT_EQ(window->Label72->text(), "1,60");
    EXPECT_EQ(window->Label71->text(), "1,50");
    EXPECT_EQ(window->Label70->text(), "09:06:00");
    EXPECT_EQ(window->Label69->text(), "09:00:00");
    EXPECT_EQ(window->Label9->text(), "1,60");
    EXPECT_EQ(window->Label10->text(), "20.050,00");
    EXPECT_DOUBLE_EQ(window->OSBasisRatio, 0.1 / 50.0);
    EXPECT_EQ(window->Label13->text(), "0,002");
    EXPECT_EQ(window->Label21->text(), "0,100");
    EXPECT_EQ(window->Label18->text(), "50,000");
    EXPECT_EQ(window->Label14->text(), "20.000,00");
    EXPECT_EQ(window->Label15->text(), "20.050,00");

    window->Edit3->setText("1,70");
    window->Edit8->setText("20000");
    tick(window);
    EXPECT_EQ(window->Label49->text(), "-5,88 %");
    EXPECT_EQ(window->Label47->text(), "0,25 %");
    EXPECT_EQ(window->Panel9->text(), "-100,00");
    EXPECT_EQ(textColour(window->Panel9), red);

    // Fees come off the profit and raise the break-even line.
    window->Edit3->setText("1,5");
    window->CheckBox4->setChecked(true);
    window->CheckBox6->setChecked(true);
    tick(window);
    // Selling 1000 at 1,60: 4,00 + 5; buying at 1,50: 3,75 + 5.
    EXPECT_EQ(window->Panel9->text(), "82,25");
    EXPECT_TRUE(window->DBChart1->ChartTool4->isVisible());
    EXPECT_NEAR(window->DBChart1->ChartTool4->value(), (1500.0 + 17.75) / 1000.0, 1e-12);
    // Without a quantity there is no break-even price: the line stays.
    window->Edit9->setText("0");
    window->CheckBox6->setChecked(false);
    tick(window);
    EXPECT_NEAR(window->DBChart1->ChartTool4->value(), 1.51775, 1e-12);
    EXPECT_TRUE(window->DBChart1->ChartTool4->isVisible());
}

TEST_F(LiveUpdateTest, ATickAppendsNewQuotesChangesTheRowsTheyConcernAndALateOneRebuilds) {
    auto window = createWindow();
    tick(window);
    QuoteListModel& list = *window->DataSource1;
    QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(&list, &QAbstractItemModel::dataChanged);
    ASSERT_EQ(list.rowCount(), 2);
    // The chart fits its axes from the scan's ranges and widens the value axes; QCustomPlot's
    // own rescale over every point, from where the axes stood, must come to the same.
    TrackerChart& chart = *window->DBChart1;
    const QList<QCPAxis*> axes{chart.xAxis, chart.warrantAxis(), chart.underlyingAxis(), chart.deltaAxis()};
    const auto tickAndCompareTheAxes = [&] {
        QList<QCPRange> before;
        for (QCPAxis* axis : axes) {
            before.push_back(axis->range());
        }
        tick(window);
        for (qsizetype i = 0; i < axes.size(); ++i) {
            const QCPRange fitted = axes[i]->range();
            axes[i]->setRange(before[i]);
            axes[i]->rescale();
            if (axes[i] != chart.xAxis) {
                axes[i]->scaleRange(1.1, axes[i]->range().center());
            }
            EXPECT_DOUBLE_EQ(axes[i]->range().lower, fitted.lower) << "axis " << i;
            EXPECT_DOUBLE_EQ(axes[i]->range().upper, fitted.upper) << "axis " << i;
        }
    };

    // Its delta is the only one: a flat series.
    m_day.addQuote(warrantNumber, 9, 20, 0, 1.75, 450000);
    tickAndCompareTheAxes();
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserts.size(), 1);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(window->DBChart1->Series1->dataCount(), 3);
    // Later than every underlying quote: it sees the last one.
    EXPECT_EQ(list.index(2, 3).data().toString(), "20050");
    EXPECT_EQ(window->Label41->text(), "1,750");
    // The cursor's own calculation, which the header and the exports read, also refers to the
    // quote before it.
    window->tables.Table1.last();
    EXPECT_NEAR(window->tables.Table1.field("Kurs-Diff").asFloat(), 1.75 - 1.60, 1e-9);

    m_day.addQuote(daxNumber, 9, 21, 0, 20200.0);
    tickAndCompareTheAxes();
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(list.index(2, 3).data().toString(), "20200");
    EXPECT_EQ(window->DBChart1->Series2->dataCount(), 3);
    EXPECT_EQ(window->Label44->text(), "20.200,0");
    EXPECT_EQ(window->Label43->text(), "09:21:00");

    m_day.addQuote(warrantNumber, 9, 3, 0, 1.55, 600000);
    tickAndCompareTheAxes();
    EXPECT_EQ(resets.size(), 1);
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.index(1, 0).data().toString(), "09:03:00");
    EXPECT_EQ(window->DBChart1->Series1->dataCount(), 4);
}

TEST_F(LiveUpdateTest, PercentagesAndPointsTrailTheLevelsBehindTheDaysExtremes) {
    // A second warrant whose extremes lie apart from its shown range.
    m_day.addInstrument(18, "DAX Put 21000");
    m_day.addQuote(18, 9, 10, 0, 0.80);
    m_day.addQuote(18, 9, 11, 0, 1.234);
    m_day.addQuote(18, 9, 12, 0, 1.0);
    settings().writeString("OS_Option", "DAX Put 21000");
    auto window = createWindow();
    window->Edit10->setText("5%");
    tick(window);
    EXPECT_EQ(window->Edit7->text(), "1,17");
    EXPECT_EQ(window->Edit6->text(), "0,84");

    window->Edit10->setText("0,05");
    tick(window);
    EXPECT_EQ(window->Edit7->text(), "1,18");
    EXPECT_EQ(window->Edit6->text(), "0,85");
}

TEST_F(LiveUpdateTest, AnInstrumentsNextImportWaitsUntilItsLastOneHasEndedAndTheStatusLineMirrorsItsOwnForm) {
    std::vector<ProgramFinished> running;
    m_startProgram = [&](QObject*, const std::string& program, const std::vector<std::string>& arguments,
                         ProgramFinished finished) {
        m_started.push_back({program, arguments});
        running.push_back(std::move(finished));
    };
    auto window = createWindow();
    window->Turbo->setChecked(true);
    window->SpeedButton2->click();
    tick(window);
    tick(window);
    EXPECT_EQ(m_started.size(), 2u);
    const companion::THttpGetForm* form = window->findChild<companion::THttpGetForm*>();
    EXPECT_EQ(form->statusPanelText(0), "DAX: Import läuft");

    // The warrant's run ends with a failure; only the warrant is started again.
    running[0](ProgramOutcome{1, "", "Lorquin /W 17: Die Quelle antwortet nicht."});
    tick(window);
    ASSERT_EQ(m_started.size(), 3u);
    EXPECT_EQ(m_started[2].arguments[1], "17");
    EXPECT_EQ(form->statusPanelText(0), "DAX Call 20000: Import fehlgeschlagen");
    EXPECT_EQ(form->statusPanelText(1), "Lorquin /W 17: Die Quelle antwortet nicht.");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_TRUE(window->isRunning());

    // The status line mirrors the window's own form, also once a second tracker's is the current.
    const QString status = "DAX Call 20000: Import fehlgeschlagen Lorquin /W 17: Die Quelle antwortet nicht.";
    QMetaObject::invokeMethod(window->Timer2, "timeout");
    EXPECT_EQ(window->Label65->text(), status);
    EXPECT_TRUE(window->Timer2->isActive());
    auto second = createWindow();
    companion::HttpGetForm()->setStatusPanelText(0, "Anderes");
    window->Timer2Timer();
    second->Timer2Timer();
    EXPECT_EQ(window->Label65->text(), status);
    EXPECT_EQ(second->Label65->text(), "Anderes ");

    // Switching the warrant's import off takes its failure off the status line.
    window->SpeedButton3Click(window.get());
    tick(window);
    EXPECT_EQ(form->statusPanelText(0), "DAX: Import läuft");
}

TEST_F(LiveUpdateTest, TheTimeOfAQuoteThatNoImportRenewedForThreeTicksTurnsRed) {
    auto window = createWindow();
    // Stopped, nothing is expected to come.
    tick(window);
    EXPECT_EQ(textColour(window->Label42), black);
    EXPECT_EQ(textColour(window->Label43), black);

    // Running every 30 seconds, the quotes of 09:05 and 09:06 are hours old at 15:00.
    window->SpeedButton2->click();
    tick(window);
    EXPECT_EQ(textColour(window->Label42), red);
    EXPECT_EQ(textColour(window->Label43), red);

    // A warrant quote of 14:58:31 is 89 seconds old: still within three ticks.
    m_day.addQuote(warrantNumber, 14, 58, 31, 1.70);
    tick(window);
    EXPECT_EQ(textColour(window->Label42), black);
    EXPECT_EQ(textColour(window->Label43), red);

    // In Turbo three ticks are a second and a half.
    window->Turbo->setChecked(true);
    tick(window);
    EXPECT_EQ(textColour(window->Label42), red);

    // No new quote is expected where the import is off or the list ends at a chosen time.
    window->SpeedButton3Click(window.get());
    tick(window);
    EXPECT_EQ(textColour(window->Label42), black);
    EXPECT_EQ(textColour(window->Label43), red);
    window->CheckBox3->setChecked(true);
    tick(window);
    EXPECT_EQ(textColour(window->Label43), black);
}

} // namespace
} // namespace marlovex::tracker
