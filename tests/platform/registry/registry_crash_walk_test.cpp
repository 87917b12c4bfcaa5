// The store file is made, changed by one value and by a batch; the same work then dies once at
// each crash point, and the file must read back whole, old or new.

#include "platform/registry/registry.h"
#include "support/crash_walk.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace marlovex::registry {
namespace {

namespace fs = std::filesystem;
using testing_support::FaultInjectingEnv;
using Call = FaultInjectingEnv::Call;
using Loss = FaultInjectingEnv::Loss;
using Values = std::map<std::string, std::string>;

const char* const kKey = "\\SOFTWARE\\Brelmund\\Marlovex";

struct Operation {
    std::function<void(Registry&)> run;
    Values after;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> list{
        {[](Registry& registry) { registry.openKey(kKey, true); }, {}},
        {[](Registry& registry) { registry.writeString("Pfad", "/daten"); }, {{"Pfad", "/daten"}}},
        {[](Registry& registry) {
             registry.beginBatch();
             registry.writeInteger("Fenster", 3);
             registry.writeString("Pfad", "/neu");
             registry.commitBatch();
         },
         {{"Fenster", "3"}, {"Pfad", "/neu"}}},
    };
    return list;
}

fs::path storeIn(const fs::path& directory) {
    return directory / "Marlovex.reg";
}

std::vector<std::size_t> runOperations(FaultInjectingEnv& env, const fs::path& directory) {
    Registry registry(storeIn(directory), env);
    std::vector<std::size_t> ends;
    try {
        for (const auto& operation : operations()) {
            operation.run(registry);
            ends.push_back(env.calls().size());
        }
    } catch (const RegistryError&) {
    }
    return ends;
}

// The values as another instance reads them; nullopt when there is no store file. A torn file
// fails to parse and throws.
std::optional<Values> readBack(const fs::path& directory) {
    if (!fs::exists(storeIn(directory))) {
        return std::nullopt;
    }
    Registry registry(storeIn(directory));
    Values values;
    if (registry.openKey(kKey, false)) {
        for (const auto& name : registry.valueNames()) {
            values[name] =
                name == "Fenster" ? std::to_string(registry.readInteger(name)) : registry.readString(name);
        }
    }
    return values;
}

void walkCrashPoints(Loss loss, const std::set<Call>& pointKinds) {
    const auto walk = testing_support::walkCrashPoints(
        runOperations, operations().size(), loss, pointKinds,
        [](const fs::path& directory, std::size_t underWay) {
            const auto committed = underWay == 0 ? std::optional<Values>() : operations()[underWay - 1].after;
            std::optional<Values> present;
            ASSERT_NO_THROW(present = readBack(directory));
            ASSERT_TRUE(present == committed || present == operations()[underWay].after);
        });
    EXPECT_EQ(walk.operationsHit, (std::set<std::size_t>{0, 1, 2}));
    ::testing::Test::RecordProperty("crash_points", static_cast<int>(walk.points));
}

TEST(RegistryCrashWalk, APowerFailureAtAnySyncOrRenameLeavesTheOldFileOrTheNewOneWhole) {
    walkCrashPoints(Loss::UnsyncedWrites, {Call::Sync, Call::Rename});
}

TEST(RegistryCrashWalk, AKilledWriterAtAnyChangeOfAFileLeavesTheOldFileOrTheNewOneWhole) {
    walkCrashPoints(Loss::Nothing, {Call::Write, Call::Truncate, Call::Sync, Call::Rename, Call::Remove});
}

} // namespace
} // namespace marlovex::registry
