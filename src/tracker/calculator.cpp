// The what-if calculator of the "Rechner" tab.
#include "tracker/tosp_form.h"

namespace marlovex::tracker {

// The recalculation of the calculator's outputs after each tick and each change of a purchase
// input; the calculator tab shows its design captions until it is filled in.
void TOSP_Form::Edit3Change(QObject*) {}

} // namespace marlovex::tracker
