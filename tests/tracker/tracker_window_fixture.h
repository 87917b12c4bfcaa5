// A tracker window on a small trading day: DAX and a call on it with a few quotes of
// 4 December 2026, the settings file pointing at that data directory, scripted dialogs and a
// recorder for started programs.
#pragma once

#include "companion/wert_wahl_form.h"
#include "support/scripted_dialogs.h"
#include "support/trading_day.h"
#include "tracker/window/tosp_form.h"
#include "tracker_environment.h"

#include <QColor>
#include <QListWidget>
#include <QPalette>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace marlovex::tracker {

using testing_support::bayerNumber;
using testing_support::daxNumber;
using testing_support::ScriptedDialogs;
using testing_support::StartedProgram;
using testing_support::TempDirectory;
using testing_support::TradingDay;
using testing_support::warrantNumber;

inline const std::string trackerKey = "\\SOFTWARE\\Brelmund\\Marlovex";

// The colours the window gives prices and results, and how a test reads them.
inline const QColor red(255, 0, 0);
inline const QColor green(0, 128, 0);
inline const QColor black(0, 0, 0);

inline QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// Lets a failing comparison of states say which value differs.
inline void PrintTo(const TrackerState& state, std::ostream* out) {
    const auto flag = [](const std::optional<bool>& value) { return value ? (*value ? "1" : "0") : "-"; };
    const auto number = [](const std::optional<int>& value) { return value ? std::to_string(*value) : "-"; };
    *out << state.warrant << " / " << state.underlying << " at " << number(state.placement.left) << ","
         << number(state.placement.top) << " " << number(state.placement.width) << "x"
         << number(state.placement.height) << " imports off " << flag(state.warrantImportOff)
         << flag(state.underlyingImportOff) << " put " << flag(state.put) << " time "
         << flag(state.timeFilter) << " inverted " << flag(state.warrantAxisInverted) << " fees "
         << flag(state.fees) << " edits";
    for (const auto& edit : state.edits) {
        *out << " [" << edit.value_or("-") << "]";
    }
}

class TrackerWindowTest : public testing::Test {
protected:
    TrackerWindowTest() {
        m_day.addQuote(daxNumber, 9, 0, 0, 20000.0);
        m_day.addQuote(daxNumber, 9, 5, 0, 20050.0);
        m_day.addQuote(warrantNumber, 9, 0, 0, 1.50);
        m_day.addQuote(warrantNumber, 9, 6, 0, 1.60);
        settings().writeString("Datenpath", m_day.directory().string());
    }

    registry::Registry settings() {
        registry::Registry registry(testing_support::trackerEnvironment(m_home, nullptr).registryFile);
        registry.openKey(trackerKey, true);
        return registry;
    }

    // Makes the next window open on the call and the DAX, as if it had been the last pair shown.
    void rememberCallOnDax() {
        registry::Registry registry = settings();
        registry.writeString("OS_Option", "DAX Call 20000");
        registry.writeString("OS_Basis", "DAX");
    }

    // The quotes lie on an earlier day: unless a test answers the archive question itself, the
    // user keeps them.
    std::unique_ptr<TOSP_Form> createWindow() {
        if (m_dialogs.yesNoAnswers.empty()) {
            m_dialogs.yesNoAnswers.push_back(false);
        }
        TrackerEnvironment environment = testing_support::trackerEnvironment(m_home, &m_started);
        environment.now = [this] { return m_now; };
        environment.startProgram = [this, record = environment.startProgram](
                                       QObject* owner, const std::string& program,
                                       const std::vector<std::string>& arguments, ProgramFinished finished) {
            if (m_onStart) {
                m_onStart();
            }
            (m_startProgram ? m_startProgram : record)(owner, program, arguments, std::move(finished));
        };
        auto window = std::make_unique<TOSP_Form>(environment);
        window->show();
        return window;
    }

    // Answers the next picker with `name`, or cancels it for an empty name; `whileOpen` runs
    // before the answer.
    void answerPicker(const QString& name, QStringList* listed = nullptr, QString* preselected = nullptr,
                      const std::function<void()>& whileOpen = {}) {
        m_dialogs.onModal = [=](QDialog& dialog) {
            auto& picker = dynamic_cast<companion::TWertWahlForm&>(dialog);
            if (listed != nullptr) {
                for (int row = 0; row < picker.listBox()->count(); ++row) {
                    *listed << picker.listBox()->item(row)->text();
                }
            }
            if (preselected != nullptr) {
                *preselected = picker.selectedText();
            }
            if (whileOpen) {
                whileOpen();
            }
            if (name.isEmpty()) {
                return int(QDialog::Rejected);
            }
            picker.selectItem(name);
            return int(QDialog::Accepted);
        };
    }

    TempDirectory m_home;
    TradingDay m_day;
    ScriptedDialogs m_dialogs;
    std::vector<StartedProgram> m_started;
    // Runs whenever the window starts a program.
    std::function<void()> m_onStart;
    // Starts the programs in place of the recorder when set.
    decltype(TrackerEnvironment::startProgram) m_startProgram;
    // The clock the window reads: the trading day's afternoon unless a test sets another time.
    formats::DateTime m_now = formats::encodeDate(2026, 12, 4) + formats::encodeTime(15, 0, 0);
};

} // namespace marlovex::tracker
