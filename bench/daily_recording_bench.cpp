// One press of "Eintragen" over a whole instrument list: each instrument's last intraday quote
// found, its daily price and volume compared and, where the day moved on, written.
//
// BM_PressWithNothingNew: a second press of the day, which only reads.
// BM_PressAfterNewQuotes: every instrument has a new last price and volume, so each press edits
// one daily price and one daily volume record per instrument (two durable commits each).

#include "market/bulk_table_writer.h"
#include "market/market_tables.h"
#include "platform/formats/date_time.h"
#include "platform/registry/registry.h"
#include "tracker/window/tosp_form.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using marlovex::paradox::Value;

constexpr int quotesPerInstrument = 300;
constexpr int historyDays = 30;

// Instrument i is number 1000 + i, named "Wert i"; the first two are the window's pair.
std::string nameOf(int instrument) {
    return "Wert " + std::to_string(instrument);
}

// The day's quotes; `round` moves every instrument's last price and volume, as a later import would.
void writeQuotes(const fs::path& directory, int instruments, double day, int round) {
    marlovex::market::BulkTableWriter quotes(directory, marlovex::market::quoteTableLayout());
    for (int i = 0; i < instruments; ++i) {
        for (int q = 0; q < quotesPerInstrument; ++q) {
            const double time = day + 0.375 + q * (0.35 / quotesPerInstrument);
            const bool last = q == quotesPerInstrument - 1;
            const double price = 10.0 + i + (q % 50) * 0.01 + (last ? round * 0.01 : 0);
            const std::int64_t volume = 5000 + q + (last ? round : 0);
            quotes.add({Value(std::int64_t{1000 + i}), Value(time), Value(price), Value(volume)});
        }
    }
    quotes.write();
}

// A data directory with the instruments, their day of quotes and a month of daily history.
fs::path benchDirectory(int instruments) {
    namespace market = marlovex::market;
    const fs::path directory =
        fs::temp_directory_path() /
        ("daily_recording_bench_" + std::to_string(::getpid()) + "_" + std::to_string(instruments));
    fs::remove_all(directory);
    const fs::path data = directory / "Daten";
    fs::create_directories(data);
    const double today = marlovex::formats::datePart(marlovex::formats::now());

    const market::TableLayout instrumentLayout = market::instrumentTableLayout();
    market::BulkTableWriter list(data, instrumentLayout);
    for (int i = 0; i < instruments; ++i) {
        list.add(market::recordOf(
            instrumentLayout, {{"Firma", Value(std::int64_t{1000 + i})}, {"FirmenName", Value(nameOf(i))}}));
    }
    list.write();
    writeQuotes(data, instruments, today, 0);
    market::BulkTableWriter prices(data, market::dailyPriceTableLayout());
    market::BulkTableWriter volumes(data, market::dailyVolumeTableLayout());
    for (int i = 0; i < instruments; ++i) {
        for (int d = historyDays; d >= 1; --d) {
            const std::int64_t number = 1000 + i;
            prices.add({Value(number), Value(today - d), Value(10.0 + i)});
            volumes.add({Value(number), Value(today - d), Value(std::int64_t{100000})});
        }
    }
    prices.write();
    volumes.write();

    marlovex::registry::Registry settings(directory / "Marlovex.reg");
    settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
    settings.writeString("Datenpath", data.string() + "/");
    settings.writeString("OS_Option", nameOf(1));
    settings.writeString("OS_Basis", nameOf(0));
    return directory;
}

std::unique_ptr<marlovex::tracker::TOSP_Form> windowOn(const fs::path& directory) {
    marlovex::tracker::TrackerEnvironment environment = marlovex::tracker::TrackerEnvironment::ofProcess();
    environment.registryFile = directory / "Marlovex.reg";
    environment.programDir = directory.string();
    auto window = std::make_unique<marlovex::tracker::TOSP_Form>(environment);
    window->show();
    return window;
}

void BM_PressWithNothingNew(benchmark::State& state) {
    const int instruments = static_cast<int>(state.range(0));
    const fs::path directory = benchDirectory(instruments);
    auto window = windowOn(directory);
    window->EintragenClick();
    for (auto _ : state) {
        window->EintragenClick();
    }
    state.counters["instruments/s"] =
        benchmark::Counter(static_cast<double>(instruments), benchmark::Counter::kIsIterationInvariantRate);
    window.reset();
    fs::remove_all(directory);
}
BENCHMARK(BM_PressWithNothingNew)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PressAfterNewQuotes(benchmark::State& state) {
    const int instruments = static_cast<int>(state.range(0));
    const fs::path directory = benchDirectory(instruments);
    const double today = marlovex::formats::datePart(marlovex::formats::now());
    auto window = windowOn(directory);
    window->EintragenClick();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writeQuotes(directory / "Daten", instruments, today, ++round);
        state.ResumeTiming();
        window->EintragenClick();
    }
    window.reset();
    fs::remove_all(directory);
}
BENCHMARK(BM_PressAfterNewQuotes)->Arg(100)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
