#include "support/crash_walk.h"

#include "support/temp_directory.h"

#include <gtest/gtest.h>

namespace marlovex::testing_support {

CrashWalk walkCrashPoints(const CrashWork& work, std::size_t operations,
                          std::optional<FaultInjectingEnv::Loss> loss,
                          const std::set<FaultInjectingEnv::Call>& pointKinds, const CrashCheck& check) {
    CrashWalk walk;
    FaultInjectingEnv dryRun;
    std::vector<std::size_t> ends;
    {
        const TempDirectory directory;
        ends = work(dryRun, directory.path());
    }
    if (ends.size() != operations) {
        ADD_FAILURE() << "the work fails without a fault, after " << ends.size() << " operations";
        return walk;
    }
    const auto record = dryRun.calls();
    for (std::size_t point = 0; point < record.size(); ++point) {
        if (pointKinds.count(record[point].call) == 0) {
            continue;
        }
        ++walk.points;
        const TempDirectory directory;
        FaultInjectingEnv env;
        if (loss) {
            env.crashAt(point);
        } else {
            env.failCall(point);
        }
        work(env, directory.path());
        if (env.calls().size() <= point || env.crashed() != loss.has_value() ||
            env.calls()[point].call != record[point].call) {
            ADD_FAILURE() << "the work took another way than recorded at call " << point;
            return walk;
        }
        if (loss) {
            env.restart(*loss);
        }
        std::size_t underWay = 0;
        while (ends[underWay] <= point) {
            ++underWay;
        }
        walk.operationsHit.insert(underWay);
        SCOPED_TRACE(std::string(loss ? "crash" : "failure") + " at call " + std::to_string(point) + " on " +
                     record[point].path.filename().string() + " during operation " +
                     std::to_string(underWay));
        check(directory.path(), underWay);
    }
    return walk;
}

} // namespace marlovex::testing_support
