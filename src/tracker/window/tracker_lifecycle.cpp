// How a tracker window comes into being and goes: its directories and settings, the day change
// of the quote table, the last instruments, the settings applied when it is shown, the button
// bar's layout for its width, and closing.
#include "companion/http_get_form.h"
#include "platform/paradox/session.h"
#include "platform/paths/file_names.h"
#include "tracker/chart/chart_editor.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/day_change.h"
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"
#include "ui/error_display.h"
#include "ui/locale_formats.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QTableView>
#include <QToolButton>
#include <optional>

namespace marlovex::tracker {
namespace {

const std::string registryKey = "\\SOFTWARE\\Brelmund\\Marlovex";

// Reads each value only when it is there. A value of another type spoils only itself: it is
// noted for one message, and its default applies.
class SettingsReader {
public:
    explicit SettingsReader(registry::Registry& registry)
        : m_registry(registry) {}

    bool has(const std::string& name) const { return m_registry.valueExists(name); }

    template <typename Apply> void integer(const std::string& name, Apply&& apply) {
        if (const auto value = read(name, &registry::Registry::readInteger)) {
            apply(*value);
        }
    }
    template <typename Apply> void boolean(const std::string& name, Apply&& apply) {
        if (const auto value = read(name, &registry::Registry::readBool)) {
            apply(*value);
        }
    }
    std::string text(const std::string& name, const std::string& fallback) {
        return read(name, &registry::Registry::readString).value_or(fallback);
    }
    std::optional<std::string> text(const std::string& name) {
        return read(name, &registry::Registry::readString);
    }
    double floating(const std::string& name, double fallback) {
        return read(name, &registry::Registry::readFloat).value_or(fallback);
    }

    // The messages of the values that could not be read, one line each.
    const QStringList& problems() const { return m_problems; }

private:
    template <typename Value>
    std::optional<Value> read(const std::string& name,
                              Value (registry::Registry::*reader)(const std::string&) const) {
        if (!has(name)) {
            return std::nullopt;
        }
        try {
            return (m_registry.*reader)(name);
        } catch (const registry::RegistryError& error) {
            m_problems << QString::fromUtf8(error.what());
            return std::nullopt;
        }
    }

    registry::Registry& m_registry;
    QStringList m_problems;
};

} // namespace

TrackerEnvironment TrackerEnvironment::ofProcess() {
    TrackerEnvironment environment;
    environment.registryFile = registry::defaultRegistryFile();
    environment.programDir = QCoreApplication::applicationDirPath().toStdString();
    environment.startProgram = startWatchedProgram;
    environment.now = formats::now;
    return environment;
}

void TOSP_Form::FormCreate() {
    m_downloadForm = new companion::THttpGetForm(this);
    companion::setHttpGetForm(m_downloadForm);

    paradox::Session& session = paradox::session();
    session.setConfigMode(paradox::ConfigMode::SessionOnly);
    session.addPassword(std::string(paradox::familyPassword));

    AppDir = paths::appDirFromProgramDir(m_environment.programDir);

    registry::Registry registry(m_environment.registryFile);
    registry.openKey(registryKey, true);
    SettingsReader settings(registry);
    DatenPath = paths::withTrailingSeparator(settings.text("Datenpath", AppDir + "Daten/"));
    session.setNetFileDir(DatenPath);

    CalcEnabled = true;
    settings.boolean("StartKursEintragen", [this](bool value) { StartKursEintragen = value; });
    const std::string intraPath = settings.text("IntraPath", DatenPath + "Intraday");
    TempPath = settings.text("TempPath", DatenPath + "Temp");
    BankFee = settings.floating("Bank", 0);
    MaklerFee = settings.floating("Makler", 0);
    ClearingFee = settings.floating("Clearing", 0);

    tables.setDatabaseName(DatenPath);

    DayChangeSettings dayChange;
    dayChange.DatenPath = DatenPath;
    dayChange.IntraPath = intraPath;
    dayChange.today = m_environment.now();
    checkDayChange(
        tables, dayChange,
        [this] {
            return ui::dialogs().askYesNo(this, QStringLiteral("Intraday neu anlegen?"),
                                          QStringLiteral("Sollen Intraday löschen und archivieren?"));
        },
        [this](const std::string& archive, const std::string& reason) {
            ui::dialogs().showMessage(
                this, QStringLiteral("Das Archiv %1 konnte nicht angelegt werden. Die Kurse bleiben in "
                                     "Intraday.db.\n\n%2")
                          .arg(QString::fromStdString(archive), QString::fromStdString(reason)));
        });

    tables.Table3.close();
    tables.Table4.close();
    tables.linkTable4();

    if (const auto warrant = settings.text("OS_Option")) {
        tables.Table3.open();
        tables.Table3.findKey({paradox::Value(*warrant)});
        Button1->setText(QString::fromStdString(tables.Table3.field("FirmenName").asString()));
        tables.Table1.open();
    }
    if (const auto underlying = settings.text("OS_Basis")) {
        tables.Table5.open();
        tables.Table5.findKey({paradox::Value(*underlying)});
        Button2->setText(QString::fromStdString(tables.Table5.field("FirmenName").asString()));
        tables.Table2.open();
    }
    reportSettingProblems(settings.problems());
    // The restored pair's quotes are there already: list and chart show them at once, not only
    // after the first tick.
    refreshQuoteViews();
    m_downloadForm->busy = false;
}

void TOSP_Form::FormShow() {
    registry::Registry registry(m_environment.registryFile);
    if (!registry.keyExists(registryKey)) {
        return;
    }
    registry.openKey(registryKey, false);
    SettingsReader settings(registry);

    settings.integer("OS_Width", [this](int value) { setWidth(value); });
    settings.integer("OS_Height", [this](int value) { setHeight(value); });
    settings.integer("OS_Anpassung", [this](int value) { ComboBox1->setCurrentIndex(value); });
    const char* const columnWidths[] = {"OS_Zeit_Width",  "OS_Geld_Width",      "OS_GeldDiff_Width",
                                        "OS_Basis_Width", "OS_BasisDiff_Width", "OS_Delta_Width"};
    for (int column = 0; column < 6; ++column) {
        settings.integer(columnWidths[column], [this, column](int width) {
            DBGrid1->horizontalHeader()->resizeSection(column, width);
        });
    }
    settings.boolean("OS_Call", [this](bool value) { CheckBox1->setChecked(value); });
    settings.boolean("OS_Zeit", [this](bool value) { CheckBox3->setChecked(value); });
    settings.boolean("OS_Auto", [this](bool value) { CheckBox7->setChecked(value); });
    settings.boolean("OS_Inverted", [this](bool value) { OSAchseinvertiert1->setChecked(value); });
    settings.boolean("OS_Limitmin", [this](bool value) { CheckBox5->setChecked(value); });
    settings.boolean("OS_Limitmax", [this](bool value) { CheckBox6->setChecked(value); });
    settings.boolean("OS_Turbo", [this](bool value) { Turbo->setChecked(value); });
    settings.boolean("OS_Spesen", [this](bool value) { CheckBox4->setChecked(value); });
    Edit3->setText(QString::fromStdString(settings.text("OS_Ankauf", "0")));
    Edit8->setText(QString::fromStdString(settings.text("OS_AnkaufBasis", "0")));
    Edit9->setText(QString::fromStdString(settings.text("OS_AnkaufAnteile", "1000")));
    MsgDatei = settings.text("Msg_Datei", "Message.DB");
    MsgPath = settings.text("Msg_Path", DatenPath);
    Edit10->setText(QString::fromStdString(settings.text("OS_Limitanpassung", "")));
    QCPGraph* const series[] = {DBChart1->Series1, DBChart1->Series2, DBChart1->Series3};
    const char* const seriesSizes[] = {"OS_Series1_Size", "OS_Series2_Size", "OS_Series3_Size"};
    for (int i = 0; i < 3; ++i) {
        settings.integer(seriesSizes[i], [&series, i](int width) {
            QPen pen = series[i]->pen();
            pen.setWidth(width);
            series[i]->setPen(pen);
        });
    }
    DBChart1->setWarrantAxisInverted(OSAchseinvertiert1->isChecked());
    registry.closeKey();
    reportSettingProblems(settings.problems());

    if (tables.Table1.active()) {
        Edit1->setText(fieldText(tables.Table1, "Kurs"));
    }
    if (tables.Table2.active()) {
        Edit2->setText(fieldText(tables.Table2, "Kurs"));
    }
}

void TOSP_Form::reportSettingProblems(const QStringList& problems) {
    if (!problems.isEmpty()) {
        ui::dialogs().showMessage(this, QStringLiteral("Diese Einstellungen wurden übergangen; es gilt ihre "
                                                       "Vorgabe:\n\n") +
                                            problems.join(QLatin1Char('\n')));
    }
}

void TOSP_Form::FormResize() {
    const int half = Panel1->width() / 2;
    if (half - 40 > 0) {
        Button1->resize(half - 40, Button1->height());
    }
    Button2->setGeometry(half + 40, Button2->y(), Button1->width(), Button2->height());
    SpeedButton4->move(half + 15, SpeedButton4->y());
    SpeedButton3->move(half - 37, SpeedButton3->y());
    SpeedButton2->move(half - 13, SpeedButton2->y());
    SpeedButton1->move(half - 13, SpeedButton1->y());
}

void TOSP_Form::MDIClose(ui::CloseAction& action) {
    action = ui::CloseAction::Free;
}

void TOSP_Form::DiagrammEigenschaften1Click() {
    ChartEditorDialog editor(DBChart1, this);
    ui::dialogs().execModal(editor);
}

QString TOSP_Form::fieldText(paradox::Table& table, const char* fieldName) const {
    paradox::FieldRef field = table.field(fieldName);
    return field.isNull()
               ? QString()
               : QString::fromStdString(formats::formatGeneral(field.asFloat(), 15, ui::numberLocale()));
}

void TOSP_Form::showEvent(QShowEvent* event) {
    ui::MdiChildForm::showEvent(event);
    // The settings belong to the window's first appearance: a minimised window shown again must
    // keep what the user typed and the size it had.
    if (!event->spontaneous() && !m_formShown) {
        m_formShown = true;
        ui::runHandler([this] { FormShow(); });
    }
}

void TOSP_Form::resizeEvent(QResizeEvent* event) {
    ui::MdiChildForm::resizeEvent(event);
    FormResize();
}

} // namespace marlovex::tracker
