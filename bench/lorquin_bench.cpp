// One run of the quote-import program Lorquin, from start to exit, as the tracker starts it: a
// separate process that appends one quote to a quote table of 100,000 records. Measured for an
// index (random walk from its last quote), for a warrant (priced from its underlying) and for an
// index fetched from a real source, a local HTTP server answering one JSON quote.

#include "market/bulk_table_writer.h"
#include "market/market_tables.h"
#include "platform/formats/date_time.h"
#include "platform/registry/registry.h"
#include "support/test_http_server.h"

#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace market = marlovex::market;
using marlovex::paradox::Value;

constexpr int quoteCount = 100000;
constexpr int instrumentCount = 50;
constexpr std::int64_t dax = 846900;
constexpr std::int64_t daxCall = 731001;

// A data directory with Firma.db and a full Intraday.db, and the settings file that points
// Lorquin at it (through XDG_CONFIG_HOME, which the benchmark process hands to its children).
fs::path benchHome() {
    static const fs::path home = [] {
        const auto path = fs::temp_directory_path() / ("lorquin_bench_" + std::to_string(::getpid()));
        fs::remove_all(path);
        const auto data = path / "Daten";
        fs::create_directories(data);
        fs::create_directories(path / "config" / "Brelmund");

        const double today = marlovex::formats::datePart(marlovex::formats::now());
        const auto layout = market::instrumentTableLayout();
        market::BulkTableWriter instruments(data, layout);
        instruments.add(market::recordOf(layout, {{"Firma", Value(dax)},
                                                  {"FirmenName", Value(std::string("DAX"))},
                                                  {"Referenz", Value(24000.0)}}));
        instruments.add(market::recordOf(layout, {{"Firma", Value(daxCall)},
                                                  {"FirmenName", Value(std::string("DAX Call 24000"))},
                                                  {"Basis", Value(dax)},
                                                  {"Typ", Value(std::string("C"))},
                                                  {"Basispreis", Value(24000.0)},
                                                  {"Bezug", Value(0.01)},
                                                  {"Verfall", Value(today + 180)}}));
        instruments.write();

        // The index among 49 other instruments, each quoted every few seconds since midnight.
        market::BulkTableWriter quotes(data, market::quoteTableLayout());
        const int perInstrument = quoteCount / instrumentCount;
        for (int instrument = 0; instrument < instrumentCount; ++instrument) {
            const std::int64_t number = instrument == 0 ? dax : 100000 + instrument;
            for (int i = 0; i < perInstrument; ++i) {
                quotes.add({Value(number), Value(today + i / 86400.0), Value(24000.0 + (i % 100)),
                            Value(std::int64_t{i})});
            }
        }
        quotes.write();

        marlovex::registry::Registry settings(path / "config" / "Brelmund" / "Marlovex.reg");
        settings.openKey("\\SOFTWARE\\Brelmund\\Marlovex", true);
        settings.writeString("Datenpath", data.string());
        ::setenv("XDG_CONFIG_HOME", (path / "config").c_str(), 1);
        return path;
    }();
    return home;
}

bool runLorquin(std::int64_t instrument) {
    std::string program = LORQUIN_PATH;
    std::string number = std::to_string(instrument);
    std::string w = "/W";
    std::string d = "/D";
    char* argv[] = {program.data(), w.data(), number.data(), d.data(), nullptr};
    // The tracker reads the line a run prints; here it would only fill the benchmark's report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void lorquinRun(benchmark::State& state, std::int64_t instrument) {
    benchHome();
    for (auto _ : state) {
        if (!runLorquin(instrument)) {
            state.SkipWithError("Lorquin failed");
            break;
        }
    }
    state.counters["records"] = quoteCount;
}

// Kursquellen.ini turns the real source on for every instrument, so it lives only for the
// benchmark that measures it.
void LorquinSourceQuote(benchmark::State& state) {
    const auto configFile = benchHome() / "Daten" / "Kursquellen.ini";
    marlovex::testing_support::TestHttpServer server;
    // Untimed, so each run's quote is new and stored.
    server.respond("/quote",
                   marlovex::testing_support::CannedResponse::ok(R"({"last":24012.5})", "application/json"));
    std::ofstream(configFile) << "[Quelle]\nURL=" << server.url("/quote?s={Symbol}")
                              << "\nFormat=json\nSpalte.Kurs=/last\n[Symbole]\n"
                              << dax << "=^GDAXI\n";
    lorquinRun(state, dax);
    fs::remove(configFile);
}

void LorquinIndexQuote(benchmark::State& state) {
    lorquinRun(state, dax);
}

void LorquinWarrantQuote(benchmark::State& state) {
    lorquinRun(state, daxCall);
}

BENCHMARK(LorquinIndexQuote)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LorquinWarrantQuote)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LorquinSourceQuote)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(benchHome());
    return 0;
}
