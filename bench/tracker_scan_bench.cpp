// The statistics scan of a tracker window's warrant quotes as each live-update tick runs it:
// every row of Table1 passes through the calculated fields (exact search, step back and two
// nearest searches), with as many underlying quotes as warrant quotes.

#include "quote_table_fixture.h"
#include "tracker/live/quote_tables.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace px = marlovex::paradox;
using marlovex::tracker::QuoteTables;

constexpr double tradingDay = 46362.0;

fs::path dataDirectory(int quotes) {
    const fs::path directory =
        fs::temp_directory_path() /
        ("tracker_scan_bench_" + std::to_string(::getpid()) + "_" + std::to_string(quotes));
    if (fs::exists(directory)) {
        return directory;
    }
    marlovex::bench::writeTrackerDay(directory, quotes, tradingDay);
    return directory;
}

void BM_StatisticsScan(benchmark::State& state) {
    const int quotes = static_cast<int>(state.range(0));
    QuoteTables tables;
    tables.setDatabaseName(dataDirectory(quotes));
    tables.Table3.open();
    tables.Table3.findKey({px::Value(std::string("DAX Call"))});
    tables.Table5.open();
    tables.Table5.findKey({px::Value(std::string("DAX"))});
    tables.Table4.open();
    tables.Table1.open();
    tables.Table2.open();
    for (auto _ : state) {
        px::Table& list = tables.Table1;
        list.disableControls();
        list.first();
        tables.statistics.resetForScan();
        list.refresh();
        for (list.first(); !list.eof(); list.next()) {
        }
        list.enableControls();
        benchmark::DoNotOptimize(tables.statistics.OSMax);
    }
    state.SetComplexityN(quotes);
}
BENCHMARK(BM_StatisticsScan)->Arg(1000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

BENCHMARK_MAIN();
