#include "tracker/crossing_notifier.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace marlovex::tracker {
namespace {

// One tray icon serves every window of the program; it exists from the first message on.
QSystemTrayIcon* trayIcon() {
    static QSystemTrayIcon* icon = [] {
        auto* created = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        created->setToolTip(QApplication::applicationDisplayName());
        created->show();
        return created;
    }();
    return icon;
}

} // namespace

CrossingNotifier::CrossingNotifier(QWidget* window)
    : QObject(window)
    , m_window(window)
    , m_note(new QLabel(window))
    , m_noteTimer(new QTimer(this)) {
    m_note->setObjectName(QStringLiteral("crossingNote"));
    m_note->setAutoFillBackground(true);
    m_note->setStyleSheet(QStringLiteral("QLabel { background: #fff6c8; color: black; "
                                         "border-top: 1px solid #b0a060; padding: 2px 6px; }"));
    m_note->setToolTip(QStringLiteral("Klicken zum Schließen"));
    m_note->hide();
    m_note->installEventFilter(this);
    m_noteTimer->setSingleShot(true);
    m_noteTimer->setInterval(noteDurationMs);
    connect(m_noteTimer, &QTimer::timeout, m_note, &QWidget::hide);
    window->installEventFilter(this);
}

void CrossingNotifier::notify(const QString& title, const QString& text) {
    if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
        trayIcon()->showMessage(title, text, QSystemTrayIcon::Warning);
        return;
    }
    m_note->setText(title + QStringLiteral(" – ") + text);
    placeNote();
    m_note->show();
    m_note->raise();
    m_noteTimer->start();
}

bool CrossingNotifier::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Resize) {
        placeNote();
    } else if (watched == m_note && event->type() == QEvent::MouseButtonRelease) {
        m_note->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CrossingNotifier::placeNote() {
    const int height = m_note->sizeHint().height();
    m_note->setGeometry(0, m_window->height() - height, m_window->width(), height);
}

} // namespace marlovex::tracker
