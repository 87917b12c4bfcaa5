// Starting the quote-import program for the warrant and the underlying, and the two switches
// that turn those starts off.
#include "tracker/tosp_form.h"

#include <QToolButton>

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
    if (SpeedButton3->isEnabled() && chosen(tables.Table3, tables.Table1)) {
        startImport(tables.Table3.field("Firma").asInteger());
    }
    if (SpeedButton4->isEnabled() && chosen(tables.Table5, tables.Table2)) {
        startImport(tables.Table5.field("Firma").asInteger());
    }
}

void TOSP_Form::startImport(std::int64_t instrument) {
    // The program runs on its own and unwatched: a start that fails is not reported, the next
    // tick simply finds no new quote.
    m_environment.startProgram(AppDir + "Lorquin", {"/W", std::to_string(instrument), "/D"});
}

} // namespace marlovex::tracker
