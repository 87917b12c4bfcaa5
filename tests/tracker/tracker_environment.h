// Surroundings for tracker windows under test: the settings file in a temporary directory, the
// program "installed" in a bin folder beside the data directory, and a recorder in place of the
// started programs.
#pragma once

#include "support/temp_directory.h"
#include "tracker/window/tosp_form.h"

#include <string>
#include <vector>

namespace marlovex::testing_support {

struct StartedProgram {
    std::string program;
    std::vector<std::string> arguments;
};

// `home/Marlovex/bin` is the program directory, so the default data directory is
// `home/Marlovex/Daten/`.
inline tracker::TrackerEnvironment trackerEnvironment(const TempDirectory& home,
                                                      std::vector<StartedProgram>* started) {
    tracker::TrackerEnvironment environment;
    environment.registryFile = home.path() / "config" / "Marlovex.reg";
    environment.programDir = (home.path() / "Marlovex" / "bin").string();
    // A recorded program ends at once, successfully and silently.
    environment.startProgram = [started](QObject*, const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const tracker::ProgramFinished& finished) {
        if (started != nullptr) {
            started->push_back({program, arguments});
        }
        finished(tracker::ProgramOutcome{0, "", ""});
    };
    environment.now = formats::now;
    return environment;
}

} // namespace marlovex::testing_support
