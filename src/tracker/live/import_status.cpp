#include "tracker/live/import_status.h"

#include <algorithm>

namespace marlovex::tracker {

ImportStatus::Import& ImportStatus::record(std::int64_t instrument, const std::string& name) {
    Import& import = m_imports[instrument];
    import.name = name;
    import.event = ++m_events;
    return import;
}

void ImportStatus::started(std::int64_t instrument, const std::string& name) {
    Import& import = record(instrument, name);
    // A failure is only over when an import of the instrument succeeds.
    if (import.state != State::Failed) {
        import.state = State::Running;
    }
}

void ImportStatus::finished(std::int64_t instrument, const std::string& name, int exitCode,
                            const std::string& output, const std::string& error) {
    Import& import = record(instrument, name);
    if (exitCode == 0) {
        import.state = State::Done;
        import.detail = output;
        return;
    }
    import.state = State::Failed;
    if (!error.empty()) {
        import.detail = error;
    } else if (exitCode < 0) {
        import.detail = "Das Importprogramm wurde abgebrochen.";
    } else {
        import.detail = "Das Importprogramm endete mit dem Code " + std::to_string(exitCode) + ".";
    }
}

void ImportStatus::forgetAllBut(const std::vector<std::int64_t>& instruments) {
    std::erase_if(m_imports, [&](const auto& entry) {
        return std::find(instruments.begin(), instruments.end(), entry.first) == instruments.end();
    });
}

ImportStatusLine ImportStatus::line() const {
    const Import* shown = nullptr;
    for (const auto& [instrument, import] : m_imports) {
        const bool failed = import.state == State::Failed;
        const bool shownFailed = shown != nullptr && shown->state == State::Failed;
        if (shown == nullptr || (failed && !shownFailed) ||
            (failed == shownFailed && import.event > shown->event)) {
            shown = &import;
        }
    }
    if (shown == nullptr) {
        return {};
    }
    switch (shown->state) {
    case State::Running:
        return {shown->name + ": Import läuft", shown->detail};
    case State::Done:
        return {shown->name + ": Import fertig", shown->detail};
    case State::Failed:
        return {shown->name + ": Import fehlgeschlagen", shown->detail};
    }
    return {};
}

} // namespace marlovex::tracker
