// The tracker window's frame: button bar, header of the latest prices, the list and chart tabs,
// the chart's pop-up menu and the timers. The calculator, alarm and statistics tabs are built in
// tracker_tabs_layout.cpp.
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/control_factory.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/record_navigator.h"
#include "tracker/window/tosp_form.h"
#include "tracker/window/tracker_glyphs.h"
#include "ui/error_display.h"
#include "ui/image_list.h"
#include "ui/locale_formats.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace marlovex::tracker {
namespace {

constexpr int designWidth = 380;
constexpr int designHeight = 357;
constexpr int buttonBarHeight = 25;
constexpr int speedButtonWidth = 22;
constexpr int barButtonTop = 1;
constexpr int barButtonHeight = 23;

QFont windowFont() {
    QFont font(QStringLiteral("Arial"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont headerPriceFont() {
    QFont font = windowFont();
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

// Header columns as wide as the widest text they show in the bold price font: a price with
// grouping, a change in percent. Only the profit panel between them grows with the window.
int headerColumnWidth(const QString& widestText) {
    return QFontMetrics(headerPriceFont()).horizontalAdvance(widestText) + 10;
}

// A header panel with a small upper line (time or points) and a bold lower line (price or
// percentage).
QFrame* headerPanel(QWidget* parent, const QString& name, const QString& hint, int width, QLabel*& upper,
                    const QString& upperName, const QString& upperCaption, QLabel*& lower,
                    const QString& lowerName, const QString& lowerCaption) {
    QFrame* panel = namedPanel(parent, name, hint);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedWidth(width);
    upper = namedLabel(panel, upperName, upperCaption);
    upper->setAlignment(Qt::AlignCenter);
    lower = namedLabel(panel, lowerName, lowerCaption);
    lower->setAlignment(Qt::AlignCenter);
    lower->setFont(headerPriceFont());
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    layout->addWidget(upper);
    layout->addWidget(lower);
    return panel;
}

} // namespace

TOSP_Form::TOSP_Form(TrackerEnvironment environment, QWidget* parent)
    : ui::MdiChildForm(parent)
    , m_environment(std::move(environment))
    , m_numbers(ui::numberLocale())
    , m_dates(ui::dateTimeLocale()) {
    setObjectName(QStringLiteral("OSP_Form"));
    setCaption(QStringLiteral("Marlovex Quintara mit Internet direkt Abruf"));
    setWindowIcon(ui::imageListIcon(ui::ImageIndex::WarrantTracker));
    setFont(windowFont());
    resize(designWidth, designHeight);

    createButtonBar();
    createHeader();

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    createListTab();
    createChartTab();
    createCalculatorTab();
    createAlarmTab();
    createStatisticsTab();
    PageControl1->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(PageControl1, 1);

    createTimers();

    DataSource1 = new QuoteListModel(this);
    DBGrid1->setModel(DataSource1);
    applyDefaultColumnWidths();
    connectHandlers();
    ui::runHandler([this] { FormCreate(); });
}

TOSP_Form::~TOSP_Form() {
    // The inputs go down after this part of the window; the focus they lose on the way must not
    // reach its handlers.
    for (QLineEdit* input : {Edit1, Edit2, Edit3, Edit8, Edit9}) {
        disconnect(input, &QLineEdit::editingFinished, this, nullptr);
    }
}

void TOSP_Form::applyDefaultColumnWidths() {
    const QAbstractItemModel* model = DBGrid1->model();
    if (model == nullptr) {
        return;
    }
    const int columns = std::min(model->columnCount(), static_cast<int>(quoteListColumns.size()));
    for (int column = 0; column < columns; ++column) {
        DBGrid1->horizontalHeader()->resizeSection(column, quoteListColumns[column].defaultWidth);
    }
}

// The bar's buttons sit at fixed places that FormResize recomputes from the bar's width, so they
// stay out of any layout. The places here are those of the design width.
void TOSP_Form::createButtonBar() {
    Panel1 = namedPanel(this, QStringLiteral("Panel1"));
    Panel1->setFixedHeight(buttonBarHeight);
    const int half = designWidth / 2;

    Button1 = new QPushButton(trackerIcon(TrackerGlyph::Warrant), QStringLiteral("Optionsschein"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(0, barButtonTop, half - 40, barButtonHeight);

    Button2 = new QPushButton(trackerIcon(TrackerGlyph::Underlying), QStringLiteral("Basiskurs"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(half + 40, barButtonTop, half - 40, barButtonHeight);

    SpeedButton3 = glyphButton(Panel1, QStringLiteral("SpeedButton3"), TrackerGlyph::WarrantImport,
                               QStringLiteral("Kursabruf des Optionsscheins"));
    SpeedButton3->setGeometry(half - 37, barButtonTop, speedButtonWidth, barButtonHeight);

    SpeedButton1 = glyphButton(Panel1, QStringLiteral("SpeedButton1"), TrackerGlyph::Stop,
                               QStringLiteral("automatische Aktualisierung läuft"));
    SpeedButton1->setGeometry(half - 13, barButtonTop, speedButtonWidth, barButtonHeight);
    SpeedButton1->hide();

    SpeedButton2 = glyphButton(Panel1, QStringLiteral("SpeedButton2"), TrackerGlyph::Start,
                               QStringLiteral("automatische Aktualisierung starten"));
    SpeedButton2->setGeometry(half - 13, barButtonTop, speedButtonWidth, barButtonHeight);

    SpeedButton4 = glyphButton(Panel1, QStringLiteral("SpeedButton4"), TrackerGlyph::UnderlyingImport,
                               QStringLiteral("Kursabruf des Basiswertes"));
    SpeedButton4->setGeometry(half + 15, barButtonTop, speedButtonWidth, barButtonHeight);
}

void TOSP_Form::createHeader() {
    Panel2 = namedPanel(this, QStringLiteral("Panel2"));
    const int priceColumnWidth = headerColumnWidth(QStringLiteral("00.000,00"));
    const int changeColumnWidth = headerColumnWidth(QStringLiteral("-10,00 %"));
    Panel3 = headerPanel(Panel2, QStringLiteral("Panel3"), QStringLiteral("letzter Optionsscheinkurs"),
                         priceColumnWidth, Label42, QStringLiteral("Label42"), QStringLiteral("KursZeit"),
                         Label41, QStringLiteral("Label41"), QStringLiteral("Kurs"));
    Panel4 = headerPanel(Panel2, QStringLiteral("Panel4"), QStringLiteral("letzter Basiskurs"),
                         priceColumnWidth, Label43, QStringLiteral("Label43"), QStringLiteral("KursZeit"),
                         Label44, QStringLiteral("Label44"), QStringLiteral("Kurs"));

    Panel6 = namedPanel(Panel2, QStringLiteral("Panel6"));
    Panel8 = headerPanel(Panel6, QStringLiteral("Panel8"), QStringLiteral("Veränderung zum Ankauf"),
                         changeColumnWidth, Label48, QStringLiteral("Label48"), QStringLiteral("PunktKauf"),
                         Label49, QStringLiteral("Label49"), QStringLiteral("ProzKauf"));
    Panel7 = headerPanel(Panel6, QStringLiteral("Panel7"), QStringLiteral("Veränderung zum Ankauf"),
                         changeColumnWidth, Label46, QStringLiteral("Label46"), QStringLiteral("PunktKauf"),
                         Label47, QStringLiteral("Label47"), QStringLiteral("ProzKauf"));
    Panel9 = namedLabel(Panel6, QStringLiteral("Panel9"), QStringLiteral("Gewinn"),
                        QStringLiteral("aktueller Gewinn bzw. Verlust des eingetragenen Ankaufes"));
    Panel9->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel9->setAlignment(Qt::AlignCenter);
    QFont profitFont = headerPriceFont();
    profitFont.setPointSize(10);
    Panel9->setFont(profitFont);
    Panel9->setMinimumWidth(50);

    auto* middle = new QHBoxLayout(Panel6);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(Panel8);
    middle->addWidget(Panel9, 1);
    middle->addWidget(Panel7);

    auto* header = new QHBoxLayout(Panel2);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(0);
    header->addWidget(Panel3);
    header->addWidget(Panel6, 1);
    header->addWidget(Panel4);

    // Hidden: the live update still writes the differences at the warrant's extremes here.
    Label5 = namedLabel(Panel2, QStringLiteral("Label5"), QStringLiteral("Min-Diff"));
    Label6 = namedLabel(Panel2, QStringLiteral("Label6"), QStringLiteral("Max-Diff"));
    CheckBox2 = namedCheckBox(Panel2, QStringLiteral("CheckBox2"), QStringLiteral("Test"));
    Label5->hide();
    Label6->hide();
    CheckBox2->hide();
}

void TOSP_Form::createListTab() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));

    DBGrid1 = new QTableView(TabSheet1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(17);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(quoteListColumns[0].defaultWidth);

    Panel5 = namedPanel(TabSheet1, QStringLiteral("Panel5"));
    DateTimePicker1 = new DateTimePicker(9, 0, 0, Panel5);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker2 = new DateTimePicker(23, 0, 0, Panel5);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    CheckBox3 = namedCheckBox(Panel5, QStringLiteral("CheckBox3"), QStringLiteral("Zeitfilter aktiviert"));
    Turbo = namedCheckBox(Panel5, QStringLiteral("Turbo"), QStringLiteral("Turbo"),
                          QStringLiteral("Mit Turbo wird die Darstellung ständig aktualisiert und der Kurs "
                                         "aus dem Internet geladen, ohne alle 30s"));
    ComboBox1 = new QComboBox(Panel5);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("keine Anpassung"), QStringLiteral("nur letzten 15 Minuten"),
                         QStringLiteral("nur letzten 30 Minuten"), QStringLiteral("nur letzten 45 Minuten"),
                         QStringLiteral("nur letzten 60 Minuten"),
                         QStringLiteral("nur letzten 120 Minuten")});
    ComboBox1->setCurrentIndex(0);
    Eintragen = new QPushButton(trackerIcon(TrackerGlyph::Record), QStringLiteral("Eintragen"), Panel5);
    Eintragen->setObjectName(QStringLiteral("Eintragen"));
    Eintragen->setToolTip(QStringLiteral("akt. Kurse in Datenbank eintragen"));
    // The status line carries texts of other programs: shown as they are, and never allowed to
    // widen the window.
    Label65 = namedLabel(Panel5, QStringLiteral("Label65"), QString());
    Label65->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* strip = new QGridLayout(Panel5);
    strip->setContentsMargins(4, 3, 4, 3);
    strip->setHorizontalSpacing(6);
    strip->setVerticalSpacing(3);
    auto* times = new QHBoxLayout;
    times->setSpacing(4);
    times->addWidget(DateTimePicker1);
    times->addWidget(DateTimePicker2);
    times->addWidget(CheckBox3);
    times->addStretch(1);
    times->addWidget(Turbo);
    strip->addLayout(times, 0, 0, 1, 3);
    strip->addWidget(ComboBox1, 1, 0);
    strip->addWidget(Eintragen, 1, 1);
    strip->addWidget(Label65, 1, 2);
    strip->setColumnStretch(2, 1);

    DBNavigator1 = new RecordNavigator(TabSheet1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));

    auto* layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panel5);
    layout->addWidget(DBNavigator1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Werteliste"));
}

void TOSP_Form::createChartTab() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    DBChart1 = new TrackerChart(TabSheet2);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    DiagrammEigenschaften1 = PopupMenu1->addAction(QStringLiteral("Diagramm-Eigenschaften"));
    DiagrammEigenschaften1->setObjectName(QStringLiteral("DiagrammEigenschaften1"));
    OSAchseinvertiert1 = PopupMenu1->addAction(QStringLiteral("OS-Achse invertiert"));
    OSAchseinvertiert1->setObjectName(QStringLiteral("OSAchseinvertiert1"));
    OSAchseinvertiert1->setCheckable(true);
    connect(DBChart1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { PopupMenu1->popup(DBChart1->mapToGlobal(position)); });

    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(DBChart1);
    PageControl1->addTab(TabSheet2, QStringLiteral("Diagramm"));
}

void TOSP_Form::createTimers() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    Timer2->start();
}

} // namespace marlovex::tracker
