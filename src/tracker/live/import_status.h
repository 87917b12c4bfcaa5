// What a tracker window tells about its imports in the download form's status bar: which
// instrument is being imported, whether the last import of each succeeded, the time of the last
// stored quote or the import program's error line. A failure stays in view until the same
// instrument's import succeeds again, so that the other instrument's success, or the next start,
// cannot hide it between two looks at the status line.
//
// Not thread-safe: one status belongs to one window.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace marlovex::tracker {

// The two panels of the status bar.
struct ImportStatusLine {
    std::string state;
    std::string detail;
};

class ImportStatus {
public:
    void started(std::int64_t instrument, const std::string& name);
    // `output` is the program's first output line (its report of the last stored quote) and
    // `error` its first error line; a code other than 0 is a failure.
    void finished(std::int64_t instrument, const std::string& name, int exitCode, const std::string& output,
                  const std::string& error);

    // Drops what is known of every instrument but `instruments`: one the window no longer
    // imports must not keep its old failure in view.
    void forgetAllBut(const std::vector<std::int64_t>& instruments);

    // The line to show; empty before the first start.
    ImportStatusLine line() const;

private:
    enum class State { Running, Done, Failed };
    struct Import {
        std::string name;
        State state = State::Running;
        std::string detail;
        // When it last changed, counted in events: the newest event is what the line shows.
        std::uint64_t event = 0;
    };

    Import& record(std::int64_t instrument, const std::string& name);

    std::map<std::int64_t, Import> m_imports;
    std::uint64_t m_events = 0;
};

} // namespace marlovex::tracker
