// Walks the crash points of some work: runs it once to record its calls, then once more per
// recorded call of the chosen kinds, each time in a fresh directory, dying at that call; restarts
// the disk with the chosen loss and lets the caller check what survived. Without a loss, the
// call fails alone instead (a full disk, say) and the work carries on as it sees fit.
//
// The work is a list of operations run in order until one fails; it reports the number of calls
// made when each operation returned. An operation that returned before the crash point is
// committed; the one under way may or may not be.
#pragma once

#include "support/fault_injecting_env.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace marlovex::testing_support {

using CrashWork = std::function<std::vector<std::size_t>(FaultInjectingEnv&, const std::filesystem::path&)>;
// The directory after the restart, and the index of the operation under way at the crash.
using CrashCheck = std::function<void(const std::filesystem::path&, std::size_t)>;

struct CrashWalk {
    // How many crash points were walked, and which operations they fell into.
    std::size_t points = 0;
    std::set<std::size_t> operationsHit;
};

// Fails the calling test when the work fails without a fault, or takes another way than recorded.
CrashWalk walkCrashPoints(const CrashWork& work, std::size_t operations,
                          std::optional<FaultInjectingEnv::Loss> loss,
                          const std::set<FaultInjectingEnv::Call>& pointKinds, const CrashCheck& check);

} // namespace marlovex::testing_support
