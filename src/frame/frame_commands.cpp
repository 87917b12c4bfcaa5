// The frame's action list, main menu and toolbar. Every menu item and toolbar button is its own
// QAction that forwards to the shared action, because the frame enables some of them apart from
// their action (the toolbar's open button works only while no child window is open, the menu
// item always).
#include "frame/main_form.h"
#include "ui/error_display.h"
#include "ui/image_list.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <functional>

namespace marlovex::frame {
namespace {

struct ActionDefinition {
    const char* name;
    const char* category;
    const char* caption;
    const char* shortHint;
    const char* statusHint;
    QKeySequence::StandardKey shortcut;
    int image;
};

constexpr QKeySequence::StandardKey noShortcut = QKeySequence::UnknownKey;
constexpr int noImage = -1;

// The action list: name, category, caption, hints, shortcut and picture of every command.
const ActionDefinition actionList[] = {
    {"FileNew1", "Datei", "&Neu", "Neu", "Neue Datei erstellen", QKeySequence::New, 18},
    {"FileOpen1", "Datei", "Ö&ffnen", "Öffnen", "Eine Datei öffnen", QKeySequence::Open, 7},
    {"FileClose1", "Datei", "S&chließen", "Schließen", "Aktuelle Datei schließen", noShortcut, noImage},
    {"FileSave1", "Datei", "&Speichern", "Speichern", "Aktuelle Datei speichern", QKeySequence::Save, 8},
    {"FileSaveAs1", "Datei", "Speichern &unter...", "Speichern unter",
     "Eine Datei unter einem anderen Namen speichern", noShortcut, noImage},
    {"FileExit1", "Datei", "&Beenden", "Beenden", "Das Programm beenden", noShortcut, 19},
    {"EditCut1", "Bearbeiten", "&Ausschneiden", "Ausschneiden",
     "Das markierte Objekt in die Zwischenablage verschieben", QKeySequence::Cut, 0},
    {"EditCopy1", "Bearbeiten", "&Kopieren", "Kopieren",
     "Das markierte Objekt in die Zwischenablage kopieren", QKeySequence::Copy, 1},
    {"EditPaste1", "Bearbeiten", "&Einfügen", "Einfügen", "Den Inhalt der Zwischenablage einfügen",
     QKeySequence::Paste, 2},
    {"WindowCascade1", "Fenster", "Ü&berlappend", "Überlappend", "", noShortcut, 17},
    {"WindowTileHorizontal1", "Fenster", "Hori&zontal anordnen", "Horizontal anordnen", "", noShortcut, 15},
    {"WindowTileVertical1", "Fenster", "&Vertikal anordnen", "Vertikal anordnen", "", noShortcut, 16},
};

// Copies what a client of an action shows: caption, hints, picture. The shortcut stays with the
// action; a menu item shows it after a tab, as menus do.
QAction* makeClient(QAction* action, QObject* owner, const QString& name, bool showShortcut) {
    auto* client = new QAction(action->icon(), action->text(), owner);
    client->setObjectName(name);
    client->setToolTip(action->toolTip());
    client->setStatusTip(action->statusTip());
    client->setProperty("hint", action->property("hint"));
    client->setProperty("category", action->property("category"));
    if (showShortcut && !action->shortcut().isEmpty()) {
        client->setText(action->text() + QLatin1Char('\t') +
                        action->shortcut().toString(QKeySequence::NativeText));
    }
    QObject::connect(client, &QAction::triggered, action, [action] { action->trigger(); });
    return client;
}

} // namespace

QAction* TMainForm::addAction(const QString& name, QAction* action) {
    action->setObjectName(name);
    m_commands[name] = action;
    return action;
}

QAction* TMainForm::addMenuItem(QMenu* menu, const QString& name, QAction* action) {
    QAction* item = makeClient(action, menu, name, true);
    menu->addAction(item);
    m_commands[name] = item;
    return item;
}

QToolButton* TMainForm::addToolButton(const QString& name, QAction* action) {
    QAction* client = makeClient(action, m_toolBar2, name, false);
    auto* button = new QToolButton(m_toolBar2);
    button->setObjectName(name);
    button->setDefaultAction(client);
    button->setAutoRaise(true);
    m_toolBar2->addWidget(button);
    m_commands[name] = client;
    m_toolButtons[name] = button;
    return button;
}

void TMainForm::createActions() {
    for (const ActionDefinition& definition : actionList) {
        auto* action = new QAction(this);
        action->setText(QString::fromUtf8(definition.caption));
        action->setToolTip(QString::fromUtf8(definition.shortHint));
        action->setStatusTip(QString::fromUtf8(definition.statusHint));
        action->setProperty("hint", QString::fromUtf8(definition.shortHint) + QLatin1Char('|') +
                                        QString::fromUtf8(definition.statusHint));
        action->setProperty("category", QString::fromUtf8(definition.category));
        if (definition.shortcut != noShortcut) {
            action->setShortcut(QKeySequence(definition.shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (definition.image != noImage) {
            action->setIcon(ui::imageListIcon(definition.image));
        }
        addAction(QString::fromLatin1(definition.name), action);
        // Added to the frame so that its shortcut works wherever the focus is in the window.
        QWidget::addAction(action);
    }

    const auto bind = [this](const char* name, std::function<void()> handler) {
        connect(m_commands.at(QString::fromLatin1(name)), &QAction::triggered, this,
                [handler = std::move(handler)] { ui::runHandler(handler); });
    };
    bind("FileNew1", [this] { FileNew1Execute(); });
    bind("FileOpen1", [this] { FileOpenItemClick(); });
    bind("FileClose1", [this] {
        if (QMdiSubWindow* active = m_mdiArea->activeSubWindow()) {
            active->close();
        }
    });
    bind("FileSave1", [this] { FileSaveItemClick(); });
    bind("FileSaveAs1", [this] { Speichernunter1Click(); });
    bind("FileExit1", [this] { FileExit1Execute(); });
    bind("EditCut1", [this] { editFocusedControl("cut"); });
    bind("EditCopy1", [this] { editFocusedControl("copy"); });
    bind("EditPaste1", [this] { editFocusedControl("paste"); });
    bind("WindowCascade1", [this] { m_mdiArea->cascadeSubWindows(); });
    bind("WindowTileHorizontal1", [this] { tileChildWindows(Qt::Vertical); });
    bind("WindowTileVertical1", [this] { tileChildWindows(Qt::Horizontal); });
}

void TMainForm::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* info = bar->addMenu(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("Info1"));
    m_commands[QStringLiteral("Info1")] = info->menuAction();
    QAction* about = info->addAction(QStringLiteral("&Über Marlovex Diagramm-Manager"));
    about->setObjectName(QStringLiteral("berMarlovexDiagrammManager1"));
    m_commands[about->objectName()] = about;
    connect(about, &QAction::triggered, this,
            [this] { ui::runHandler([this] { berMarlovexDiagrammManager1Click(); }); });

    QMenu* file = bar->addMenu(QStringLiteral("&Diagramm"));
    file->setObjectName(QStringLiteral("File1"));
    file->menuAction()->setStatusTip(QStringLiteral("Dateibefehle"));
    m_commands[QStringLiteral("File1")] = file->menuAction();
    addMenuItem(file, QStringLiteral("FileNewItem"), command(QStringLiteral("FileNew1")));
    QAction* osTool =
        file->addAction(ui::imageListIcon(ui::ImageIndex::WarrantTracker), QStringLiteral("&OS-Tool"));
    osTool->setObjectName(QStringLiteral("OSTool1"));
    osTool->setVisible(false);
    m_commands[osTool->objectName()] = osTool;
    connect(osTool, &QAction::triggered, this, [this] { ui::runHandler([this] { OSTool1Click(); }); });
    addMenuItem(file, QStringLiteral("FileOpenItem"), command(QStringLiteral("FileOpen1")));
    QAction* openFrom = file->addAction(QStringLiteral("Öffnen &von..."));
    openFrom->setObjectName(QStringLiteral("ffnenvon1"));
    m_commands[openFrom->objectName()] = openFrom;
    connect(openFrom, &QAction::triggered, this, [this] { ui::runHandler([this] { ffnenvon1Click(); }); });
    addMenuItem(file, QStringLiteral("FileSaveItem"), command(QStringLiteral("FileSave1")));
    addMenuItem(file, QStringLiteral("FileSaveAsItem"), command(QStringLiteral("FileSaveAs1")));
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    addMenuItem(file, QStringLiteral("FileExitItem"), command(QStringLiteral("FileExit1")));

    m_window1 = bar->addMenu(QStringLiteral("&Fenster"));
    m_window1->setObjectName(QStringLiteral("Window1"));
    m_window1->menuAction()->setStatusTip(QStringLiteral("Fensterbezogene Anweisungen"));
    m_commands[QStringLiteral("Window1")] = m_window1->menuAction();
    addMenuItem(m_window1, QStringLiteral("WindowCascadeItem"), command(QStringLiteral("WindowCascade1")));
    addMenuItem(m_window1, QStringLiteral("WindowTileItem"),
                command(QStringLiteral("WindowTileHorizontal1")));
    addMenuItem(m_window1, QStringLiteral("WindowTileItem2"), command(QStringLiteral("WindowTileVertical1")));
    m_window1->addSeparator()->setObjectName(QStringLiteral("N2"));
    addMenuItem(m_window1, QStringLiteral("FileCloseItem"), command(QStringLiteral("FileClose1")));
    connect(m_window1, &QMenu::aboutToShow, this, &TMainForm::rebuildWindowList);

    QAction* quit = bar->addAction(QStringLiteral("&Beenden"));
    quit->setObjectName(QStringLiteral("Beenden1"));
    m_commands[quit->objectName()] = quit;
    connect(quit, &QAction::triggered, this, [this] { ui::runHandler([this] { Beenden1Click(); }); });
}

void TMainForm::createToolBar() {
    m_toolBar2 = new QToolBar(this);
    m_toolBar2->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar2->setMovable(false);
    m_toolBar2->setFloatable(false);
    m_toolBar2->setFixedHeight(30);
    m_toolBar2->setIconSize(QSize(16, 16));
    m_toolBar2->setContentsMargins(5, 0, 0, 0);
    m_toolBar2->setStyleSheet(QStringLiteral("QToolBar#ToolBar2 { border: 1px solid palette(mid); }"));
    addToolBar(Qt::TopToolBarArea, m_toolBar2);

    const auto addGap = [this](const QString& name) {
        auto* gap = new QWidget(m_toolBar2);
        gap->setObjectName(name);
        gap->setFixedWidth(15);
        m_toolBar2->addWidget(gap);
    };

    addToolButton(QStringLiteral("ToolButton9"), command(QStringLiteral("FileNew1")));
    QToolButton* osTool = addToolButton(QStringLiteral("ToolButton5"), command(QStringLiteral("OSTool1")));
    osTool->defaultAction()->setToolTip(QStringLiteral("OS-Tool"));
    osTool->defaultAction()->setProperty("hint", QStringLiteral("OS-Tool"));
    addGap(QStringLiteral("ToolButton3"));
    addToolButton(QStringLiteral("ToolButton1"), command(QStringLiteral("FileOpen1")));
    addToolButton(QStringLiteral("ToolButton2"), command(QStringLiteral("FileSave1")));
    addGap(QStringLiteral("ToolButton7"));
    addToolButton(QStringLiteral("ToolButton8"), command(QStringLiteral("WindowCascade1")));
    addToolButton(QStringLiteral("ToolButton10"), command(QStringLiteral("WindowTileHorizontal1")));
    addToolButton(QStringLiteral("ToolButton11"), command(QStringLiteral("WindowTileVertical1")));
    addGap(QStringLiteral("Splitter1"));
    addToolButton(QStringLiteral("ToolButton4"), command(QStringLiteral("FileExit1")));
}

void TMainForm::rebuildWindowList() {
    for (QAction* item : m_window1->actions()) {
        if (item->property("windowListEntry").toBool()) {
            m_window1->removeAction(item);
            item->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        if (window->isHidden()) {
            continue;
        }
        if (number == 0) {
            QAction* separator = m_window1->addSeparator();
            separator->setProperty("windowListEntry", true);
        }
        ++number;
        const QString prefix =
            number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
        QAction* entry = m_window1->addAction(prefix + window->windowTitle());
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(window == m_mdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] {
            m_mdiArea->setActiveSubWindow(window);
            if (window->isMinimized()) {
                window->showNormal();
            }
        });
    }
}

void TMainForm::editFocusedControl(const char* operation) {
    QWidget* focused = QApplication::focusWidget();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focused)) {
        focused = spin->findChild<QLineEdit*>();
    } else if (auto* combo = qobject_cast<QComboBox*>(focused); combo != nullptr && combo->isEditable()) {
        focused = combo->lineEdit();
    }
    if (focused != nullptr && (qobject_cast<QLineEdit*>(focused) || qobject_cast<QTextEdit*>(focused) ||
                               qobject_cast<QPlainTextEdit*>(focused))) {
        QMetaObject::invokeMethod(focused, operation);
    }
}

} // namespace marlovex::frame
