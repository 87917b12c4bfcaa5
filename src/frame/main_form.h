// The diagram manager frame (TMainForm): the program's main window, a multiple-document frame
// that holds chart windows and warrant tracker windows, with the menus, actions and toolbar that
// open, arrange, save and restore them.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QMainWindow>
#include <QStringList>
#include <filesystem>
#include <map>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace marlovex::companion {
class TIntradayForm;
}

namespace marlovex::frame {

// Where the frame finds its surroundings. The program fills it from the process; tests point it
// at temporary directories.
struct FrameEnvironment {
    std::filesystem::path registryFile;
    // Directory of the program file.
    QString programDir;
    // The process's working directory.
    QString currentDir;
    // Command-line parameters after the program name.
    QStringList parameters;
    // What tracker windows get as their surroundings.
    tracker::TrackerEnvironment trackerEnvironment;
};

// Builds the environment of the running process: registry file, program directory, working
// directory, and the given parameters.
FrameEnvironment processEnvironment(const QStringList& parameters);

// At most this many windows come back from a layout file or the workspace: a damaged or hostile
// file could otherwise ask for windows without end.
inline constexpr int maximumRestoredWindows = 64;

// The message for a `source` ("Die Layoutdatei Morgen.QVZ") that names `count` windows, more than
// are restored.
QString tooManyWindows(const QString& source, qint64 count);

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(FrameEnvironment environment, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up: database session, data directory, frame bounds, directory prompt, timers.
    void FormCreate();
    // The one-shot command-line timer: restores the workspace or opens layout files.
    void Timer1Timer();
    // Enables the commands that need (or must not have) child windows.
    void UpdateMenuItems();

    // Child windows.
    void FileNew1Execute();
    void NewChartWindow(const QString& instrument);
    // Opens a tracker window on the underlying and the warrant; "Leer" keeps the window's own
    // choice for that instrument.
    void OSToolOpen(const QString& underlying, const QString& warrant);
    void OSTool1Click();

    // Workspace and layout file commands.
    void FileOpenItemClick();
    void FileSaveItemClick();
    void Speichernunter1Click();
    void ffnenvon1Click();
    void AutoOpen();

    void berMarlovexDiagrammManager1Click();
    void FileExit1Execute();
    void Beenden1Click();

    bool NewChartDblClick = true;
    int ChartInterval = 1000;
    QString DataDir;

    ui::FileDialogRequest OpenDialog;
    ui::FileDialogRequest SaveDialog1;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QTimer* timer1() const { return m_timer1; }
    // The frame's child windows, front-most first.
    QList<QWidget*> childForms() const;
    // Menu items, actions and toolbar buttons by their names ("FileSaveItem", "ToolButton2",
    // "FileNew1", ...).
    QAction* command(const QString& name) const;
    QToolButton* toolButton(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Frame bounds from settings and layout files, kept to the screen.
    void setFrameWidth(int width);
    void setFrameHeight(int height);
    void setFrameTop(int top);
    void setFrameLeft(int left);

    void createActions();
    void createMenus();
    void createToolBar();
    void rebuildWindowList();
    // Tiles the visible child windows one after another along `direction`: Qt::Vertical stacks
    // them top to bottom ("horizontal" tiling), Qt::Horizontal places them side by side.
    void tileChildWindows(Qt::Orientation direction);
    void addChildWindow(QWidget* form);
    void FormClose();
    QAction* addAction(const QString& name, QAction* action);
    QAction* addMenuItem(QMenu* menu, const QString& name, QAction* action);
    QToolButton* addToolButton(const QString& name, QAction* action);
    void editFocusedControl(const char* operation);

    FrameEnvironment m_environment;
    QMdiArea* m_mdiArea = nullptr;
    QTimer* m_timer1 = nullptr;
    QToolBar* m_toolBar2 = nullptr;
    QMenu* m_window1 = nullptr;
    std::map<QString, QAction*> m_commands;
    std::map<QString, QToolButton*> m_toolButtons;
    bool m_updatesConnected = false;
};

} // namespace marlovex::frame
