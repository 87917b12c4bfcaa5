// Choosing the warrant and the underlying: through the picker, or by applying the names on the
// two buttons (as the frame does for a stored pair).
#include "companion/wert_wahl_form.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QPushButton>
#include <memory>

namespace marlovex::tracker {

void TOSP_Form::Button1Click() {
    paradox::Table& warrants = tables.Table3;
    warrants.open();
    warrants.disableControls();
    if (pickInstrument(warrants, Button1)) {
        followChosenWarrant();
    }
    warrants.enableControls();
    updateWindowTitle();
    refreshQuoteViews();
}

void TOSP_Form::Button2Click() {
    paradox::Table& underlyings = tables.Table5;
    underlyings.open();
    if (pickInstrument(underlyings, Button2)) {
        followChosenUnderlying();
    }
    updateWindowTitle();
    refreshQuoteViews();
}

bool TOSP_Form::pickInstrument(paradox::Table& instruments, QPushButton* button) {
    auto picker = std::make_unique<companion::TWertWahlForm>(this);
    companion::setWertWahlForm(picker.get());
    picker->clearItems();
    {
        // A cursor of its own: the live view must stay on the window's instrument, since ticks
        // go on importing and showing it while the picker is open.
        paradox::Table names;
        names.setDatabaseName(instruments.databaseName());
        names.setTableName(instruments.tableName());
        names.setTableType(instruments.tableType());
        names.setIndexFieldNames("FirmenName");
        names.open();
        for (names.first(); !names.eof(); names.next()) {
            picker->addItem(QString::fromStdString(names.field("FirmenName").asString()));
        }
    }
    picker->selectItem(button->text());
    const bool picked =
        ui::dialogs().execModal(*picker) == QDialog::Accepted && !picker->selectedText().isEmpty();
    if (picked) {
        instruments.findKey({paradox::Value(picker->selectedText().toStdString())});
        button->setText(QString::fromStdString(instruments.field("FirmenName").asString()));
    }
    return picked;
}

void TOSP_Form::Button1aender(QObject*) {
    paradox::Table& warrants = tables.Table3;
    warrants.open();
    warrants.disableControls();
    warrants.findKey({paradox::Value(Button1->text().toStdString())});
    followChosenWarrant();
    warrants.enableControls();
    refreshQuoteViews();
}

void TOSP_Form::Button2aender(QObject*) {
    tables.Table5.open();
    tables.Table5.findKey({paradox::Value(Button2->text().toStdString())});
    followChosenUnderlying();
    refreshQuoteViews();
}

void TOSP_Form::followChosenWarrant() {
    tables.statistics.resetForWarrantSelection();
    // Another instrument is a new watch: being beyond its levels is news even if the label
    // was already coloured for the previous one.
    m_warrantLevels = LevelWatch();
    tables.Table4.open();
    tables.Table1.open();
    tables.Table1.last();
}

void TOSP_Form::followChosenUnderlying() {
    tables.statistics.resetForUnderlyingSelection();
    m_underlyingLevels = LevelWatch();
    tables.Table2.open();
}

void TOSP_Form::updateWindowTitle() {
    setCaption(QStringLiteral("Option  ") + Button1->text() + QStringLiteral("  ") + Button2->text());
}

} // namespace marlovex::tracker
