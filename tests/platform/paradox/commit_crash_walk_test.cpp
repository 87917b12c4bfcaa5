// A table is made and filled by two appends, then the same work dies once at each crash point: for
// a power failure every sync and rename, for a killed process every call that changes a file. The
// table must read back with every record of each operation that had returned, the one under way
// wholly or not at all, and need no journal once the next writer has repaired it. A failing call
// (a full disk) must leave the same, and an error naming the file and the system's reason.

#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_storage.h"
#include "support/crash_walk.h"
#include "support/error_message.h"
#include "support/sound_table.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;
using testing_support::FaultInjectingEnv;
using Call = FaultInjectingEnv::Call;
using Loss = FaultInjectingEnv::Loss;

constexpr int kFirms = 7;
// The first append fills several blocks; the second one's keys fall between the first's, so it
// rewrites pages in place as well as adding some.
constexpr int kFirstAppend = 150;
constexpr int kSecondAppend = 60;

std::vector<Value> quote(int n) {
    return {std::int64_t{n % kFirms}, std::int64_t{n}, n * 0.25};
}

std::vector<std::vector<Value>> quotes(int from, int count) {
    std::vector<std::vector<Value>> result;
    for (int n = from; n < from + count; ++n) {
        result.push_back(quote(n));
    }
    return result;
}

std::set<int> numbers(int count) {
    std::set<int> result;
    for (int n = 0; n < count; ++n) {
        result.insert(n);
    }
    return result;
}

struct Operation {
    std::string name;
    std::function<void(Env&, Table&, const fs::path&)> run;
    // The records the table holds once the operation has returned; nullopt: no table.
    std::optional<std::set<int>> after;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> list{
        {"create",
         [](Env& env, Table&, const fs::path& path) {
             Table::createTable(path,
                                {FieldDef::of("Firma", FieldType::Long),
                                 FieldDef::of("Nummer", FieldType::Long),
                                 FieldDef::of("Kurs", FieldType::Money)},
                                {{"KURSE", "Firma;Nummer", true}}, 7, env);
         },
         numbers(0)},
        {"open",
         [](Env& env, Table& table, const fs::path& path) {
             table.setEnv(env);
             table.setTableName(path.string());
             table.open();
         },
         numbers(0)},
        {"first append",
         [](Env&, Table& table, const fs::path&) { table.appendRecords(quotes(0, kFirstAppend)); },
         numbers(kFirstAppend)},
        {"second append",
         [](Env&, Table& table, const fs::path&) {
             table.appendRecords(quotes(kFirstAppend, kSecondAppend));
         },
         numbers(kFirstAppend + kSecondAppend)},
    };
    return list;
}

std::vector<std::size_t> runOperations(testing_support::FaultInjectingEnv& env, const fs::path& directory) {
    const auto path = directory / "Kurse.db";
    std::vector<std::size_t> ends;
    Table table;
    try {
        for (const auto& operation : operations()) {
            operation.run(env, table, path);
            ends.push_back(env.calls().size());
        }
    } catch (const CorruptTableError& error) {
        ADD_FAILURE() << "a failed call reported as damage: " << error.what();
    } catch (const TableError& error) {
        // Every message names the file or directory concerned and the reason the call failed.
        const std::string message = error.what();
        EXPECT_NE(message.find(directory.string()), std::string::npos) << message;
        EXPECT_NE(message.find(systemErrorText(EIO)), std::string::npos) << message;
    }
    return ends;
}

// The records as a reader sees them; each must hold its own number's values.
std::optional<std::set<int>> readBack(const fs::path& path) {
    if (!fs::exists(path)) {
        return std::nullopt;
    }
    Table table;
    table.setTableName(path.string());
    table.open();
    std::set<int> present;
    for (table.first(); !table.eof(); table.next()) {
        const int n = static_cast<int>(table.field("Nummer").asInteger());
        EXPECT_EQ(table.field("Firma").asInteger(), n % kFirms) << "record " << n;
        EXPECT_EQ(table.field("Kurs").asFloat(), n * 0.25) << "record " << n;
        present.insert(n);
    }
    return present;
}

// After the next writer's recovery the files alone hold the table: no journal is due, the
// index matches the data, and an independent reader sees the same count.
void expectFilesWhole(const fs::path& path, std::size_t records) {
    TableStorage storage(path);
    { const TableStorage::WriteLock lock(storage); }
    EXPECT_FALSE(storage.repairDue());
    testing_support::expectSoundTable(path, records);
}

void walkCrashPoints(std::optional<Loss> loss, const std::set<Call>& pointKinds) {
    const auto walk = testing_support::walkCrashPoints(
        runOperations, operations().size(), loss, pointKinds,
        [](const fs::path& directory, std::size_t underWay) {
            const auto path = directory / "Kurse.db";
            const auto committed =
                underWay == 0 ? std::optional<std::set<int>>() : operations()[underWay - 1].after;
            const auto present = readBack(path);
            ASSERT_TRUE(present == committed || present == operations()[underWay].after);
            if (present) {
                expectFilesWhole(path, present->size());
            }
        });
    // Every operation that writes had crash points inside it.
    EXPECT_EQ(walk.operationsHit, (std::set<std::size_t>{0, 2, 3}));
    ::testing::Test::RecordProperty("crash_points", static_cast<int>(walk.points));
}

TEST(CommitCrashWalk, APowerFailureAtAnySyncOrRenameLosesNoCommittedRecordAndTearsNothing) {
    walkCrashPoints(Loss::UnsyncedWrites, {Call::Sync, Call::Rename});
}

TEST(CommitCrashWalk, AFailedChangeOfAFileIsReportedByNameAndLeavesTheTableWhole) {
    walkCrashPoints(std::nullopt, {Call::Write, Call::Truncate, Call::Sync, Call::Rename});
}

TEST(CommitCrashWalk, AKilledWriterAtAnyChangeOfAFileLosesNoCommittedRecordAndTearsNothing) {
    walkCrashPoints(Loss::Nothing, {Call::Write, Call::Truncate, Call::Sync, Call::Rename, Call::Remove});
}

// The disk fills at the second append's first write to the table: that commit is rolled back at
// once, leaving nothing to repair, and the view keeps the records it showed.
TEST(CommitCrashWalk, ACommitThatFindsTheDiskFullIsRolledBackAtOnce) {
    FaultInjectingEnv record;
    const auto ends = runOperations(record, testing_support::TempDirectory().path());
    ASSERT_EQ(ends.size(), operations().size());
    auto firstTableWrite =
        std::find_if(record.calls().begin() + static_cast<std::ptrdiff_t>(ends[2]), record.calls().end(),
                     [](const FaultInjectingEnv::Record& call) {
                         return call.call == Call::Write && call.path.filename() == "Kurse.db";
                     });
    ASSERT_NE(firstTableWrite, record.calls().end());

    const testing_support::TempDirectory directory;
    const auto path = directory.path() / "Kurse.db";
    FaultInjectingEnv env;
    env.failCall(static_cast<std::size_t>(firstTableWrite - record.calls().begin()), ENOSPC);
    Table table;
    for (std::size_t operation = 0; operation < 3; ++operation) {
        operations()[operation].run(env, table, path);
    }
    const auto message =
        testing_support::messageOf<TableError>([&] { operations()[3].run(env, table, path); });
    EXPECT_NE(message.find(systemErrorText(ENOSPC)), std::string::npos) << message;
    EXPECT_EQ(table.recordCount(), static_cast<std::size_t>(kFirstAppend));
    EXPECT_FALSE(TableStorage(path).repairDue());
    testing_support::expectSoundTable(path, kFirstAppend);
}

} // namespace
} // namespace marlovex::paradox
