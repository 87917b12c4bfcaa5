// "Speichern unter..." and "Öffnen von...": the arrangement of all windows in a layout file.
#include "companion/intraday_form.h"
#include "frame/export_consent.h"
#include "frame/layout_file.h"
#include "frame/main_form.h"
#include "platform/common/error.h"
#include "platform/common/system_error_text.h"
#include "platform/formats/colour_text.h"
#include "tracker/window/tosp_form.h"

#include <QFileInfo>
#include <cerrno>
#include <fstream>
#include <span>
#include <sstream>

namespace marlovex::frame {
namespace {

WindowBounds boundsOf(const ui::WindowPlacement& placement) {
    return {placement.width.value_or(0), placement.height.value_or(0), placement.left.value_or(0),
            placement.top.value_or(0)};
}

ui::WindowPlacement placementOf(const WindowBounds& bounds) {
    return {bounds.width, bounds.height, bounds.left, bounds.top};
}

TrackerRecord trackerRecordOf(const tracker::TrackerState& state) {
    TrackerRecord record;
    record.warrant = state.warrant;
    record.underlying = state.underlying;
    record.bounds = boundsOf(state.placement);
    record.warrantImportOff = state.warrantImportOff.value_or(false);
    record.underlyingImportOff = state.underlyingImportOff.value_or(false);
    record.put = state.put.value_or(false);
    record.fees = state.fees.value_or(false);
    for (std::size_t i = 0; i < record.edits.size(); ++i) {
        record.edits[i] = state.edits[i].value_or(std::string());
    }
    return record;
}

// A layout record holds no time filter and no axis switch: the window keeps its own.
tracker::TrackerState trackerStateOf(const TrackerRecord& record) {
    tracker::TrackerState state;
    state.warrant = record.warrant;
    state.underlying = record.underlying;
    state.placement = placementOf(record.bounds);
    state.warrantImportOff = record.warrantImportOff;
    state.underlyingImportOff = record.underlyingImportOff;
    state.put = record.put;
    state.fees = record.fees;
    for (std::size_t i = 0; i < record.edits.size(); ++i) {
        state.edits[i] = record.edits[i];
    }
    return state;
}

ChartRecord chartRecordOf(const companion::ChartState& state) {
    ChartRecord record;
    record.instrument = state.instrument;
    record.bounds = boundsOf(state.placement);
    record.interval = state.interval;
    if (state.colour) {
        record.colour = formats::colourToText(*state.colour);
    }
    record.exportFile = state.exportFile;
    record.exportOn = state.exportOn;
    record.dde = state.dde;
    record.percent = state.percent;
    return record;
}

// Throws the conversion's error for a colour that is no colour.
companion::ChartState chartStateOf(const ChartRecord& record) {
    companion::ChartState state;
    state.instrument = record.instrument;
    state.placement = placementOf(record.bounds);
    state.interval = record.interval;
    if (record.colour) {
        state.colour = formats::colourFromText(*record.colour);
    }
    state.exportFile = record.exportFile;
    state.exportOn = record.exportOn;
    state.dde = record.dde;
    state.percent = record.percent;
    return state;
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
            layout.records.emplace_back(trackerRecordOf(tracker->capture()));
        } else if (auto* chart = qobject_cast<companion::TIntradayForm*>(form)) {
            layout.records.emplace_back(chartRecordOf(chart->capture()));
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
            qobject_cast<tracker::TOSP_Form*>(childForms().front())->apply(trackerStateOf(*saved));
            continue;
        }
        const auto& saved = std::get<ChartRecord>(record);
        NewChartWindow(QString::fromStdString(saved.instrument));
        auto* chart = qobject_cast<companion::TIntradayForm*>(childForms().front());
        if (saved.oldStyle) {
            // Older files spread the charts' refresh over a minute: later ones refresh sooner.
            ChartInterval = (60000 / count) * (count - position + 1);
        }
        chart->apply(chartStateOf(saved));
        exportConsent.confirm(*chart);
    }
}

} // namespace marlovex::frame
