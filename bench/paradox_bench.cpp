// Speed of the table engine on a quote table of the Intraday format (Firma, ZEIT, Kurs, Volumen,
// keyed on the first two): full scan side by side with pxlib, key searches, durable appends into
// tables of 1,000 and 100,000 quotes, and the memory an open view holds.

#include "platform/paradox/table.h"
#include "quote_table_fixture.h"

#include <benchmark/benchmark.h>

// pxlib's header declares C functions without C linkage for C++ callers.
extern "C" {
#include <paradox.h>
}

#include <filesystem>
#include <malloc.h>
#include <map>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace px = marlovex::paradox;

constexpr int kFirms = 100;
constexpr double kFirstDay = 46362.0;

fs::path benchDirectory() {
    static const fs::path directory = [] {
        auto path = fs::temp_directory_path() / ("paradox_bench_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
        return path;
    }();
    return directory;
}

double quoteTime(int index) {
    return kFirstDay + 0.375 + index / 86400.0;
}

// A quote table with `quotes` rows spread over kFirms instruments; built once per size.
fs::path quoteTable(int quotes) {
    static std::map<int, fs::path> tables;
    if (const auto it = tables.find(quotes); it != tables.end()) {
        return it->second;
    }
    std::vector<marlovex::bench::BenchQuote> rows;
    const int perFirm = quotes / kFirms;
    for (int firm = 1; firm <= kFirms; ++firm) {
        for (int i = 0; i < perFirm; ++i) {
            rows.push_back({firm, quoteTime(i), 10.0 + i * 0.01, std::int64_t{i}});
        }
    }
    const auto path = benchDirectory() / ("Intraday" + std::to_string(quotes) + ".db");
    marlovex::bench::writeQuoteTable(path, rows);
    tables[quotes] = path;
    return path;
}

void BM_FullScan_Engine(benchmark::State& state) {
    const auto path = quoteTable(100000);
    for (auto _ : state) {
        px::Table table;
        table.setTableName(path.string());
        table.open();
        auto firma = table.field("Firma");
        auto zeit = table.field("ZEIT");
        auto kurs = table.field("Kurs");
        auto volumen = table.field("Volumen");
        double sum = 0;
        for (table.first(); !table.eof(); table.next()) {
            sum += static_cast<double>(firma.asInteger()) + zeit.asDateTime() + kurs.asFloat() +
                   static_cast<double>(volumen.asInteger());
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}

void BM_FullScan_Pxlib(benchmark::State& state) {
    const auto path = quoteTable(100000);
    PX_boot();
    for (auto _ : state) {
        pxdoc_t* doc = PX_new();
        PX_open_file(doc, path.c_str());
        std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(doc)));
        const int count = PX_get_num_records(doc);
        double sum = 0;
        for (int i = 0; i < count; ++i) {
            PX_get_record(doc, i, record.data());
            long firma = 0;
            double zeit = 0;
            double kurs = 0;
            long volumen = 0;
            PX_get_data_long(doc, record.data(), 4, &firma);
            PX_get_data_double(doc, record.data() + 4, 8, &zeit);
            PX_get_data_double(doc, record.data() + 12, 8, &kurs);
            PX_get_data_long(doc, record.data() + 20, 4, &volumen);
            sum += static_cast<double>(firma) + zeit + kurs + static_cast<double>(volumen);
        }
        benchmark::DoNotOptimize(sum);
        PX_close(doc);
        PX_delete(doc);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}

std::vector<std::vector<px::Value>> randomKeys(bool exact) {
    std::mt19937 random(42);
    std::vector<std::vector<px::Value>> keys;
    for (int i = 0; i < 4096; ++i) {
        const int index = static_cast<int>(random() % 1000);
        const double time = exact ? quoteTime(index) : quoteTime(index) + 0.3 / 86400.0;
        keys.push_back({std::int64_t{1 + static_cast<int>(random() % kFirms)}, time});
    }
    return keys;
}

void BM_FindKey(benchmark::State& state) {
    px::Table table;
    table.setTableName(quoteTable(100000).string());
    table.open();
    const auto keys = randomKeys(true);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.findKey(keys[next++ % keys.size()]));
    }
}

void BM_FindNearest(benchmark::State& state) {
    px::Table table;
    table.setTableName(quoteTable(100000).string());
    table.open();
    const auto keys = randomKeys(false);
    std::size_t next = 0;
    for (auto _ : state) {
        table.findNearest(keys[next++ % keys.size()]);
    }
}

// One durable commit per iteration: the quote goes into the middle of the table (a random
// instrument), as the quote import does.
void BM_AppendDurable(benchmark::State& state) {
    const auto quotes = static_cast<int>(state.range(0));
    const auto source = quoteTable(quotes);
    const auto copy = benchDirectory() / ("Append" + std::to_string(quotes) + ".db");
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    fs::copy_file(px::TableStorage::indexPathFor(source), px::TableStorage::indexPathFor(copy),
                  fs::copy_options::overwrite_existing);
    px::Table table;
    table.setTableName(copy.string());
    table.open();
    std::mt19937 random(7);
    int counter = 0;
    for (auto _ : state) {
        table.append();
        table.field("Firma").setInteger(1 + static_cast<int>(random() % kFirms));
        table.field("ZEIT").setDateTime(kFirstDay + 0.9 + (counter++) / 86400.0);
        table.field("Kurs").setFloat(12.5);
        table.post();
    }
}

// Heap bytes in use, small and mapped blocks alike.
std::size_t heapBytes() {
    const auto info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_OpenViewMemory(benchmark::State& state) {
    const auto path = quoteTable(100000);
    double megabytes = 0;
    for (auto _ : state) {
        const auto before = heapBytes();
        px::Table table;
        table.setTableName(path.string());
        table.open();
        for (table.first(); !table.eof(); table.next()) {
        }
        megabytes = static_cast<double>(heapBytes() - before) / (1024.0 * 1024.0);
    }
    state.counters["view_MB"] = megabytes;
}

BENCHMARK(BM_FullScan_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScan_Pxlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindKey);
BENCHMARK(BM_FindNearest);
BENCHMARK(BM_AppendDurable)->Arg(1000)->Arg(100000)->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenViewMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(benchDirectory());
    return 0;
}
