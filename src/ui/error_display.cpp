#include "ui/error_display.h"

#include "ui/dialogs.h"

#include <QString>
#include <stdexcept>

namespace marlovex::ui {

void showCurrentException() {
    QString message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        message = QStringLiteral("Unbekannter Fehler");
    }
    dialogs().showMessage(QApplication::activeWindow(), message);
}

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentException();
        return true;
    }
}

} // namespace marlovex::ui
