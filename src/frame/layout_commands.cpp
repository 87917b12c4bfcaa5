// "Speichern unter..." and "Öffnen von...": the arrangement of all windows in a layout file.
#include "companion/intraday_form.h"
#include "frame/export_consent.h"
#include "frame/layout_file.h"
#include "frame/main_form.h"
#include "platform/common/error.h"
#include "platform/common/system_error_text.h"
#include "platform/formats/colour_text.h"
#include "tracker/tosp_form.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <cerrno>
#include <fstream>
#include <span>
#include <sstream>

namespace marlovex::frame {
namespace {

WindowBounds boundsOf(const ui::MdiChildForm& form) {
    const QRect bounds = form.bounds();
    return {bounds.width(), bounds.height(), bounds.x(), bounds.y()};
}

void applyBounds(ui::MdiChildForm& form, const WindowBounds& bounds) {
    form.setWidth(bounds.width);
    form.setHeight(bounds.height);
    form.setLeft(bounds.left);
    form.setTop(bounds.top);
}

TrackerRecord trackerRecordOf(const tracker::TOSP_Form& tracker) {
    TrackerRecord record;
    record.warrant = tracker.Button1->text().toStdString();
    record.underlying = tracker.Button2->text().toStdString();
    record.bounds = boundsOf(tracker);
    record.warrantImportOff = !tracker.SpeedButton3->isEnabled();
    record.underlyingImportOff = !tracker.SpeedButton4->isEnabled();
    record.put = tracker.CheckBox1->isChecked();
    record.fees = tracker.CheckBox4->isChecked();
    const QLineEdit* edits[] = {tracker.Edit1, tracker.Edit2, tracker.Edit3, tracker.Edit4, tracker.Edit5,
                                tracker.Edit6, tracker.Edit7, tracker.Edit8, tracker.Edit9};
    for (std::size_t i = 0; i < record.edits.size(); ++i) {
        record.edits[i] = edits[i]->text().toStdString();
    }
    return record;
}

ChartRecord chartRecordOf(companion::TIntradayForm& chart) {
    ChartRecord record;
    record.instrument = chart.instrumentEdit()->text().toStdString();
    record.bounds = boundsOf(chart);
    record.interval = chart.intervalSpinEdit()->value();
    record.colour = formats::colourToText(chart.color());
    record.exportFile = chart.exportFileDialog().fileName.toStdString();
    record.exportOn = chart.exportMenuItem()->isChecked();
    record.dde = chart.ddeMenuItem()->isChecked();
    record.percent = chart.percentMenuItem()->isChecked();
    return record;
}

} // namespace

void TMainForm::Speichernunter1Click() {
    const QString fileName = ui::dialogs().saveFileName(this, SaveDialog1);
    if (fileName.isEmpty()) {
        return;
    }
    SaveDialog1.fileName = fileName;
    Layout layout;
    layout.header.maximized = isMaximized();
    layout.header.width = width();
    layout.header.height = height();
    layout.header.top = y();
    layout.header.left = x();
    for (QWidget* form : childForms()) {
        if (auto* tracker = qobject_cast<tracker::TOSP_Form*>(form)) {
            layout.records.emplace_back(trackerRecordOf(*tracker));
        } else if (auto* chart = qobject_cast<companion::TIntradayForm*>(form)) {
            layout.records.emplace_back(chartRecordOf(*chart));
        }
    }
    std::ofstream out(fileName.toStdString(), std::ios::binary | std::ios::trunc);
    out << writeLayout(layout);
    out.close();
    if (!out) {
        // The user must not believe the arrangement is saved when it is not.
        ui::dialogs().showMessage(this, QStringLiteral("Die Datei %1 konnte nicht geschrieben werden: %2")
                                            .arg(fileName, QString::fromStdString(systemErrorText(errno))));
    }
}

void TMainForm::AutoOpen() {
    const QString fileName = OpenDialog.fileName;
    setWindowTitle(QStringLiteral("Marlovex Diagramm Manager (") + QFileInfo(fileName).fileName() +
                   QLatin1Char(')'));
    std::ifstream in(fileName.toStdString(), std::ios::binary);
    if (!in) {
        // Reading a file that is not there as empty lines would shrink the frame to nothing.
        ui::dialogs().showMessage(this, QStringLiteral("Die Datei %1 konnte nicht gelesen werden: %2")
                                            .arg(fileName, QString::fromStdString(systemErrorText(errno))));
        return;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    const Layout layout = parseLayout(bytes.str());

    if (layout.header.maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    setFrameWidth(layout.header.width);
    setFrameHeight(layout.header.height);
    setFrameTop(layout.header.top);
    setFrameLeft(layout.header.left);

    const int count = layout.header.count;
    std::span<const LayoutRecord> records(layout.records);
    if (records.size() > static_cast<std::size_t>(maximumRestoredWindows)) {
        ui::dialogs().showMessage(
            this, tooManyWindows(QStringLiteral("Die Layoutdatei ") + QFileInfo(fileName).fileName(),
                                 static_cast<qint64>(records.size())));
        records = records.first(maximumRestoredWindows);
    }
    ExportConsent exportConsent(this);
    int position = 0;
    for (const LayoutRecord& record : records) {
        ++position;
        if (const auto* saved = std::get_if<TrackerRecord>(&record)) {
            OSToolOpen(QString::fromStdString(saved->underlying), QString::fromStdString(saved->warrant));
            auto* tracker = qobject_cast<tracker::TOSP_Form*>(childForms().front());
            applyBounds(*tracker, saved->bounds);
            tracker->PageControl1->setCurrentWidget(tracker->TabSheet2);
            if (saved->warrantImportOff) {
                tracker->SpeedButton3Click(this);
            }
            if (saved->underlyingImportOff) {
                tracker->SpeedButton4Click(this);
            }
            // The boxes take the saved state, so a call stays a call and a file saved again
            // says what it said before; "Put?" runs its handler for a put or for any change.
            const bool putChanged = tracker->CheckBox1->isChecked() != saved->put;
            {
                const QSignalBlocker quiet(tracker->CheckBox1);
                tracker->CheckBox1->setChecked(saved->put);
            }
            if (saved->put || putChanged) {
                tracker->CheckBox1Click();
            }
            tracker->CheckBox4->setChecked(saved->fees);
            QLineEdit* edits[] = {tracker->Edit1, tracker->Edit2, tracker->Edit3,
                                  tracker->Edit4, tracker->Edit5, tracker->Edit6,
                                  tracker->Edit7, tracker->Edit8, tracker->Edit9};
            for (std::size_t i = 0; i < saved->edits.size(); ++i) {
                edits[i]->setText(QString::fromStdString(saved->edits[i]));
            }
            continue;
        }
        const auto& saved = std::get<ChartRecord>(record);
        NewChartWindow(QString::fromStdString(saved.instrument));
        auto* chart = qobject_cast<companion::TIntradayForm*>(childForms().front());
        if (saved.oldStyle) {
            // Older files spread the charts' refresh over a minute: later ones refresh sooner.
            ChartInterval = (60000 / count) * (count - position + 1);
        }
        applyBounds(*chart, saved.bounds);
        if (saved.interval) {
            chart->intervalSpinEdit()->setValue(*saved.interval);
        }
        if (saved.colour) {
            chart->setColor(formats::colourFromText(*saved.colour));
        }
        if (saved.exportFile) {
            chart->exportFileDialog().fileName = QString::fromStdString(*saved.exportFile);
        }
        if (saved.exportOn) {
            chart->exportMenuItem()->setChecked(*saved.exportOn);
        }
        if (saved.dde) {
            chart->ddeMenuItem()->setChecked(*saved.dde);
        }
        if (saved.percent) {
            chart->percentMenuItem()->setChecked(*saved.percent);
        }
        exportConsent.confirm(*chart);
    }
}

} // namespace marlovex::frame
