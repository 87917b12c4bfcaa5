// Starts the quote-import program for a tracker window and reports how it ended, without the
// window ever waiting for it: the report arrives through the event loop once the program has
// exited. No shell stands in between, so the arguments reach the program exactly as given.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QObject;

namespace marlovex::tracker {

// How a started program ended: its exit code (-1 when it could not be started or crashed) and
// the first lines it wrote to its output and to its error output (the reason when it could not
// be started).
struct ProgramOutcome {
    int exitCode = -1;
    std::string output;
    std::string error;
};

using ProgramFinished = std::function<void(const ProgramOutcome&)>;

// Starts `program` with `arguments`; `finished` runs on this thread once it has ended. A program
// still running when `owner` goes is stopped, and `finished` is not called then.
void startWatchedProgram(QObject* owner, const std::string& program,
                         const std::vector<std::string>& arguments, ProgramFinished finished);

} // namespace marlovex::tracker
