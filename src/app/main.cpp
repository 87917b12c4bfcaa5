// Program entry (Ondrava): the application object, the frame, the instrument picker and the
// message loop.
//
// Besides the frame's own parameters (workspace switches and layout files) the program takes
// options of its own:
//   --help, --version   print and quit, without opening a window;
//   --screenshot=FILE   for unattended runs without a display: save a picture of the frame to
//                       FILE after --screenshot-delay milliseconds (default 2500), then quit.
#include "app/startup_options.h"
#include "companion/wert_wahl_form.h"
#include "frame/main_form.h"
#include "platform/paths/file_names.h"
#include "ui/error_display.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace {

// Answers --help or --version. The help names the quote-import program as a tracker window
// finds it, from the same program directory and AppDir rule.
int printInformation(marlovex::app::StartupOptions::Request request) {
    QString text = marlovex::app::versionText();
    if (request == marlovex::app::StartupOptions::Request::Help) {
        const marlovex::frame::FrameEnvironment environment = marlovex::frame::processEnvironment({});
        const std::string appDir =
            marlovex::paths::appDirFromProgramDir(environment.trackerEnvironment.programDir);
        text = marlovex::app::helpText(QString::fromStdString(environment.registryFile.string()),
                                       QString::fromStdString(appDir + "Lorquin"));
    }
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

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
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const auto request = marlovex::app::parseStartupOptions(arguments).request;
    if (request != marlovex::app::StartupOptions::Request::Run) {
        // Without the window system, so that it works without a display; the core object still
        // knows the program's own path.
        const QCoreApplication core(argc, argv);
        return printInformation(request);
    }

    marlovex::ui::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlovex Diagramm-Manager"));
    // The desktop entry's name: lets the desktop give the window its entry's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.brelmund.Marlovex"));
    installQtTranslations(app);

    // Parsed again: the application object has taken its own options (-platform and the like)
    // out, which must not reach the frame as layout files.
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
