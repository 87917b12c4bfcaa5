// Entries of the warrant and its underlying in the product family's intraday analysis table:
// their rows, the limits that follow the alarm levels, and the break-even price of the position.
// The family's own intraday analysis creates the table; the tracker never does.
#include "platform/paths/file_names.h"
#include "tracker/exports/analysis_rows.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <exception>
#include <filesystem>
#include <optional>

namespace marlovex::tracker {

double TOSP_Form::levelOr(const QLineEdit* level, const QLabel* price, double factor) const {
    if (!level->text().isEmpty()) {
        return valueOf(level);
    }
    return formats::parseDecimal(price->text().toStdString(), m_numbers) * factor;
}

bool TOSP_Form::openAnalysisTable(paradox::Table& analysis) const {
    if (!paths::fileExistsCaseInsensitive(std::filesystem::path(TempPath) / "Analyse.db")) {
        return false;
    }
    analysis.setDatabaseName(TempPath);
    analysis.setTableName("Analyse.db");
    analysis.setTableType(paradox::TableType::Paradox);
    analysis.open();
    return true;
}

void TOSP_Form::enterAnalysisRow(paradox::Table& analysis, paradox::Table& instrument,
                                 paradox::Table& quotes) {
    if (!analysis::findRow(analysis, instrument.field("FirmenName").asString())) {
        analysis::appendRow(analysis, instrument, quotes, m_environment.now());
    }
}

void TOSP_Form::Analyseeintragen1Click(QObject*) {
    try {
        paradox::Table analysis;
        if (!openAnalysisTable(analysis)) {
            return;
        }
        enterAnalysisRow(analysis, tables.Table3, tables.Table1);
        analysis::writeLimits(analysis, levelOr(Edit6, Label34, 0.9), levelOr(Edit7, Label34, 1.1));
        enterAnalysisRow(analysis, tables.Table5, tables.Table2);
        analysis::writeLimits(analysis, levelOr(Edit4, Label33, 0.9), levelOr(Edit5, Label33, 1.1));
    } catch (const std::exception&) {
        // The entries run inside ticks and after the messenger's hand-over: a locked table or a
        // price label that still reads "Kurs" must interrupt neither, and the next call retries.
    }
}

double TOSP_Form::breakEvenPrice() {
    const Position position{
        .purchase = valueOf(Edit3), .quantity = valueOf(Edit9), .chargeFees = CheckBox4->isChecked()};
    // The current quote counts only for the selling fees.
    const double price = position.chargeFees ? tables.Table1.field("Kurs").asFloat() : 0;
    const std::optional<double> breakEven = heldAt(feeSettings(), position, price).breakEven;
    if (!breakEven) {
        throw formats::ConversionError("Die Position hat keine Gewinnschwelle.");
    }
    return *breakEven;
}

void TOSP_Form::AnalyseGewinnEintragen1Click(QObject*) {
    paradox::Table analysis;
    if (!openAnalysisTable(analysis)) {
        ui::dialogs().showMessage(this,
                                  QStringLiteral("Legen Sie erst die Intraday-Analyse-Datei über den Aufruf "
                                                 "unter MARLOVEX=>EXTRAS=>INTRADAY-ANALYSE an."));
        return;
    }
    enterAnalysisRow(analysis, tables.Table3, tables.Table1);
    try {
        analysis::writeBreakEven(analysis, breakEvenPrice());
    } catch (const std::exception&) {
        // A quantity of 0 or an input that is no number has no break-even price; the row keeps
        // the one it had.
    }
}

void TOSP_Form::SpeedButton6Click(QObject* sender) {
    AnalyseGewinnEintragen1Click(sender);
}

} // namespace marlovex::tracker
