// Entries of the warrant and its underlying in the product family's intraday analysis table.
#include "tracker/tosp_form.h"

namespace marlovex::tracker {

// Enters the trailed limits into the intraday analysis table when "Limit autom. in der
// Intraday-Analyse anpassen" is checked; the table is not written yet.
void TOSP_Form::Analyseeintragen1Click(QObject*) {}

} // namespace marlovex::tracker
