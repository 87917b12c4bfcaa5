// The tracker window as the frame sees it: opened on a pair, saved as a TrackerState, restored
// from one.
#include "tracker/chart/tracker_chart.h"
#include "tracker/window/tosp_form.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

namespace marlovex::tracker {

void TOSP_Form::openPair(const QString& warrant, const QString& underlying) {
    const QString noInstrument = QStringLiteral("Leer");
    if (warrant != noInstrument) {
        Button1->setText(warrant);
        Button1aender(this);
    }
    if (underlying != noInstrument) {
        Button2->setText(underlying);
        Button2aender(this);
    }
    SpeedButton1Click(this);
}

TrackerState TOSP_Form::capture() const {
    TrackerState state;
    state.warrant = Button1->text().toStdString();
    state.underlying = Button2->text().toStdString();
    state.placement = placement();
    state.warrantImportOff = !SpeedButton3->isEnabled();
    state.underlyingImportOff = !SpeedButton4->isEnabled();
    state.put = CheckBox1->isChecked();
    state.timeFilter = CheckBox3->isChecked();
    state.warrantAxisInverted = OSAchseinvertiert1->isChecked();
    state.fees = CheckBox4->isChecked();
    const QLineEdit* edits[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9};
    for (std::size_t i = 0; i < state.edits.size(); ++i) {
        state.edits[i] = edits[i]->text().toStdString();
    }
    return state;
}

void TOSP_Form::apply(const TrackerState& state) {
    place(state.placement);
    PageControl1->setCurrentWidget(TabSheet2);
    if (state.put) {
        // The box takes the saved state, so a call stays a call and a file saved again says
        // what it said before; "Put?" runs its handler for a put or for any change.
        const bool changed = CheckBox1->isChecked() != *state.put;
        {
            const QSignalBlocker quiet(CheckBox1);
            CheckBox1->setChecked(*state.put);
        }
        if (*state.put || changed) {
            CheckBox1Click();
        }
    }
    if (state.timeFilter) {
        CheckBox3->setChecked(*state.timeFilter);
    }
    if (state.warrantAxisInverted) {
        OSAchseinvertiert1->setChecked(*state.warrantAxisInverted);
        DBChart1->setWarrantAxisInverted(*state.warrantAxisInverted);
    }
    if (state.fees) {
        CheckBox4->setChecked(*state.fees);
    }
    QLineEdit* edits[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9};
    // The purchase price follows the alarm levels.
    for (const std::size_t edit : {0, 1, 3, 4, 5, 6, 2, 7, 8}) {
        if (state.edits[edit]) {
            edits[edit]->setText(QString::fromStdString(*state.edits[edit]));
        }
    }
    if (state.warrantImportOff.value_or(false)) {
        SpeedButton3Click(this);
    }
    if (state.underlyingImportOff.value_or(false)) {
        SpeedButton4Click(this);
    }
}

} // namespace marlovex::tracker
