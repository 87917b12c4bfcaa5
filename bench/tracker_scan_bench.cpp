// The scan of a tracker's quote list, without tables or window: a whole day computed anew
// (Rescan), and a live update that appends one quote of each instrument to it (Extend).

#include "tracker/model/quote_scan.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using marlovex::tracker::QuoteScan;
using marlovex::tracker::ScanSources;
using marlovex::tracker::StoredQuote;

constexpr double morning = 46362.375;

struct Day {
    std::vector<StoredQuote> warrant;
    std::vector<StoredQuote> underlying;

    explicit Day(int quotes) {
        const double step = 0.35 / quotes;
        for (int i = 0; i < quotes; ++i) {
            add(morning + i * step, i);
        }
    }

    // The underlying's quote half a step after the warrant's, as the import program's runs
    // for the two instruments would store them.
    void add(double time, int i) {
        warrant.push_back({time, 1.0 + (i % 200) * 0.005, 450000 + i % 1000});
        underlying.push_back({time + 1e-7, 20000.0 + (i % 400), 0});
    }

    ScanSources sources() const {
        ScanSources sources;
        sources.warrant = warrant;
        sources.underlying = underlying;
        sources.underlyingOpen = true;
        sources.warrantFiltered = sources.referenceFiltered = sources.underlyingFiltered = true;
        sources.filter.OSFilterStart = warrant.front().time;
        sources.filter.BasisFilterStart = underlying.front().time;
        return sources;
    }
};

void BM_Rescan(benchmark::State& state) {
    const Day day(static_cast<int>(state.range(0)));
    QuoteScan scan;
    for (auto _ : state) {
        scan.rescan(day.sources());
        benchmark::DoNotOptimize(scan.extremes());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Rescan)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_Extend(benchmark::State& state) {
    const int quotes = static_cast<int>(state.range(0));
    Day day(quotes);
    QuoteScan scan;
    scan.rescan(day.sources());
    int next = quotes;
    for (auto _ : state) {
        state.PauseTiming();
        day.add(morning + 0.36 + next * 1e-6, next);
        ++next;
        state.ResumeTiming();
        scan.extend(day.sources());
        benchmark::DoNotOptimize(scan.extremes());
    }
}
BENCHMARK(BM_Extend)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
