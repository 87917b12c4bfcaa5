// One writer process and two reader processes share a quote table for 20 seconds: the readers
// refresh continuously and never fail nor see a torn or unordered table; at the end the table
// holds every quote the writer committed.

#include "platform/paradox/table.h"
#include "shared_quotes.h"
#include "support/temp_directory.h"

#include <array>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kDuration = std::chrono::seconds(20);

// Forks a child that runs `body` and exits with its result; the child never returns here.
pid_t startChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        int result = 1;
        try {
            result = body();
        } catch (...) {
            result = 3;
        }
        ::_exit(result);
    }
    return child;
}

// Waits for the child; returns its exit code, or -signal when a signal ended it.
int waitChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Exit codes of a reader.
constexpr int kReaderSound = 0;
constexpr int kReaderSawDamage = 1;

int readContinuously(const fs::path& path, Clock::time_point end) {
    Table table;
    table.setTableName(path.string());
    table.open();
    std::size_t previousCount = 0;
    std::size_t refreshes = 0;
    while (Clock::now() < end) {
        table.refresh();
        ++refreshes;
        std::size_t count = 0;
        std::pair<std::int64_t, double> previousKey{-1, 0.0};
        for (table.first(); !table.eof(); table.next(), ++count) {
            const std::pair<std::int64_t, double> key{table.field("Firma").asInteger(),
                                                      table.field("ZEIT").asDateTime()};
            if (!(previousKey < key) || !testing::quoteIsWhole(table)) {
                std::cerr << "reader: unordered or torn row " << count << "\n";
                return kReaderSawDamage;
            }
            previousKey = key;
        }
        if (count < previousCount) {
            std::cerr << "reader: the table shrank from " << previousCount << " to " << count << "\n";
            return kReaderSawDamage;
        }
        previousCount = count;
    }
    return refreshes > 0 ? kReaderSound : kReaderSawDamage;
}

TEST(Sharing, OneWriterTwoReadersForTwentySeconds) {
    const testing_support::TempDirectory directory;
    const auto path = directory.path() / "Intraday.db";
    testing::createQuoteTable(path);
    const auto end = Clock::now() + kDuration;

    std::array<int, 2> pipe{};
    ASSERT_EQ(::pipe(pipe.data()), 0);
    const pid_t writer = startChild([&] {
        ::close(pipe[0]);
        Table table;
        table.setTableName(path.string());
        table.open();
        for (int n = 0; Clock::now() < end; ++n) {
            testing::appendQuote(table, n);
            if (::write(pipe[1], &n, sizeof(n)) != sizeof(n)) {
                return 2;
            }
        }
        return 0;
    });
    ::close(pipe[1]);
    const pid_t firstReader = startChild([&] { return readContinuously(path, end); });
    const pid_t secondReader = startChild([&] { return readContinuously(path, end); });

    std::set<int> committed;
    int n = 0;
    while (::read(pipe[0], &n, sizeof(n)) == sizeof(n)) {
        committed.insert(n);
    }
    ::close(pipe[0]);
    EXPECT_EQ(waitChild(writer), 0);
    EXPECT_EQ(waitChild(firstReader), kReaderSound);
    EXPECT_EQ(waitChild(secondReader), kReaderSound);

    Table table;
    table.setTableName(path.string());
    table.open();
    std::set<int> present;
    for (table.first(); !table.eof(); table.next()) {
        present.insert(testing::quoteNumber(table));
    }
    EXPECT_EQ(present, committed);
    EXPECT_GT(committed.size(), 100u);
}

} // namespace
} // namespace marlovex::paradox
