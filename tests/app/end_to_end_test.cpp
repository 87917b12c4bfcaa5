// The whole road of a quote: the frame opens a tracker, whose ticks start the real import
// program, which stores quotes that the next ticks show in the list.
#include "companion/http_get_form.h"
#include "frame/main_form.h"
#include "platform/paradox/table.h"
#include "platform/registry/registry.h"
#include "support/scripted_dialogs.h"
#include "support/temp_directory.h"
#include "support/trading_day.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/tosp_form.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

namespace marlovex {
namespace {

using testing_support::daxNumber;
using testing_support::warrantNumber;

std::size_t quotesOf(const std::filesystem::path& directory, std::int64_t instrument) {
    paradox::Table quotes;
    quotes.setDatabaseName(directory);
    quotes.setTableName("Intraday.db");
    quotes.open();
    std::size_t count = 0;
    for (quotes.first(); !quotes.eof(); quotes.next()) {
        count += quotes.field("Firma").asInteger() == instrument ? 1 : 0;
    }
    return count;
}

// Imports started by the tracker and not yet reported back to it.
int runningImports = 0;

// The import program runs on its own; wait until it has stored what the tick asked for and the
// tracker has heard it end, as it would between two ticks.
bool waitForQuotes(const std::filesystem::path& directory, std::size_t warrant, std::size_t underlying) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (runningImports == 0 && quotesOf(directory, warrantNumber) >= warrant &&
            quotesOf(directory, daxNumber) >= underlying) {
            return true;
        }
    }
    return false;
}

TEST(EndToEndTest, ImportedQuotesReachTheTrackersList) {
    testing_support::TempDirectory home;
    testing_support::TradingDay day;
    testing_support::ScriptedDialogs dialogs;
    // The trading day lies in the past: keep its quotes.
    dialogs.yesNoAnswers.assign(4, false);
    day.addQuote(daxNumber, 9, 0, 0, 20000.0);
    day.addQuote(daxNumber, 9, 5, 0, 20050.0);
    day.addQuote(warrantNumber, 9, 0, 0, 1.50);
    day.addQuote(warrantNumber, 9, 6, 0, 1.60);

    const std::filesystem::path settingsFile = home.path() / "config" / "Brelmund" / "Marlovex.reg";
    registry::Registry settings(settingsFile);
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString("Datenpath", day.directory().string() + "/");
    // The import program finds the same settings through the environment it inherits.
    ::setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);

    frame::FrameEnvironment environment = frame::processEnvironment({});
    environment.registryFile = settingsFile;
    environment.trackerEnvironment = tracker::TrackerEnvironment::ofProcess();
    environment.trackerEnvironment.registryFile = settingsFile;
    environment.trackerEnvironment.programDir = LORQUIN_DIR;
    environment.trackerEnvironment.startProgram = [](QObject* owner, const std::string& program,
                                                     const std::vector<std::string>& arguments,
                                                     const tracker::ProgramFinished& finished) {
        ++runningImports;
        tracker::startWatchedProgram(owner, program, arguments,
                                     [finished](const tracker::ProgramOutcome& outcome) {
                                         --runningImports;
                                         finished(outcome);
                                     });
    };
    frame::TMainForm frame(environment);
    frame.show();

    frame.OSToolOpen("DAX", "DAX Call 20000");
    auto* tracker = qobject_cast<tracker::TOSP_Form*>(frame.childForms().front());
    ASSERT_NE(tracker, nullptr);
    ASSERT_TRUE(tracker->isRunning());

    for (std::size_t tick = 1; tick <= 3; ++tick) {
        tracker->Timer1Timer();
        ASSERT_TRUE(waitForQuotes(day.directory(), 2 + tick, 2 + tick)) << "tick " << tick;
    }
    tracker->Timer1Timer();
    // The first stored quote stays hidden behind the start time; every imported one is listed.
    EXPECT_GE(tracker->DataSource1->rowCount(), 1 + 3);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("|").toStdString();
    tracker->SpeedButton1Click(tracker);
    ASSERT_TRUE(waitForQuotes(day.directory(), 2 + 4, 2 + 4));
    // The real program reports the time of what it stored.
    const QString status = tracker->findChild<companion::THttpGetForm*>()->statusPanelText(0) + ' ' +
                           tracker->findChild<companion::THttpGetForm*>()->statusPanelText(1);
    EXPECT_TRUE(status.contains("Import fertig letzter Kurs ")) << status.toStdString();
}

} // namespace
} // namespace marlovex
