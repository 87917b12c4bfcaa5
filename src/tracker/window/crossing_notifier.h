// Tells the user that a price crossed an alarm level: as a message of the desktop's system tray
// where there is one, otherwise as a note along the bottom of the window that fades after a while.
// Neither waits for the user, so a tick that announces a crossing goes on at once.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QLabel;
class QTimer;
class QWidget;

namespace marlovex::tracker {

// One crossing: the title names the level and the instrument, the text the price and the level.
struct CrossingNotice {
    QString title;
    QString text;
};

class CrossingNotifier : public QObject {
    Q_OBJECT

public:
    // `window` carries the note when the desktop has no system tray.
    explicit CrossingNotifier(QWidget* window);

    // Shows the crossings of one tick together, so that none hides another.
    void notify(const std::vector<CrossingNotice>& notices);

    // How long a note stays in the window.
    static constexpr int noteDurationMs = 20000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeNote();

    QWidget* m_window;
    QLabel* m_note;
    QTimer* m_noteTimer;
};

} // namespace marlovex::tracker
