#include "frame/main_form.h"

#include "companion/information.h"
#include "companion/intraday_form.h"
#include "companion/intraday_quote_source.h"
#include "frame/command_line.h"
#include "platform/paradox/session.h"
#include "platform/paths/file_names.h"
#include "platform/registry/registry.h"
#include "ui/error_display.h"
#include "ui/image_list.h"
#include "ui/screen_bounds.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <memory>

namespace marlovex::frame {
namespace {

const std::string registryKey = "\\SOFTWARE\\Brelmund\\Marlovex";

std::string toStd(const QString& text) {
    return text.toStdString();
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

bool intradayTableExists(const QString& directory) {
    return paths::fileExistsCaseInsensitive(
        std::filesystem::path(toStd(directory + QStringLiteral("Intraday.db"))));
}

} // namespace

QString tooManyWindows(const QString& source, qint64 count) {
    return QStringLiteral("%1 nennt %2 Fenster; geöffnet werden nur die ersten %3.")
        .arg(source)
        .arg(count)
        .arg(maximumRestoredWindows);
}

FrameEnvironment processEnvironment(const QStringList& parameters) {
    FrameEnvironment environment;
    environment.registryFile = registry::defaultRegistryFile();
    environment.programDir = QCoreApplication::applicationDirPath();
    environment.currentDir = QDir::currentPath();
    environment.parameters = parameters;
    environment.trackerEnvironment = tracker::TrackerEnvironment::ofProcess();
    return environment;
}

TMainForm::TMainForm(FrameEnvironment environment, QWidget* parent)
    : QMainWindow(parent)
    , m_environment(std::move(environment)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Marlovex Diagramm-Manager"));
    setWindowIcon(ui::imageListIcon(ui::ImageIndex::WarrantTracker));
    resize(376, 301);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_mdiArea);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, [this] { ui::runHandler([this] { Timer1Timer(); }); });

    OpenDialog.filter = QStringLiteral("Marlovex Diagramm-Manager|*.QVZ");
    OpenDialog.defaultExtension = QStringLiteral("QVZ");
    SaveDialog1 = OpenDialog;

    createActions();
    createMenus();
    createToolBar();

    FormCreate();
    UpdateMenuItems();
}

TMainForm::~TMainForm() {
    // Child windows go down with the frame; their last signals must not reach a half-destroyed
    // frame.
    FormClose();
    for (QMdiSubWindow* holder : m_mdiArea->subWindowList()) {
        holder->disconnect(this);
    }
}

void TMainForm::FormCreate() {
    paradox::Session& session = paradox::session();
    session.setConfigMode(paradox::ConfigMode::SessionOnly);
    session.addPassword(std::string(paradox::familyPassword));

    const QString appDir = fromStd(paths::appDirFromProgramDir(toStd(m_environment.programDir)));
    const QString defaultDataDir =
        paths::withTrailingSeparator(toStd(m_environment.currentDir)).c_str() + QStringLiteral("Daten/");

    registry::Registry registry(m_environment.registryFile);
    bool registryUsable = true;
    try {
        if (!registry.keyExists(registryKey)) {
            registry.openKey(registryKey, true);
        }
        if (registry.keyExists(registryKey)) {
            registry.openKey(registryKey, true);
            session.setNetFileDir(registry.valueExists("Datenpath")
                                      ? std::filesystem::path(registry.readString("Datenpath"))
                                      : std::filesystem::path(toStd(appDir + QStringLiteral("Daten/"))));
        }
        // A directory written by hand often lacks its closing separator; it names the same
        // directory, as it does for the trackers and the import program.
        DataDir = registry.valueExists("Datenpath")
                      ? fromStd(paths::withTrailingSeparator(registry.readString("Datenpath")))
                      : defaultDataDir;
        if (registry.valueExists("ShowWinWidth")) {
            setFrameWidth(registry.readInteger("ShowWinWidth"));
        }
        if (registry.valueExists("ShowWinHeight")) {
            setFrameHeight(registry.readInteger("ShowWinHeight"));
        }
        if (registry.valueExists("ShowWinTop")) {
            setFrameTop(registry.readInteger("ShowWinTop"));
        }
        if (registry.valueExists("ShowWinLeft")) {
            setFrameLeft(registry.readInteger("ShowWinLeft"));
        }
        if (registry.valueExists("ShowWinMax") && registry.readBool("ShowWinMax")) {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
    } catch (const registry::RegistryError&) {
        // An unreadable settings file must not stop the program: say why, then start with the
        // defaults, as when the key cannot be opened. The file itself stays untouched.
        ui::showCurrentException();
        registryUsable = false;
        DataDir = defaultDataDir;
    }

    if (!intradayTableExists(DataDir)) {
        const QString answer = ui::dialogs().inputBox(
            this, QStringLiteral("In welchem Verzeichnist befindet sich die Intraday Datenbank?"),
            QStringLiteral("Eingabeaufforderung"),
            paths::withTrailingSeparator(toStd(m_environment.currentDir)).c_str());
        // A directory typed without its closing separator still names the directory.
        DataDir = answer.isEmpty() ? answer : fromStd(paths::withTrailingSeparator(toStd(answer)));
        if (intradayTableExists(DataDir)) {
            if (registryUsable) {
                registry.writeString("Datenpath", toStd(DataDir));
            }
        } else if (!QFileInfo(DataDir).isDir()) {
            ui::dialogs().showMessage(this,
                                      QStringLiteral("Das Verzeichnis %1 existiert nicht.").arg(DataDir));
        } else {
            ui::dialogs().showMessage(
                this,
                QStringLiteral("Im Verzeichnis %1 wurde keine Intraday-Datenbank gefunden.").arg(DataDir));
        }
    }
    registry.closeKey();

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TMainForm::UpdateMenuItems);
    m_updatesConnected = true;

    NewChartDblClick = true;
    ChartInterval = 1000;
    m_timer1->setInterval(1000);
    m_timer1->start();
}

// Sizes and positions from settings and layout files are kept to the screen: a damaged or
// foreign file must not ask for a window of gigabytes or one out of reach.
void TMainForm::setFrameWidth(int width) {
    resize(ui::extentOnScreen(width, ui::availableScreenArea(this).width()), height());
}

void TMainForm::setFrameHeight(int height) {
    resize(width(), ui::extentOnScreen(height, ui::availableScreenArea(this).height()));
}

void TMainForm::setFrameTop(int top) {
    move(x(), ui::positionOnScreen(top, 0, ui::availableScreenArea(this).height()));
}

void TMainForm::setFrameLeft(int left) {
    move(ui::positionOnScreen(left, width(), ui::availableScreenArea(this).width()), y());
}

void TMainForm::Timer1Timer() {
    // Stopped before the work: a message box shown while a parameter is handled must not let the
    // timer fire a second time.
    m_timer1->stop();
    for (const QString& parameter : m_environment.parameters) {
        const auto exists = [](const QString& name) {
            return paths::fileExistsCaseInsensitive(std::filesystem::path(toStd(name)));
        };
        switch (classifyParameter(parameter, exists)) {
        case CommandLineAction::RestoreWorkspace:
            FileOpenItemClick();
            break;
        case CommandLineAction::OpenLayoutFile:
            OpenDialog.fileName = fromStd(paths::resolveCaseInsensitive(toStd(parameter)).string());
            AutoOpen();
            break;
        case CommandLineAction::Ignore:
            break;
        }
    }
}

QList<QWidget*> TMainForm::childForms() const {
    QList<QWidget*> forms;
    const QList<QMdiSubWindow*> backToFront = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = backToFront.rbegin(); it != backToFront.rend(); ++it) {
        if (!(*it)->isHidden() && (*it)->widget() != nullptr) {
            forms.push_back((*it)->widget());
        }
    }
    return forms;
}

void TMainForm::UpdateMenuItems() {
    const bool hasChildren = !childForms().isEmpty();
    // The standard window commands enable themselves while there is a child window to act on.
    for (const char* name : {"FileClose1", "WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1",
                             "WindowTileItem2", "ToolButton8", "ToolButton11"}) {
        command(QString::fromLatin1(name))->setEnabled(hasChildren);
    }
    for (const char* name : {"FileCloseItem", "FileSaveItem", "ToolButton2", "FileSaveAsItem", "ToolButton10",
                             "WindowCascadeItem", "WindowTileItem"}) {
        command(QString::fromLatin1(name))->setEnabled(hasChildren);
    }
    command(QStringLiteral("ToolButton1"))->setEnabled(!hasChildren);
}

QAction* TMainForm::command(const QString& name) const {
    const auto it = m_commands.find(name);
    return it != m_commands.end() ? it->second : nullptr;
}

QToolButton* TMainForm::toolButton(const QString& name) const {
    const auto it = m_toolButtons.find(name);
    return it != m_toolButtons.end() ? it->second : nullptr;
}

void TMainForm::addChildWindow(QWidget* form) {
    QMdiSubWindow* holder = m_mdiArea->addSubWindow(form);
    holder->setWindowIcon(form->windowIcon());
    connect(holder, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, [this] { UpdateMenuItems(); }); });
}

void TMainForm::FileNew1Execute() {
    NewChartDblClick = false;
    ChartInterval = 1000;
    NewChartWindow(QStringLiteral("DAX"));
}

void TMainForm::NewChartWindow(const QString& instrument) {
    auto* chart = new companion::TIntradayForm;
    auto source = std::make_shared<companion::IntradayQuoteSource>(toStd(DataDir));
    chart->setQuoteLoader([source](const QString& name) { return source->quotesOf(name); });
    addChildWindow(chart);
    chart->OnClose = [chart](ui::CloseAction& action) { chart->MDIClose(action); };
    chart->prepareForFrame(instrument, ChartInterval);
    chart->subWindow()->show();
    chart->IntradayDiagramm();
    chart->SpeedButton1Click(this);
    if (NewChartDblClick) {
        chart->GraphicsServer4DblClick(QCoreApplication::instance());
    } else {
        chart->FormResize(QCoreApplication::instance());
    }
    UpdateMenuItems();
}

void TMainForm::OSToolOpen(const QString& underlying, const QString& warrant) {
    auto* tracker = new tracker::TOSP_Form(m_environment.trackerEnvironment);
    addChildWindow(tracker);
    tracker->OnClose = [tracker](ui::CloseAction& action) { tracker->MDIClose(action); };
    tracker->subWindow()->show();
    tracker->openPair(warrant, underlying);
    UpdateMenuItems();
}

void TMainForm::OSTool1Click() {
    OSToolOpen(QStringLiteral("Leer"), QStringLiteral("Leer"));
}

void TMainForm::ffnenvon1Click() {
    const QString fileName = ui::dialogs().openFileName(this, OpenDialog);
    if (!fileName.isEmpty()) {
        OpenDialog.fileName = fileName;
        AutoOpen();
    }
}

void TMainForm::berMarlovexDiagrammManager1Click() {
    companion::TInformation information(this);
    information.titleLine()->setText(QStringLiteral("Diagramm Manager für Marlovex"));
    information.platformLine()->setText(QStringLiteral("für Windows(R) 95/98/ME/NT/2000/XP"));
    information.versionLine()->setText(QStringLiteral("5.10"));
    ui::dialogs().execModal(information);
    information.hide();
}

void TMainForm::FileExit1Execute() {
    close();
}

void TMainForm::Beenden1Click() {
    close();
}

void TMainForm::tileChildWindows(Qt::Orientation direction) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isHidden() && !window->isMinimized()) {
            windows.push_back(window);
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    const QRect area = m_mdiArea->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        if (direction == Qt::Vertical) {
            const int top = area.height() * i / count;
            const int bottom = area.height() * (i + 1) / count;
            window->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / count;
            const int right = area.width() * (i + 1) / count;
            window->setGeometry(left, 0, right - left, area.height());
        }
    }
}

void TMainForm::FormClose() {
    if (m_updatesConnected) {
        disconnect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TMainForm::UpdateMenuItems);
        m_updatesConnected = false;
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

} // namespace marlovex::frame
