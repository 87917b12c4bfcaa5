#include "companion/http_get_form.h"

#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace marlovex::companion {
namespace {

QPointer<THttpGetForm> currentDownloadForm;

} // namespace

void THttpCli::Abort() {
    if (m_running) {
        m_running = false;
        emit aborted();
    }
}

THttpGetForm::THttpGetForm(QWidget* owner)
    : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HttpGetForm"));
    setWindowTitle(QStringLiteral("Kursabruf"));
    m_httpCli = new THttpCli(this);
    m_httpCli->setObjectName(QStringLiteral("HttpCli1"));
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    for (int panel = 0; panel < 2; ++panel) {
        m_panels[panel] = new QLabel(m_statusBar);
        m_statusBar->addWidget(m_panels[panel], panel == 0 ? 0 : 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(m_statusBar);
    connect(m_httpCli, &THttpCli::aborted, this, [this] { busy = false; });
}

QString THttpGetForm::statusPanelText(int panel) const {
    return panel >= 0 && panel < 2 ? m_panels[panel]->text() : QString();
}

void THttpGetForm::setStatusPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < 2) {
        m_panels[panel]->setText(text);
    }
}

THttpGetForm* HttpGetForm() {
    return currentDownloadForm.data();
}

void setHttpGetForm(THttpGetForm* form) {
    currentDownloadForm = form;
}

} // namespace marlovex::companion
