// The alarm levels of the "Alarm" tab: proposed from the last price, their band widths, and the
// red falling-level line dragged in the chart.
#include "tracker/model/level_trailing.h"
#include "tracker/window/tosp_form.h"

#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace marlovex::tracker {

void TOSP_Form::proposeLevels(const QLabel* lastPrice, QLineEdit* falling, QLineEdit* rising) {
    double price = 0;
    try {
        price = formats::parseDecimal(lastPrice->text().toStdString(), m_numbers);
    } catch (const std::exception&) {
        // Before the first tick the label reads "Kurs": there is nothing to propose from.
        return;
    }
    const AlarmLevels proposed = proposedLevels(price);
    falling->setText(
        QString::fromStdString(formats::formatPattern(proposed.falling, "#####0.00", m_numbers)));
    rising->setText(QString::fromStdString(formats::formatPattern(proposed.rising, "#####0.00", m_numbers)));
}

void TOSP_Form::Label39Click() {
    proposeLevels(Label34, Edit6, Edit7);
}

void TOSP_Form::Label40Click() {
    proposeLevels(Label33, Edit4, Edit5);
}

void TOSP_Form::showBandWidth(const QLineEdit* falling, const QLineEdit* rising, QLabel* width) {
    try {
        width->setText(shortest(bandWidth({.falling = valueOf(falling), .rising = valueOf(rising)})));
    } catch (const std::exception&) {
        width->clear();
    }
}

void TOSP_Form::Edit6Change() {
    showBandWidth(Edit6, Edit7, Label75);
}

void TOSP_Form::Edit4Change() {
    showBandWidth(Edit4, Edit5, Label78);
}

void TOSP_Form::ChartTool3EndDragLine(double value) {
    // A level placed by hand must not be trailed away by the next tick.
    Edit10->clear();
    Edit6->setText(shortest(formats::roundToDecimals(value, 3)));
}

} // namespace marlovex::tracker
