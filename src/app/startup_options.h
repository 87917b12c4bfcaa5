// The program's own command-line options, separated from the parameters that the frame reads.
//
// Thread-safe: pure function.
#pragma once

#include <QString>
#include <QStringList>

namespace marlovex::app {

struct StartupOptions {
    // Parameters for the frame: workspace switches and layout files, in their order.
    QStringList frameParameters;
    // Where to save a picture of the frame before quitting; empty for a normal run.
    QString screenshotFile;
    int screenshotDelayMs = 2500;
};

// `arguments` as QApplication gives them, the program path first.
StartupOptions parseStartupOptions(const QStringList& arguments);

} // namespace marlovex::app
