// The chart window as the frame sees it: readied for the frame, saved as a ChartState, restored
// from one.
#include "companion/intraday_form.h"

#include <QAction>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

namespace marlovex::companion {

void TIntradayForm::prepareForFrame(const QString& instrument, int refreshInterval) {
    m_newWindowMenuItem->setVisible(false);
    m_refreshTimer->setInterval(refreshInterval);
    setCaption(instrument);
    m_instrumentEdit->setText(instrument);
}

ChartState TIntradayForm::capture() const {
    ChartState state;
    state.instrument = m_instrumentEdit->text().toStdString();
    state.placement = placement();
    state.interval = m_intervalSpinEdit->value();
    state.colour = m_color;
    state.exportFile = m_exportFileDialog.fileName.toStdString();
    state.exportOn = m_exportMenuItem->isChecked();
    state.dde = m_ddeMenuItem->isChecked();
    state.percent = m_percentMenuItem->isChecked();
    return state;
}

void TIntradayForm::apply(const ChartState& state) {
    place(state.placement);
    if (state.interval) {
        m_intervalSpinEdit->setValue(*state.interval);
    }
    if (state.percent) {
        m_percentMenuItem->setChecked(*state.percent);
    }
    if (state.colour) {
        setColor(*state.colour);
    }
    if (state.exportFile) {
        m_exportFileDialog.fileName = QString::fromStdString(*state.exportFile);
    }
    if (state.exportOn) {
        m_exportMenuItem->setChecked(*state.exportOn);
    }
    if (state.dde) {
        m_ddeMenuItem->setChecked(*state.dde);
    }
}

} // namespace marlovex::companion
