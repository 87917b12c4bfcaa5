#include "frame/export_consent.h"

#include "companion/intraday_form.h"
#include "ui/dialogs.h"

#include <QAction>

namespace marlovex::frame {

ExportConsent::ExportConsent(QWidget* parent)
    : m_parent(parent) {}

void ExportConsent::confirm(companion::TIntradayForm& chart) {
    const QString file = chart.exportFileDialog().fileName;
    // "*.txt" and the like are the dialog's pattern: no file is written for them.
    if (!chart.exportMenuItem()->isChecked() || file.isEmpty() || file.contains(QLatin1Char('*'))) {
        return;
    }
    const auto known = m_answers.find(file);
    const bool agreed =
        known != m_answers.end()
            ? known->second
            : m_answers
                  .emplace(file,
                           ui::dialogs().askYesNo(m_parent, QStringLiteral("Kursexport"),
                                                  QStringLiteral("Kurse nach %1 exportieren?").arg(file)))
                  .first->second;
    if (!agreed) {
        chart.exportMenuItem()->setChecked(false);
    }
}

} // namespace marlovex::frame
