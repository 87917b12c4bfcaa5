#include "frame/export_consent.h"

#include "companion/intraday_form.h"
#include "ui/dialogs.h"

namespace marlovex::frame {

ExportConsent::ExportConsent(QWidget* parent)
    : m_parent(parent) {}

void ExportConsent::confirm(companion::TIntradayForm& chart) {
    const companion::ChartState state = chart.capture();
    const QString file = QString::fromStdString(state.exportFile.value_or(std::string()));
    // "*.txt" and the like are the dialog's pattern: no file is written for them.
    if (!state.exportOn.value_or(false) || file.isEmpty() || file.contains(QLatin1Char('*'))) {
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
        companion::ChartState exportOff;
        exportOff.exportOn = false;
        chart.apply(exportOff);
    }
}

} // namespace marlovex::frame
