// The central error display. Handlers that do not guard their work let the error reach this one
// place, which shows its message in a message box and ends the current event, so the window
// stays usable. No exception ever crosses the Qt event loop.
//
// Not thread-safe: used from the user-interface thread only.
#pragma once

#include <QApplication>
#include <exception>
#include <utility>

namespace marlovex::ui {

// Shows the message of the exception in flight in a message box. Call it from a catch block.
void showCurrentException();

// Runs one event handler; an error it raises is shown and the event ends there.
template <typename Handler> void runHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        showCurrentException();
    }
}

// The application object: the last line of defence for errors thrown inside event delivery
// that no handler wrapper caught.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace marlovex::ui
