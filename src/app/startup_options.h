// The program's own command-line options, separated from the parameters that the frame reads.
//
// Thread-safe: pure functions.
#pragma once

#include <QString>
#include <QStringList>

namespace marlovex::app {

struct StartupOptions {
    // --help and --version print their answer and end the program before any window opens.
    enum class Request { Run, Help, Version };
    Request request = Request::Run;
    // Parameters for the frame: workspace switches and layout files, in their order.
    QStringList frameParameters;
    // Where to save a picture of the frame before quitting; empty for a normal run.
    QString screenshotFile;
    int screenshotDelayMs = 2500;
};

// `arguments` as QApplication gives them, the program path first.
StartupOptions parseStartupOptions(const QStringList& arguments);

// What --help prints: the command line, and where this installation keeps its settings and finds
// the quote-import program, so a user can check both.
QString helpText(const QString& settingsFile, const QString& importProgram);

// What --version prints.
QString versionText();

} // namespace marlovex::app
