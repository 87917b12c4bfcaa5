#include "app/startup_options.h"

namespace marlovex::app {

StartupOptions parseStartupOptions(const QStringList& arguments) {
    StartupOptions options;
    const QString screenshot = QStringLiteral("--screenshot=");
    const QString delay = QStringLiteral("--screenshot-delay=");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.startsWith(screenshot)) {
            options.screenshotFile = argument.mid(screenshot.size());
        } else if (argument.startsWith(delay)) {
            bool ok = false;
            const int milliseconds = argument.mid(delay.size()).toInt(&ok);
            if (ok && milliseconds >= 0) {
                options.screenshotDelayMs = milliseconds;
            }
        } else {
            options.frameParameters << argument;
        }
    }
    return options;
}

} // namespace marlovex::app
