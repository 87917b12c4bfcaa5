// Program entry (Ondrava): the application object, the frame, the instrument picker and the
// message loop.
//
// Besides the frame's own parameters (workspace switches and layout files) the program takes
// one option of its own, for unattended runs without a display:
//   --screenshot=FILE   save a picture of the frame to FILE after --screenshot-delay
//                       milliseconds (default 2500), then quit.
#include "app/startup_options.h"
#include "companion/wert_wahl_form.h"
#include "frame/main_form.h"
#include "ui/error_display.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace {

// Qt's own texts (dialog buttons, file dialogs) in the user's language.
void installQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

} // namespace

int main(int argc, char** argv) {
    marlovex::ui::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlovex Diagramm-Manager"));
    installQtTranslations(app);

    const marlovex::app::StartupOptions options =
        marlovex::app::parseStartupOptions(QApplication::arguments());

    marlovex::frame::TMainForm mainForm(marlovex::frame::processEnvironment(options.frameParameters));
    // The picker instance that the companion library expects to exist from the start; every
    // pick creates its own.
    marlovex::companion::TWertWahlForm picker(&mainForm);
    marlovex::companion::setWertWahlForm(&picker);

    mainForm.show();

    if (!options.screenshotFile.isEmpty()) {
        QTimer::singleShot(options.screenshotDelayMs, &mainForm, [&mainForm, &options] {
            const bool saved = mainForm.grab().save(options.screenshotFile);
            std::printf("%s %s\n", saved ? "Screenshot:" : "Could not write screenshot",
                        qPrintable(options.screenshotFile));
            std::fflush(stdout);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
