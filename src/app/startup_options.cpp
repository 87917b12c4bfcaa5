#include "app/startup_options.h"

namespace marlovex::app {

StartupOptions parseStartupOptions(const QStringList& arguments) {
    StartupOptions options;
    const QString screenshot = QStringLiteral("--screenshot=");
    const QString delay = QStringLiteral("--screenshot-delay=");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help")) {
            options.request = StartupOptions::Request::Help;
        } else if (argument == QLatin1String("--version")) {
            if (options.request == StartupOptions::Request::Run) {
                options.request = StartupOptions::Request::Version;
            }
        } else if (argument.startsWith(screenshot)) {
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

QString helpText(const QString& settingsFile, const QString& importProgram) {
    return QStringLiteral(
               "Aufruf: marlovex [/A | AUTO | A] [LAYOUTDATEI ...]\n"
               "        marlovex --help | --version\n"
               "\n"
               "Marlovex Diagramm-Manager: Intraday-Diagramme und Optionsschein-Tracker.\n"
               "\n"
               "  /A, AUTO, A            den in den Einstellungen gespeicherten Arbeitsbereich\n"
               "                         wiederherstellen\n"
               "  LAYOUTDATEI            eine Layoutdatei (*.QVZ) öffnen\n"
               "  --screenshot=DATEI     nach der Wartezeit ein Bild des Fensters in DATEI speichern\n"
               "                         und beenden\n"
               "  --screenshot-delay=MS  die Wartezeit in Millisekunden (Vorgabe 2500)\n"
               "  --help                 diese Hilfe zeigen\n"
               "  --version              die Version zeigen\n"
               "\n"
               "Die Parameter werden eine Sekunde nach dem Start der Reihe nach abgearbeitet;\n"
               "was weder Schalter noch vorhandene Datei ist, wird übergangen.\n"
               "\n"
               "Einstellungen: %1\n"
               "Kursimport:    %2\n")
        .arg(settingsFile, importProgram);
}

QString versionText() {
    return QStringLiteral("marlovex (Marlovex Diagramm-Manager) " MARLOVEX_VERSION "\n");
}

} // namespace marlovex::app
