// Soak run of a tracker window in "Turbo" with the real import program: for the given number of
// minutes (default 10) the window ticks every half second and starts Lorquin for both
// instruments. Reports ticks, error messages and resident memory over time, and at the end
// checks that every imported quote is in the list. Exit status 1 when a tick failed, a quote is
// missing or memory kept growing.
//
//   tracker_soak [MINUTES]

#include "platform/paradox/table.h"
#include "platform/registry/registry.h"
#include "quote_table_fixture.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Counts the message boxes a tick would show; a soak run has nobody to click them away.
class CountingDialogs final : public marlovex::ui::DialogService {
public:
    int messages = 0;
    void showMessage(QWidget*, const QString& text) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString inputBox(QWidget*, const QString&, const QString&, const QString& preset) override {
        return preset;
    }
    QString openFileName(QWidget*, const marlovex::ui::FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const marlovex::ui::FileDialogRequest&) override { return {}; }
    int execModal(QDialog&) override { return 0; }
};

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

std::size_t warrantQuotes(const fs::path& directory) {
    marlovex::paradox::Table quotes;
    quotes.setDatabaseName(directory);
    quotes.setTableName("Intraday.db");
    quotes.open();
    std::size_t count = 0;
    for (quotes.first(); !quotes.eof(); quotes.next()) {
        count += quotes.field("Firma").asInteger() == marlovex::bench::benchWarrant ? 1 : 0;
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;

    const fs::path home = fs::temp_directory_path() / ("tracker_soak_" + std::to_string(::getpid()));
    const fs::path data = home / "Daten";
    // A morning of quotes that ends a minute ago, so that the imported ones follow on.
    marlovex::bench::writeTrackerDay(data, 2000, marlovex::formats::now() - 0.375 - 0.35 - 0.001);
    const fs::path settingsFile = home / "config" / "Brelmund" / "Marlovex.reg";
    {
        marlovex::registry::Registry settings(settingsFile);
        settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
        settings.writeString("Datenpath", data.string() + "/");
        settings.writeString("OS_Option", "DAX Call");
        settings.writeString("OS_Basis", "DAX");
        settings.writeBool("OS_Turbo", true);
    }
    // The import program finds the same settings through the environment it inherits.
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    CountingDialogs dialogs;
    marlovex::ui::setDialogService(&dialogs);
    marlovex::tracker::TrackerEnvironment environment = marlovex::tracker::TrackerEnvironment::ofProcess();
    environment.registryFile = settingsFile;
    environment.programDir = LORQUIN_DIR;
    auto window = std::make_unique<marlovex::tracker::TOSP_Form>(environment);
    window->resize(560, 420);
    window->show();

    long ticks = 0;
    QObject::connect(window->Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
    window->SpeedButton1Click(window.get());

    const long startMemory = residentKilobytes();
    long peakLateMemory = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 duration = static_cast<qint64>(minutes * 60000);
    qint64 nextReport = 0;
    while (clock.elapsed() < duration) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
        if (clock.elapsed() >= nextReport) {
            const long memory = residentKilobytes();
            if (clock.elapsed() > duration / 2) {
                peakLateMemory = std::max(peakLateMemory, memory);
            }
            std::printf("%6.1f s  ticks %6ld  rows %6d  memory %7ld kB  messages %d\n",
                        clock.elapsed() / 1000.0, ticks, window->DataSource1->rowCount(), memory,
                        dialogs.messages);
            std::fflush(stdout);
            nextReport += 30000;
        }
    }
    window->SpeedButton1Click(window.get());
    // Let the last imports finish, then scan once more.
    QThread::msleep(2000);
    window->Timer1Timer();

    const std::size_t stored = warrantQuotes(data);
    const long endMemory = residentKilobytes();
    // The first stored quote stays hidden behind the start time of the live update.
    const bool allShown = static_cast<std::size_t>(window->DataSource1->rowCount()) + 1 == stored;
    std::printf("ticks %ld, messages %d, warrant quotes stored %zu, listed %d, memory %ld -> %ld kB\n", ticks,
                dialogs.messages, stored, window->DataSource1->rowCount(), startMemory, endMemory);
    window.reset();
    fs::remove_all(home);
    // Memory is flat when the second half of the run ends no higher than it peaked in it.
    const bool flat = endMemory <= peakLateMemory + 2048;
    return dialogs.messages == 0 && allShown && flat ? 0 : 1;
}
