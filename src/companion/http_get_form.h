// The quote download form (the companion library's THttpGetForm) and its HTTP client. Each
// tracker window creates one and installs it as the current download form; the tracker reads its
// busy flag, aborts a running download through its client, sets the reset flag after an abort and
// mirrors the two panels of its status bar.
//
// The program fetches quotes through the quote-import program, so this form never downloads by
// itself; it carries the state that the tracker windows share through it.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QLabel;
class QStatusBar;

namespace marlovex::companion {

class THttpCli : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    bool isRunning() const { return m_running; }
    void setRunning(bool running) { m_running = running; }

    // Stops the running download; nothing happens when none runs.
    void Abort();

signals:
    void aborted();

private:
    bool m_running = false;
};

class THttpGetForm : public QWidget {
    Q_OBJECT

public:
    explicit THttpGetForm(QWidget* owner = nullptr);

    // True while a download runs.
    bool busy = false;
    // Set by a tracker after it aborted a download, so the next download starts afresh.
    bool resetAfterAbort = false;

    THttpCli* HttpCli1() const { return m_httpCli; }

    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);

private:
    THttpCli* m_httpCli = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panels[2] = {nullptr, nullptr};
};

// The current download form: the one that the most recently created tracker window installed,
// or nullptr once that one is gone.
THttpGetForm* HttpGetForm();
void setHttpGetForm(THttpGetForm* form);

} // namespace marlovex::companion
