#include "tracker/window/crossing_notifier.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace marlovex::tracker {
namespace {

// One tray icon serves every window of the program; it exists from the first message on and
// shows the icon of the window that sent it.
QSystemTrayIcon* trayIcon(const QIcon& icon) {
    static QSystemTrayIcon* tray = [&icon] {
        auto* created = new QSystemTrayIcon(icon, qApp);
        created->setToolTip(QApplication::applicationDisplayName());
        created->show();
        return created;
    }();
    return tray;
}

QString lineOf(const CrossingNotice& notice) {
    return notice.title + QStringLiteral(" – ") + notice.text;
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

void CrossingNotifier::notify(const std::vector<CrossingNotice>& notices) {
    if (notices.empty()) {
        return;
    }
    QStringList lines;
    for (const CrossingNotice& notice : notices) {
        lines << lineOf(notice);
    }
    if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
        QSystemTrayIcon* tray = trayIcon(m_window->windowIcon());
        if (notices.size() == 1) {
            tray->showMessage(notices.front().title, notices.front().text, QSystemTrayIcon::Warning);
        } else {
            tray->showMessage(QStringLiteral("Alarm"), lines.join(QLatin1Char('\n')),
                              QSystemTrayIcon::Warning);
        }
        return;
    }
    m_note->setText(lines.join(QLatin1Char('\n')));
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
