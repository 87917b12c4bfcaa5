// "Speichern" and "Öffnen": the workspace of all windows in the settings, under the same key as
// every other setting, as families of values numbered by window (ManageTitle0, ManageTitle1, ...).
#include "companion/intraday_form.h"
#include "frame/export_consent.h"
#include "frame/main_form.h"
#include "platform/registry/registry.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <algorithm>
#include <optional>

namespace marlovex::frame {
namespace {

const std::string workspaceKey = "\\SOFTWARE\\Brelmund\\Marlovex";

std::string numbered(const char* family, int index) {
    return family + std::to_string(index);
}

void writePlacement(registry::Registry& settings, const ui::WindowPlacement& placement, int index) {
    settings.writeInteger(numbered("ManageWidth", index), placement.width.value_or(0));
    settings.writeInteger(numbered("ManageHeight", index), placement.height.value_or(0));
    settings.writeInteger(numbered("ManageLeft", index), placement.left.value_or(0));
    settings.writeInteger(numbered("ManageTop", index), placement.top.value_or(0));
}

void saveTracker(registry::Registry& settings, const tracker::TrackerState& state, int index) {
    settings.writeString(numbered("ManageTitle", index), state.underlying);
    settings.writeString(numbered("ManageOption", index), state.warrant);
    settings.writeString(numbered("ManageBasis", index), state.underlying);
    writePlacement(settings, state.placement, index);
    settings.writeBool(numbered("ManageOT", index), true);
    settings.writeBool(numbered("ManageOSInter", index), state.warrantImportOff.value_or(false));
    settings.writeBool(numbered("ManageBasisInter", index), state.underlyingImportOff.value_or(false));
    settings.writeBool(numbered("ManagePut", index), state.put.value_or(false));
    settings.writeBool(numbered("ManageZeit", index), state.timeFilter.value_or(false));
    settings.writeBool(numbered("ManageInverted", index), state.warrantAxisInverted.value_or(false));
    settings.writeBool(numbered("ManageSpesen", index), state.fees.value_or(false));
    for (std::size_t edit = 0; edit < state.edits.size(); ++edit) {
        settings.writeString("ManageEdit" + std::to_string(edit + 1) + std::to_string(index),
                             state.edits[edit].value_or(std::string()));
    }
}

void saveChart(registry::Registry& settings, const companion::ChartState& state, int index) {
    settings.writeString(numbered("ManageTitle", index), state.instrument);
    writePlacement(settings, state.placement, index);
    settings.writeBool(numbered("ManageOT", index), false);
    settings.writeInteger(numbered("ManageIntervall", index), state.interval.value_or(0));
    settings.writeBool(numbered("ManageProzent", index), state.percent.value_or(false));
    const std::uint32_t colour = state.colour.value_or(0);
    settings.writeBinaryData(numbered("ManageColor", index),
                             {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                              static_cast<std::uint8_t>(colour >> 16),
                              static_cast<std::uint8_t>(colour >> 24)});
    settings.writeString(numbered("ManageFile", index), state.exportFile.value_or(std::string()));
    settings.writeBool(numbered("ManageExport", index), state.exportOn.value_or(false));
    settings.writeBool(numbered("ManageDDE", index), state.dde.value_or(false));
}

// Reads the values of one window; a value of another type ends the restore with the
// registry's message.
class WindowValues {
public:
    WindowValues(registry::Registry& settings, int index)
        : m_settings(settings)
        , m_index(index) {}

    bool has(const char* family) const { return m_settings.valueExists(numbered(family, m_index)); }
    int integer(const char* family) const { return m_settings.readInteger(numbered(family, m_index)); }
    bool boolean(const char* family) const { return m_settings.readBool(numbered(family, m_index)); }
    std::string text(const char* family) const { return m_settings.readString(numbered(family, m_index)); }

    std::uint32_t colour(const char* family) const {
        const std::string name = numbered(family, m_index);
        const std::vector<std::uint8_t> bytes = m_settings.readBinaryData(name);
        if (bytes.size() != 4) {
            throw registry::RegistryError("Ungültiger Datentyp für '" + name + "'");
        }
        return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
               static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    }

    std::optional<int> optionalInteger(const char* family) const {
        return has(family) ? std::optional(integer(family)) : std::nullopt;
    }
    std::optional<bool> optionalBoolean(const char* family) const {
        return has(family) ? std::optional(boolean(family)) : std::nullopt;
    }
    std::optional<std::string> optionalText(const char* family) const {
        return has(family) ? std::optional(text(family)) : std::nullopt;
    }

    ui::WindowPlacement placement() const {
        return {optionalInteger("ManageWidth"), optionalInteger("ManageHeight"),
                optionalInteger("ManageLeft"), optionalInteger("ManageTop")};
    }

    // The instruments come from the caller: a tracker without its names takes those of the one
    // restored before it.
    tracker::TrackerState trackerState() const {
        tracker::TrackerState state;
        state.placement = placement();
        state.put = optionalBoolean("ManagePut");
        state.timeFilter = optionalBoolean("ManageZeit");
        state.warrantAxisInverted = optionalBoolean("ManageInverted");
        // A stored "off" leaves the fees as the tracker's own settings start them.
        if (optionalBoolean("ManageSpesen").value_or(false)) {
            state.fees = true;
        }
        for (std::size_t edit = 0; edit < state.edits.size(); ++edit) {
            state.edits[edit] = optionalText(("ManageEdit" + std::to_string(edit + 1)).c_str());
        }
        state.warrantImportOff = optionalBoolean("ManageOSInter");
        state.underlyingImportOff = optionalBoolean("ManageBasisInter");
        return state;
    }

    companion::ChartState chartState() const {
        companion::ChartState state;
        state.placement = placement();
        state.interval = optionalInteger("ManageIntervall");
        state.percent = optionalBoolean("ManageProzent");
        if (has("ManageColor")) {
            state.colour = colour("ManageColor");
        }
        state.exportFile = optionalText("ManageFile");
        state.exportOn = optionalBoolean("ManageExport");
        state.dde = optionalBoolean("ManageDDE");
        return state;
    }

private:
    registry::Registry& m_settings;
    int m_index;
};

} // namespace

void TMainForm::FileSaveItemClick() {
    registry::Registry settings(m_environment.registryFile);
    if (!settings.openKey(workspaceKey, true)) {
        return;
    }
    // One commit: another instance saving at the same moment must not mix its windows in.
    settings.beginBatch();
    const QList<QWidget*> forms = childForms();
    int index = 0;
    for (QWidget* form : forms) {
        if (auto* tracker = qobject_cast<tracker::TOSP_Form*>(form)) {
            saveTracker(settings, tracker->capture(), index++);
        } else if (auto* chart = qobject_cast<companion::TIntradayForm*>(form)) {
            saveChart(settings, chart->capture(), index++);
        }
    }
    settings.writeInteger("ManageCount", index);
    settings.writeBool("ManageMax", isMaximized());
    if (!isMaximized()) {
        settings.writeInteger("ShowWinWidth", width());
        settings.writeInteger("ShowWinHeight", height());
    }
    settings.commitBatch();
    settings.closeKey();
}

void TMainForm::FileOpenItemClick() {
    registry::Registry settings(m_environment.registryFile);
    if (!settings.keyExists(workspaceKey)) {
        return;
    }
    settings.openKey(workspaceKey, false);
    const int storedCount = settings.valueExists("ManageCount") ? settings.readInteger("ManageCount") : 0;
    const int count = std::clamp(storedCount, 0, maximumRestoredWindows);
    if (storedCount > count) {
        ui::dialogs().showMessage(
            this, tooManyWindows(QStringLiteral("Der gespeicherte Arbeitsbereich"), storedCount));
    }
    if (settings.valueExists("ShowWinWidth")) {
        setFrameWidth(settings.readInteger("ShowWinWidth"));
    }
    if (settings.valueExists("ShowWinHeight")) {
        setFrameHeight(settings.readInteger("ShowWinHeight"));
    }
    if (settings.valueExists("ShowWinTop")) {
        setFrameTop(settings.readInteger("ShowWinTop"));
    }
    if (settings.valueExists("ShowWinLeft")) {
        setFrameLeft(settings.readInteger("ShowWinLeft"));
    }
    if (settings.valueExists("ManageMax") && settings.readBool("ManageMax")) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    NewChartDblClick = true;

    ExportConsent exportConsent(this);
    // A tracker without its names takes those of the tracker restored before it.
    QString underlying;
    QString warrant;
    // Back-most first, so that the window saved in front is opened last and ends in front.
    for (int index = count - 1; index >= 0; --index) {
        const WindowValues values(settings, index);
        // A window of which nothing was saved is no window to restore.
        if (!values.has("ManageOT") && !values.has("ManageTitle")) {
            continue;
        }
        const QString title =
            values.has("ManageTitle") ? QString::fromStdString(values.text("ManageTitle")) : QString();
        ChartInterval = (60000 / count) * (index + 1);
        if (values.has("ManageOT") && values.boolean("ManageOT")) {
            if (values.has("ManageBasis")) {
                underlying = QString::fromStdString(values.text("ManageBasis"));
            }
            if (values.has("ManageOption")) {
                warrant = QString::fromStdString(values.text("ManageOption"));
            }
            OSToolOpen(underlying, warrant);
            qobject_cast<tracker::TOSP_Form*>(childForms().front())->apply(values.trackerState());
            continue;
        }
        NewChartWindow(title);
        auto* chart = qobject_cast<companion::TIntradayForm*>(childForms().front());
        chart->apply(values.chartState());
        exportConsent.confirm(*chart);
    }
    settings.closeKey();
}

} // namespace marlovex::frame
