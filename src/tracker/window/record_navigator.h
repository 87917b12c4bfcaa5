// A record navigator: four buttons that move a bound table view to its first, prior, next or last
// record. The navigator only announces the moves; whoever binds it to a table performs them. While
// no data source is attached the buttons are disabled, so a move can never reach a table that is
// busy (the live update detaches the navigator for the length of a tick).
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QWidget>

class QToolButton;

namespace marlovex::tracker {

class RecordNavigator : public QWidget {
    Q_OBJECT

public:
    explicit RecordNavigator(QWidget* parent = nullptr);

    void setDataSourceAttached(bool attached);
    bool isDataSourceAttached() const { return m_attached; }

    QToolButton* firstButton() const { return m_first; }
    QToolButton* priorButton() const { return m_prior; }
    QToolButton* nextButton() const { return m_next; }
    QToolButton* lastButton() const { return m_last; }

signals:
    void firstRequested();
    void priorRequested();
    void nextRequested();
    void lastRequested();

private:
    QToolButton* addMoveButton(const QString& objectName, const QString& hint, bool toEnd, bool pointsLeft);

    QToolButton* m_first = nullptr;
    QToolButton* m_prior = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    bool m_attached = false;
};

} // namespace marlovex::tracker
