// Hand-over of an instrument's prices and alarm levels to the price messenger, which watches its
// table Message.DB; the warrant's hand-over also enters both rows of the intraday analysis.
#include "tracker/exports/analysis_rows.h"
#include "tracker/exports/messenger_record.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace marlovex::tracker {

// Both buttons open the table inside the messenger's directory. The directory setting may lack
// its trailing separator; joining it as a path keeps both buttons on the same file.
void TOSP_Form::openMessageTable(paradox::Table& messages) const {
    messages.setDatabaseName(MsgPath);
    messages.setTableName(MsgDatei);
    messages.setTableType(paradox::TableType::Paradox);
    messages.open();
}

messenger::HandOver TOSP_Form::handOverOf(paradox::Table& instrument, const QLabel* price,
                                          const QLineEdit* falling, const QLineEdit* rising,
                                          const std::function<double()>& firstPrice) {
    messenger::HandOver handOver;
    handOver.number = instrument.field("Firma").asInteger();
    handOver.name = instrument.field("FirmenName").asString();
    handOver.price = formats::parseDecimal(price->text().toStdString(), m_numbers);
    handOver.first = firstPrice();
    handOver.minimum = levelOr(falling, price, 0.9);
    handOver.maximum = levelOr(rising, price, 1.1);
    return handOver;
}

void TOSP_Form::KursinMessagereintragen1Click(QObject* sender) {
    try {
        paradox::Table messages;
        openMessageTable(messages);
        const bool found = messenger::findRecord(messages, tables.Table3.field("Firma").asInteger());
        try {
            // The list shows the first quote as current afterwards, the one the record starts from.
            const messenger::HandOver handOver = handOverOf(tables.Table3, Label34, Edit6, Edit7, [this] {
                moveQuoteCursor(&paradox::Table::first);
                return tables.Table1.field("Kurs").asFloat();
            });
            messenger::writeHandOver(messages, handOver, found);
        } catch (const std::exception&) {
            // Before the first tick the price label reads "Kurs", and a level may be no number:
            // the record is not written, and the analysis entries below still run.
        }
    } catch (const std::exception&) {
        ui::dialogs().showMessage(this, QStringLiteral("Könnte Messager-Datei nicht öffnen"));
    }
    Analyseeintragen1Click(sender);
}

void TOSP_Form::SpeedButton5Click(QObject*) {
    {
        paradox::Table messages;
        openMessageTable(messages);
        const bool found = messenger::findRecord(messages, tables.Table5.field("Firma").asInteger());
        const messenger::HandOver handOver = handOverOf(tables.Table5, Label33, Edit4, Edit5, [this] {
            tables.Table2.first();
            return tables.Table2.field("Kurs").asFloat();
        });
        messenger::writeHandOver(messages, handOver, found);
    }
    try {
        paradox::Table analysis;
        if (openAnalysisTable(analysis) &&
            analysis::findRow(analysis, tables.Table5.field("FirmenName").asString())) {
            analysis::writeLimits(analysis, levelOr(Edit4, Label33, 0.9), levelOr(Edit5, Label33, 1.1));
        }
    } catch (const std::exception&) {
        // The analysis row is a convenience of the hand-over; the messenger already has its record.
    }
}

} // namespace marlovex::tracker
