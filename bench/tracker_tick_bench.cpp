// One whole tick of a tracker window, offscreen: the statistics scan, the chart refresh from the
// tables and every label, with as many underlying quotes as warrant quotes.

#include "platform/registry/registry.h"
#include "quote_table_fixture.h"
#include "tracker/window/tosp_form.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path benchDirectory(int quotes) {
    const fs::path directory =
        fs::temp_directory_path() /
        ("tracker_tick_bench_" + std::to_string(::getpid()) + "_" + std::to_string(quotes));
    fs::remove_all(directory);
    // Today's quotes, so that the window asks nothing about an earlier trading day.
    marlovex::bench::writeTrackerDay(directory / "Daten", quotes,
                                     marlovex::formats::datePart(marlovex::formats::now()));

    marlovex::registry::Registry settings(directory / "Marlovex.reg");
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString("Datenpath", (directory / "Daten").string() + "/");
    settings.writeString("OS_Option", "DAX Call");
    settings.writeString("OS_Basis", "DAX");
    settings.writeString("OS_Limitanpassung", "5%");
    return directory;
}

void BM_WholeTick(benchmark::State& state) {
    const int quotes = static_cast<int>(state.range(0));
    const fs::path directory = benchDirectory(quotes);
    marlovex::tracker::TrackerEnvironment environment = marlovex::tracker::TrackerEnvironment::ofProcess();
    environment.registryFile = directory / "Marlovex.reg";
    environment.programDir = directory.string();
    auto window = std::make_unique<marlovex::tracker::TOSP_Form>(environment);
    window->resize(560, 420);
    window->show();
    window->Edit6->setText("1,2");
    window->Edit7->setText("1,8");
    for (auto _ : state) {
        // The cycle is stopped: the tick starts no import and does not re-arm itself.
        window->Timer1Timer();
        QCoreApplication::processEvents();
    }
    window.reset();
    fs::remove_all(directory);
}
BENCHMARK(BM_WholeTick)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
