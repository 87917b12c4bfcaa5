// Ticks of a tracker window, offscreen, with as many underlying quotes as warrant quotes:
//
// - IdleTick: nothing was stored since the last tick (the imports are off).
// - TickWithNewQuotes: another program stored one quote of each instrument since the last tick;
//   storing it is not timed.
// - TurboCoreShare: the running window in "Turbo" with both imports off, left to its timer for
//   a while; reports the share of one core that the process used (core_percent).
//
// Both tick kinds run at 1,000 + 1,000 and 100,000 + 100,000 quotes, so one run shows how the cost
// of a tick grows with the day.

#include "platform/paradox/table.h"
#include "platform/registry/registry.h"
#include "quote_table_fixture.h"
#include "tracker/window/tosp_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace px = marlovex::paradox;
using marlovex::tracker::TOSP_Form;

constexpr double oneSecond = 1.0 / 86400;

class BenchWindow {
public:
    explicit BenchWindow(int quotes)
        : m_directory(fs::temp_directory_path() /
                      ("tracker_tick_bench_" + std::to_string(::getpid()) + "_" + std::to_string(quotes))) {
        fs::remove_all(m_directory);
        // Today's quotes, so that the window asks nothing about an earlier trading day.
        const double today = marlovex::formats::datePart(marlovex::formats::now());
        marlovex::bench::writeTrackerDay(m_directory / "Daten", quotes, today);
        m_nextQuote = today + 0.75;

        marlovex::registry::Registry settings(m_directory / "Marlovex.reg");
        settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
        settings.writeString("Datenpath", (m_directory / "Daten").string() + "/");
        settings.writeString("OS_Option", "DAX Call");
        settings.writeString("OS_Basis", "DAX");
        settings.writeString("OS_Limitanpassung", "5%");

        marlovex::tracker::TrackerEnvironment environment =
            marlovex::tracker::TrackerEnvironment::ofProcess();
        environment.registryFile = m_directory / "Marlovex.reg";
        environment.programDir = m_directory.string();
        window = std::make_unique<TOSP_Form>(environment);
        window->resize(560, 420);
        window->show();
        window->Edit6->setText("1,2");
        window->Edit7->setText("1,8");
        // The first tick reads the whole day; the benchmarks time the ones after it.
        tick();
    }

    ~BenchWindow() {
        window.reset();
        fs::remove_all(m_directory);
    }

    void tick() {
        // The cycle is stopped: the tick starts no import and does not re-arm itself.
        window->Timer1Timer();
        QCoreApplication::processEvents();
    }

    // Stores one more quote of each instrument, as the import program would.
    void storeQuotes() {
        px::Table quotes;
        quotes.setDatabaseName(m_directory / "Daten");
        quotes.setTableName("Intraday.db");
        quotes.open();
        quotes.appendRecords(
            {{px::Value(marlovex::bench::benchWarrant), px::Value(m_nextQuote), px::Value(1.5),
              px::Value(std::int64_t{450000})},
             {px::Value(marlovex::bench::benchUnderlying), px::Value(m_nextQuote + oneSecond / 2),
              px::Value(20100.0), px::Value(px::Null{})}});
        m_nextQuote += oneSecond;
    }

    std::unique_ptr<TOSP_Form> window;

private:
    fs::path m_directory;
    double m_nextQuote = 0;
};

void BM_IdleTick(benchmark::State& state) {
    BenchWindow bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bench.tick();
    }
}
BENCHMARK(BM_IdleTick)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_TickWithNewQuotes(benchmark::State& state) {
    BenchWindow bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        bench.storeQuotes();
        state.ResumeTiming();
        bench.tick();
    }
}
BENCHMARK(BM_TickWithNewQuotes)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

double processSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void BM_TurboCoreShare(benchmark::State& state) {
    BenchWindow bench(static_cast<int>(state.range(0)));
    TOSP_Form& window = *bench.window;
    window.Turbo->setChecked(true);
    window.SpeedButton3Click(&window);
    window.SpeedButton4Click(&window);
    window.SpeedButton1Click(&window);
    constexpr int seconds = 20;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = processSeconds();
        // A loop of its own: quitting the application would first try to close the window.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = processSeconds() - cpuBefore;
        state.counters["core_percent"] = 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0);
    }
    window.SpeedButton1Click(&window);
}
BENCHMARK(BM_TurboCoreShare)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
