// Starting the quote-import program for the warrant and the underlying, the two switches that
// turn those starts off, and the status line that tells how the imports went.
#include "companion/http_get_form.h"
#include "tracker/window/tosp_form.h"

#include <QToolButton>
#include <vector>

namespace marlovex::tracker {

void TOSP_Form::SpeedButton3Click(QObject*) {
    SpeedButton3->setEnabled(false);
}

void TOSP_Form::SpeedButton4Click(QObject*) {
    SpeedButton4->setEnabled(false);
}

void TOSP_Form::Laden(QObject*) {
    // An instrument is chosen once its quotes are open; one not chosen yet has no number to
    // import, and the other one still runs.
    const auto chosen = [](const paradox::Table& instruments, const paradox::Table& quotes) {
        return quotes.active() && instruments.active() && !instruments.isEmpty();
    };
    std::vector<paradox::Table*> imported;
    if (SpeedButton3->isEnabled() && chosen(tables.Table3, tables.Table1)) {
        imported.push_back(&tables.Table3);
    }
    if (SpeedButton4->isEnabled() && chosen(tables.Table5, tables.Table2)) {
        imported.push_back(&tables.Table5);
    }
    // The status line speaks of the instruments imported now, not of one the window left.
    std::vector<std::int64_t> numbers;
    for (paradox::Table* instrument : imported) {
        numbers.push_back(instrument->field("Firma").asInteger());
    }
    m_importStatus.forgetAllBut(numbers);
    for (paradox::Table* instrument : imported) {
        startImport(*instrument);
    }
    showImportStatus();
}

void TOSP_Form::startImport(paradox::Table& instrument) {
    const std::int64_t number = instrument.field("Firma").asInteger();
    // A source slower than the cycle would otherwise pile up runs that fetch the same quotes.
    if (m_importsRunning.contains(number)) {
        return;
    }
    const std::string name = instrument.field("FirmenName").asString();
    m_importStatus.started(number, name);
    m_importsRunning.insert(number);
    // The tick never waits for the program: its quotes reach a later tick, and how it ended
    // reaches the status line when it is done.
    m_environment.startProgram(this, AppDir + "Lorquin", {"/W", std::to_string(number), "/D"},
                               [this, number, name](const ProgramOutcome& outcome) {
                                   m_importsRunning.erase(number);
                                   m_importStatus.finished(number, name, outcome.exitCode, outcome.output,
                                                           outcome.error);
                                   showImportStatus();
                               });
}

void TOSP_Form::showImportStatus() {
    const ImportStatusLine line = m_importStatus.line();
    m_downloadForm->setStatusPanelText(0, QString::fromStdString(line.state));
    m_downloadForm->setStatusPanelText(1, QString::fromStdString(line.detail));
}

} // namespace marlovex::tracker
