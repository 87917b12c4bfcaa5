// Three writers, each with its own view (and so its own open file descriptions and locks),
// append quotes while another thread keeps deleting the table's lock file. The write lock must
// stay exclusive all the same: at the end the table holds every quote exactly once, and our own
// structural check and pxlib agree that it is sound.

#include "platform/paradox/errors.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_storage.h"
#include "shared_quotes.h"
#include "support/sound_table.h"
#include "support/temp_directory.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

constexpr int kWriters = 3;
constexpr int kQuotes = 1000;
// A writer that meets the lock held retries after a pause; this many times at most per quote.
constexpr int kAttemptsPerQuote = 5000;
constexpr auto kRetryPause = std::chrono::microseconds(500);
constexpr auto kDeletionPause = std::chrono::microseconds(300);

TEST(LockFileDeletion, WritersStayExclusiveWhileTheLockFileKeepsVanishing) {
    marlovex::testing_support::TempDirectory temporary;
    const auto path = temporary.path() / "Intraday.db";
    testing::createQuoteTable(path);
    const auto lockFile = TableStorage::lockPathFor(path);

    std::atomic<int> next{0};
    std::atomic<int> gaveUp{0};
    std::atomic<int> unexpected{0};
    std::atomic<int> writersLeft{kWriters};
    std::atomic<int> deletions{0};

    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&] {
            try {
                Table table;
                table.setTableName(path.string());
                table.open();
                for (int n = next++; n < kQuotes; n = next++) {
                    bool stored = false;
                    for (int attempt = 0; attempt < kAttemptsPerQuote && !stored; ++attempt) {
                        try {
                            testing::appendQuote(table, n);
                            stored = true;
                        } catch (const LockConflictError&) {
                            table.cancel();
                            std::this_thread::sleep_for(kRetryPause);
                        }
                    }
                    if (!stored) {
                        ++gaveUp;
                    }
                }
            } catch (const std::exception& error) {
                ADD_FAILURE() << "writer: " << error.what();
                ++unexpected;
            }
            --writersLeft;
        });
    }
    std::thread deleter([&] {
        while (writersLeft > 0) {
            std::error_code ignored;
            if (fs::remove(lockFile, ignored)) {
                ++deletions;
            }
            std::this_thread::sleep_for(kDeletionPause);
        }
    });
    for (auto& writer : writers) {
        writer.join();
    }
    deleter.join();

    EXPECT_EQ(unexpected, 0);
    EXPECT_EQ(gaveUp, 0);
    EXPECT_GT(deletions, 0) << "the lock file was never there to delete";

    Table table;
    table.setTableName(path.string());
    table.open();
    for (table.first(); !table.eof(); table.next()) {
        ASSERT_TRUE(testing::quoteIsWhole(table));
    }
    // Each quote has a key of its own, strictly ordered in a sound table: all are there, once.
    testing_support::expectSoundTable(path, kQuotes);
}

} // namespace
} // namespace marlovex::paradox
