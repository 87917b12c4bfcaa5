// "Speichern" and "Öffnen": the workspace of all windows in the settings, under the same key as
// every other setting, as families of values numbered by window (ManageTitle0, ManageTitle1, ...).
#include "companion/intraday_form.h"
#include "frame/export_consent.h"
#include "frame/main_form.h"
#include "platform/registry/registry.h"
#include "tracker/tosp_form.h"
#include "tracker/tracker_chart.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <array>

namespace marlovex::frame {
namespace {

const std::string workspaceKey = "\\SOFTWARE\\Brelmund\\Marlovex";

std::string numbered(const char* family, int index) {
    return family + std::to_string(index);
}

std::array<QLineEdit*, 9> editsOf(tracker::TOSP_Form& tracker) {
    return {tracker.Edit1, tracker.Edit2, tracker.Edit3, tracker.Edit4, tracker.Edit5,
            tracker.Edit6, tracker.Edit7, tracker.Edit8, tracker.Edit9};
}

void writeBounds(registry::Registry& settings, const ui::MdiChildForm& form, int index) {
    const QRect bounds = form.bounds();
    settings.writeInteger(numbered("ManageWidth", index), bounds.width());
    settings.writeInteger(numbered("ManageHeight", index), bounds.height());
    settings.writeInteger(numbered("ManageLeft", index), bounds.x());
    settings.writeInteger(numbered("ManageTop", index), bounds.y());
}

void saveTracker(registry::Registry& settings, tracker::TOSP_Form& tracker, int index) {
    settings.writeString(numbered("ManageTitle", index), tracker.Button2->text().toStdString());
    settings.writeString(numbered("ManageOption", index), tracker.Button1->text().toStdString());
    settings.writeString(numbered("ManageBasis", index), tracker.Button2->text().toStdString());
    writeBounds(settings, tracker, index);
    settings.writeBool(numbered("ManageOT", index), true);
    settings.writeBool(numbered("ManageOSInter", index), !tracker.SpeedButton3->isEnabled());
    settings.writeBool(numbered("ManageBasisInter", index), !tracker.SpeedButton4->isEnabled());
    settings.writeBool(numbered("ManagePut", index), tracker.CheckBox1->isChecked());
    settings.writeBool(numbered("ManageZeit", index), tracker.CheckBox3->isChecked());
    settings.writeBool(numbered("ManageInverted", index), tracker.OSAchseinvertiert1->isChecked());
    settings.writeBool(numbered("ManageSpesen", index), tracker.CheckBox4->isChecked());
    const std::array<QLineEdit*, 9> edits = editsOf(tracker);
    for (std::size_t edit = 0; edit < edits.size(); ++edit) {
        settings.writeString("ManageEdit" + std::to_string(edit + 1) + std::to_string(index),
                             edits[edit]->text().toStdString());
    }
}

void saveChart(registry::Registry& settings, companion::TIntradayForm& chart, int index) {
    settings.writeString(numbered("ManageTitle", index), chart.instrumentEdit()->text().toStdString());
    writeBounds(settings, chart, index);
    settings.writeBool(numbered("ManageOT", index), false);
    settings.writeInteger(numbered("ManageIntervall", index), chart.intervalSpinEdit()->value());
    settings.writeBool(numbered("ManageProzent", index), chart.percentMenuItem()->isChecked());
    const std::uint32_t colour = chart.color();
    settings.writeBinaryData(numbered("ManageColor", index),
                             {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                              static_cast<std::uint8_t>(colour >> 16),
                              static_cast<std::uint8_t>(colour >> 24)});
    settings.writeString(numbered("ManageFile", index), chart.exportFileDialog().fileName.toStdString());
    settings.writeBool(numbered("ManageExport", index), chart.exportMenuItem()->isChecked());
    settings.writeBool(numbered("ManageDDE", index), chart.ddeMenuItem()->isChecked());
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

    void bounds(ui::MdiChildForm& form) const {
        if (has("ManageTop")) {
            form.setTop(integer("ManageTop"));
        }
        if (has("ManageLeft")) {
            form.setLeft(integer("ManageLeft"));
        }
        if (has("ManageWidth")) {
            form.setWidth(integer("ManageWidth"));
        }
        if (has("ManageHeight")) {
            form.setHeight(integer("ManageHeight"));
        }
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
            saveTracker(settings, *tracker, index++);
        } else if (auto* chart = qobject_cast<companion::TIntradayForm*>(form)) {
            saveChart(settings, *chart, index++);
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
            auto* tracker = qobject_cast<tracker::TOSP_Form*>(childForms().front());
            values.bounds(*tracker);
            tracker->PageControl1->setCurrentWidget(tracker->TabSheet2);
            if (values.has("ManagePut")) {
                tracker->CheckBox1->setChecked(values.boolean("ManagePut"));
            }
            if (values.has("ManageZeit")) {
                tracker->CheckBox3->setChecked(values.boolean("ManageZeit"));
            }
            if (values.has("ManageInverted")) {
                tracker->OSAchseinvertiert1->setChecked(values.boolean("ManageInverted"));
            }
            tracker->DBChart1->setWarrantAxisInverted(tracker->OSAchseinvertiert1->isChecked());
            if (values.has("ManageSpesen") && values.boolean("ManageSpesen")) {
                tracker->CheckBox4->setChecked(true);
            }
            const std::array<QLineEdit*, 9> edits = editsOf(*tracker);
            // The purchase price follows the alarm levels.
            for (const int edit : {1, 2, 4, 5, 6, 7, 3, 8, 9}) {
                const std::string family = "ManageEdit" + std::to_string(edit);
                if (values.has(family.c_str())) {
                    edits[static_cast<std::size_t>(edit - 1)]->setText(
                        QString::fromStdString(values.text(family.c_str())));
                }
            }
            if (values.has("ManageOSInter") && values.boolean("ManageOSInter")) {
                tracker->SpeedButton3Click(this);
            }
            if (values.has("ManageBasisInter") && values.boolean("ManageBasisInter")) {
                tracker->SpeedButton4Click(this);
            }
            continue;
        }
        NewChartWindow(title);
        auto* chart = qobject_cast<companion::TIntradayForm*>(childForms().front());
        values.bounds(*chart);
        if (values.has("ManageIntervall")) {
            chart->intervalSpinEdit()->setValue(values.integer("ManageIntervall"));
        }
        if (values.has("ManageProzent")) {
            chart->percentMenuItem()->setChecked(values.boolean("ManageProzent"));
        }
        if (values.has("ManageColor")) {
            chart->setColor(values.colour("ManageColor"));
        }
        if (values.has("ManageFile")) {
            chart->exportFileDialog().fileName = QString::fromStdString(values.text("ManageFile"));
        }
        if (values.has("ManageExport")) {
            chart->exportMenuItem()->setChecked(values.boolean("ManageExport"));
        }
        if (values.has("ManageDDE")) {
            chart->ddeMenuItem()->setChecked(values.boolean("ManageDDE"));
        }
        exportConsent.confirm(*chart);
    }
    settings.closeKey();
}

} // namespace marlovex::frame
