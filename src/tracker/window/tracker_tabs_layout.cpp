// The tracker window's calculator, alarm and statistics tabs.
#include "tracker/window/control_factory.h"
#include "tracker/window/tosp_form.h"
#include "tracker/window/tracker_glyphs.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpacerItem>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace marlovex::tracker {
namespace {

const QString zeroTwoDecimals = QStringLiteral("0,00");
const QString zeroOneDecimal = QStringLiteral("0,0");
const QString zeroThreeDecimals = QStringLiteral("0,000");

// A percentage above its points in one grid cell: side by side, a loss such as "-100,00%" and
// "-20.050,0" would need more width than the window's design size leaves a column.
QVBoxLayout* pair(QLabel* percent, QLabel* points) {
    auto* cell = new QVBoxLayout;
    cell->setSpacing(0);
    cell->addWidget(percent);
    cell->addWidget(points);
    return cell;
}

// The part of a tab that holds its controls. In a wide window it keeps to the left, so that
// captions stay near their values instead of drifting apart; in a window too small for them it
// scrolls, so that no control is squeezed over another or cut short.
QWidget* boundedContent(QWidget* tab, int maximumWidth) {
    auto* scroller = new QScrollArea(tab);
    scroller->setObjectName(tab->objectName() + QStringLiteral("Scroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* content = new QWidget;
    content->setObjectName(tab->objectName() + QStringLiteral("Content"));
    content->setMaximumWidth(maximumWidth);
    scroller->setWidget(content);
    auto* layout = new QHBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
    return content;
}

void colourText(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

// Four input columns (estimated warrant and underlying price, the two purchase prices), each
// with its differences below it; then quantity and switches, the profit block and the extremes.
void TOSP_Form::createCalculatorTab() {
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    QWidget* tab = boundedContent(TabSheet3, 620);
    QGridLayout* grid = tabGrid(tab);

    grid->addWidget(
        sectionLabel(tab, QStringLiteral("estimateCaption"), QStringLiteral("geschätzte Kursentwicklung")), 0,
        0, 1, 4);

    Label23 = handCursorLabel(tab, QStringLiteral("Label23"), QStringLiteral("Optionsschein"));
    Label24 = handCursorLabel(tab, QStringLiteral("Label24"), QStringLiteral("Basiskurs"));
    Label25 = handCursorLabel(tab, QStringLiteral("Label25"), QStringLiteral("Ankaufskurs-OS"));
    Label31 = handCursorLabel(tab, QStringLiteral("Label31"), QStringLiteral("Ankaufskurs-B"));
    Edit1 = numberEdit(tab, QStringLiteral("Edit1"), QStringLiteral("0"));
    Edit2 = numberEdit(tab, QStringLiteral("Edit2"), QStringLiteral("0"));
    Edit3 = numberEdit(tab, QStringLiteral("Edit3"), QStringLiteral("0"));
    Edit8 = numberEdit(tab, QStringLiteral("Edit8"), QStringLiteral("0"));
    const std::array<QLabel*, 4> inputCaptions{Label23, Label24, Label25, Label31};
    const std::array<QLineEdit*, 4> inputs{Edit1, Edit2, Edit3, Edit8};
    for (int column = 0; column < 4; ++column) {
        // The differences below are right-aligned to the edge of their input.
        inputs[column]->setMaximumWidth(QWIDGETSIZE_MAX);
        grid->addWidget(inputCaptions[column], 1, column * 2, 1, 2);
        grid->addWidget(inputs[column], 2, column * 2, 1, 2);
    }

    // The two long row captions wrap in a narrow window instead of widening it.
    QLabel* currentDifferences = captionLabel(tab, QStringLiteral("currentDifferencesCaption"),
                                              QStringLiteral("Differenzen zu den aktuellen Kursen"));
    QLabel* purchaseDifferences = captionLabel(tab, QStringLiteral("purchaseDifferencesCaption"),
                                               QStringLiteral("Differenzen zu den Ankaufkursen"));
    for (QLabel* caption : {currentDifferences, purchaseDifferences}) {
        caption->setWordWrap(true);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    }
    grid->addWidget(currentDifferences, 3, 0, 1, 4);
    grid->addWidget(purchaseDifferences, 3, 4, 1, 4);
    Label26 = valueLabel(tab, QStringLiteral("Label26"), zeroTwoDecimals,
                         QStringLiteral("Prozent von OS-Kurs zum aktuellen OS-Kurs"));
    Label62 = valueLabel(tab, QStringLiteral("Label62"), zeroTwoDecimals);
    Label30 = valueLabel(tab, QStringLiteral("Label30"), zeroTwoDecimals,
                         QStringLiteral("Prozent zum aktuellen Basiskurs"));
    Label61 = valueLabel(tab, QStringLiteral("Label61"), zeroOneDecimal);
    Label45 = valueLabel(tab, QStringLiteral("Label45"), zeroTwoDecimals,
                         QStringLiteral("Prozent zum Ankauf mit geschätztem Kurs"));
    Label63 = valueLabel(tab, QStringLiteral("Label63"), zeroTwoDecimals);
    Label32 = valueLabel(tab, QStringLiteral("Label32"), zeroTwoDecimals,
                         QStringLiteral("Prozent zum Basis-Ankaufskurs mit geschätztem Kurs"));
    Label12 = valueLabel(tab, QStringLiteral("Label12"), zeroOneDecimal);
    grid->addLayout(pair(Label26, Label62), 4, 0, 1, 2);
    grid->addLayout(pair(Label30, Label61), 4, 2, 1, 2);
    grid->addLayout(pair(Label45, Label63), 4, 4, 1, 2);
    grid->addLayout(pair(Label32, Label12), 4, 6, 1, 2);

    Label55 = namedLabel(tab, QStringLiteral("Label55"), QStringLiteral("Anzahl"));
    Edit9 = numberEdit(tab, QStringLiteral("Edit9"), QStringLiteral("1000"));
    CheckBox1 = namedCheckBox(tab, QStringLiteral("CheckBox1"), QStringLiteral("Put?"));
    CheckBox1->setChecked(true);
    CheckBox4 = namedCheckBox(tab, QStringLiteral("CheckBox4"), QStringLiteral("Spesen?"),
                              QStringLiteral("Spesenberechnung wie beim Ankaufs-Assistenten von Marlovex - "
                                             "Gewinnberechnung Minus An- und Verkaufsspesen!"));
    SpeedButton6 = glyphButton(tab, QStringLiteral("SpeedButton6"), TrackerGlyph::Analysis,
                               QStringLiteral("Eintrag der Gewinnschelle in der Intraday-Analyse"));
    auto* quantity = new QHBoxLayout;
    quantity->setSpacing(4);
    quantity->addWidget(Label55);
    quantity->addWidget(Edit9, 1);
    grid->addLayout(quantity, 5, 0, 1, 2);
    grid->addWidget(CheckBox1, 5, 2, 1, 2);
    grid->addWidget(CheckBox4, 5, 4, 1, 2);
    grid->addWidget(SpeedButton6, 5, 6, 1, 2, Qt::AlignLeft);

    grid->addWidget(
        sectionLabel(tab, QStringLiteral("purchaseChangeCaption"), QStringLiteral("Differenz zum Ankauf")), 6,
        0, 1, 8);
    Label60 = valueLabel(tab, QStringLiteral("Label60"), zeroTwoDecimals,
                         QStringLiteral("Punkte vom OS-Ankaufskurs zum OS-Kurs"));
    Label58 = valueLabel(tab, QStringLiteral("Label58"), zeroOneDecimal,
                         QStringLiteral("Punkte vom Basis-Ankaufskurs zum Basiskurs"));
    QLabel* profitCaption =
        captionLabel(tab, QStringLiteral("purchaseProfitCaption"), QStringLiteral("Gewinn/Verlust"));
    profitCaption->setAlignment(Qt::AlignCenter);
    Label64 = namedLabel(tab, QStringLiteral("Label64"), zeroTwoDecimals);
    Label64->setAlignment(Qt::AlignCenter);
    QFont profitFont = Label64->font();
    profitFont.setBold(true);
    Label64->setFont(profitFont);
    grid->addWidget(Label60, 7, 0, 2, 2);
    grid->addWidget(profitCaption, 7, 2, 1, 4);
    grid->addWidget(Label64, 8, 2, 1, 4);
    grid->addWidget(Label58, 7, 6, 2, 2);

    QLabel* investedCaption =
        captionLabel(tab, QStringLiteral("investedCaption"), QStringLiteral("Anlagesumme"));
    investedCaption->setToolTip(QStringLiteral("Summe der Anlage zum Ankaufskurs"));
    Label66 = valueLabel(tab, QStringLiteral("Label66"), zeroTwoDecimals,
                         QStringLiteral("Anlagesumme zum Ankaufskurs"));
    Label57 = valueLabel(tab, QStringLiteral("Label57"), zeroTwoDecimals,
                         QStringLiteral("Gewinn/Verlust zum Basis-Ankaufskurs mit geschätztem Kurs"));
    grid->addWidget(investedCaption, 9, 0, 1, 2);
    grid->addWidget(Label66, 9, 2, 1, 2);
    grid->addWidget(
        captionLabel(tab, QStringLiteral("quantityProfitCaption"), QStringLiteral("Gewinn/Verlust")), 9, 4, 1,
        2);
    grid->addWidget(Label57, 9, 6, 1, 2);

    CheckBox6 = namedCheckBox(tab, QStringLiteral("CheckBox6"),
                              QStringLiteral("Gewinnschwelle als grüne Linie anzeigen"));
    grid->addWidget(CheckBox6, 10, 0, 1, 8);

    Label54 = namedLabel(tab, QStringLiteral("Label54"), QStringLiteral("Min:"));
    Label69 = valueLabel(tab, QStringLiteral("Label69"), QStringLiteral("Zeit-Min"));
    Label71 = valueLabel(tab, QStringLiteral("Label71"), QStringLiteral("Min-Geld"));
    Label73 = valueLabel(tab, QStringLiteral("Label73"), QStringLiteral("Min-Basis"));
    Label68 = namedLabel(tab, QStringLiteral("Label68"), QStringLiteral("Max:"));
    Label70 = valueLabel(tab, QStringLiteral("Label70"), QStringLiteral("Zeit-Max"));
    Label72 = valueLabel(tab, QStringLiteral("Label72"), QStringLiteral("Max-Geld"));
    Label74 = valueLabel(tab, QStringLiteral("Label74"), QStringLiteral("Max-Basis"));
    const std::array<std::array<QLabel*, 4>, 2> extremes{{
        {Label54, Label69, Label71, Label73},
        {Label68, Label70, Label72, Label74},
    }};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            grid->addWidget(extremes[row][column], 11 + row, column * 2, 1, 2);
        }
    }
    grid->setRowStretch(13, 1);
    for (int column = 0; column < 8; ++column) {
        grid->setColumnStretch(column, 1);
    }
    PageControl1->addTab(TabSheet3, QStringLiteral("Rechner"));
}

// One row per instrument: time and price of its last quote, falling and rising level, the band
// between them and the hand-over to the price messenger; below, the trailing distances.
void TOSP_Form::createAlarmTab() {
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    QWidget* tab = boundedContent(TabSheet4, 560);
    QGridLayout* grid = tabGrid(tab);

    // Column captions of their own: the value labels below show "Zeit" and "Kurs" only until the
    // first tick writes the prices into them.
    grid->addWidget(captionLabel(tab, QStringLiteral("timeCaption"), QStringLiteral("Zeit")), 0, 1);
    grid->addWidget(captionLabel(tab, QStringLiteral("priceCaption"), QStringLiteral("Kurs")), 0, 2);
    grid->addWidget(captionLabel(tab, QStringLiteral("fallingCaption"), QStringLiteral("Alarm fällt")), 0, 3);
    grid->addWidget(captionLabel(tab, QStringLiteral("risingCaption"), QStringLiteral("Alarm steigt")), 0, 4);

    Label39 = handCursorLabel(tab, QStringLiteral("Label39"), QStringLiteral("O-Sch."));
    colourText(Label39, QColor(255, 0, 0));
    Label40 = handCursorLabel(tab, QStringLiteral("Label40"), QStringLiteral("Basis"));
    colourText(Label40, QColor(0, 128, 0));
    Label35 = valueLabel(tab, QStringLiteral("Label35"), QStringLiteral("Zeit"));
    Label36 = valueLabel(tab, QStringLiteral("Label36"), QStringLiteral("Zeit"));
    Label34 = valueLabel(tab, QStringLiteral("Label34"), QStringLiteral("Kurs"));
    Label33 = valueLabel(tab, QStringLiteral("Label33"), QStringLiteral("Kurs"));
    Edit6 = numberEdit(tab, QStringLiteral("Edit6"), QString());
    Edit7 = numberEdit(tab, QStringLiteral("Edit7"), QString());
    Edit4 = numberEdit(tab, QStringLiteral("Edit4"), QString());
    Edit5 = numberEdit(tab, QStringLiteral("Edit5"), QString());
    Label75 = namedLabel(tab, QStringLiteral("Label75"), QStringLiteral("0"), QStringLiteral("Differenz"));
    Label78 = namedLabel(tab, QStringLiteral("Label78"), QStringLiteral("0"), QStringLiteral("Differenz"));
    SpeedButton11 = glyphButton(tab, QStringLiteral("SpeedButton11"), TrackerGlyph::Messenger,
                                QStringLiteral("Kurs an Signalo übergeben"));
    SpeedButton5 = glyphButton(tab, QStringLiteral("SpeedButton5"), TrackerGlyph::Messenger,
                               QStringLiteral("Kurs an Signalo übergeben"));
    const std::array<std::array<QWidget*, 7>, 2> rows{{
        {Label39, Label35, Label34, Edit6, Edit7, Label75, SpeedButton11},
        {Label40, Label36, Label33, Edit4, Edit5, Label78, SpeedButton5},
    }};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 7; ++column) {
            grid->addWidget(rows[row][column], row + 1, column);
        }
    }

    grid->addWidget(sectionLabel(tab, QStringLiteral("trailingCaption"),
                                 QStringLiteral("Punkte vom Maximum und Minimum")),
                    3, 0, 1, 7);
    const QString trailingHint = QStringLiteral("Geben Sie hier die Punkten oder den Prozentwert(5%) für das "
                                                "Verkaufslimit ein. Geben sie 0 ein wird keine automatische "
                                                "Anpassung vorgenommen");
    Edit10 = numberEdit(tab, QStringLiteral("Edit10"), QStringLiteral("0"), trailingHint);
    Edit11 = numberEdit(tab, QStringLiteral("Edit11"), QStringLiteral("0"), trailingHint);
    grid->addWidget(
        captionLabel(tab, QStringLiteral("warrantTrailingCaption"), QStringLiteral("Limit Anpassen:")), 4, 0,
        1, 3);
    grid->addWidget(Edit10, 4, 3);
    grid->addWidget(
        captionLabel(tab, QStringLiteral("underlyingTrailingCaption"), QStringLiteral("Limit Anpassen:")), 5,
        0, 1, 3);
    grid->addWidget(Edit11, 5, 3);

    CheckBox7 = namedCheckBox(tab, QStringLiteral("CheckBox7"),
                              QStringLiteral("Limit autom. in der Intraday-Analyse anpassen"));
    grid->addWidget(CheckBox7, 6, 0, 1, 7);
    CheckBox5 = namedCheckBox(tab, QStringLiteral("CheckBox5"), QStringLiteral("Limit anzeigen"));
    CheckBox5->setChecked(true);
    CheckBox5->hide();

    // Room for a quote time and a price, so the columns keep their places when the first
    // quotes replace the short default captions.
    const QFontMetrics metrics(font());
    grid->setColumnMinimumWidth(1, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 4);
    grid->setColumnMinimumWidth(2, metrics.horizontalAdvance(QStringLiteral("0000,00")) + 4);
    for (QLineEdit* level : {Edit6, Edit7, Edit4, Edit5, Edit10, Edit11}) {
        level->setMaximumWidth(90);
    }
    // Spare width goes to the right of the rows, keeping each band width beside its levels.
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 7);
    grid->setRowStretch(7, 1);
    PageControl1->addTab(TabSheet4, QStringLiteral("Alarm"));
}

// Ranges of the shown quotes, then the warrant's extremes with the time and the underlying price
// at each.
void TOSP_Form::createStatisticsTab() {
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    QWidget* tab = boundedContent(TabSheet5, 480);
    QGridLayout* grid = tabGrid(tab);

    const QString ratioHint = QStringLiteral("Optionsscheinveränderung pro Basispunkt");
    QLabel* ratioCaption = captionLabel(tab, QStringLiteral("ratioCaption"), QStringLiteral("OS/Basis"));
    ratioCaption->setToolTip(ratioHint);
    Label13 = valueLabel(tab, QStringLiteral("Label13"), zeroThreeDecimals, ratioHint);
    grid->addWidget(ratioCaption, 0, 0);
    grid->addWidget(Label13, 0, 1);

    Label14 = valueLabel(tab, QStringLiteral("Label14"), zeroTwoDecimals);
    Label15 = valueLabel(tab, QStringLiteral("Label15"), zeroTwoDecimals);
    Label52 = valueLabel(tab, QStringLiteral("Label52"), zeroTwoDecimals);
    Label53 = valueLabel(tab, QStringLiteral("Label53"), zeroTwoDecimals);
    Label18 = valueLabel(tab, QStringLiteral("Label18"), zeroThreeDecimals);
    Label21 = valueLabel(tab, QStringLiteral("Label21"), zeroThreeDecimals);
    struct Pair {
        const char* captionName;
        const char* caption;
        QLabel* value;
    };
    const std::array<std::array<Pair, 2>, 3> ranges{{
        {{{"underlyingMinCaption", "Basis-Min:", Label14}, {"underlyingMaxCaption", "Basis-Max:", Label15}}},
        {{{"warrantMinCaption", "OS-Min:", Label52}, {"warrantMaxCaption", "OS-Max:", Label53}}},
        {{{"underlyingRangeCaption", "Basis-Diff:", Label18}, {"warrantRangeCaption", "OS-Diff:", Label21}}},
    }};
    for (int row = 0; row < 3; ++row) {
        for (int side = 0; side < 2; ++side) {
            const Pair& entry = ranges[row][side];
            grid->addWidget(
                captionLabel(tab, QString::fromUtf8(entry.captionName), QString::fromUtf8(entry.caption)),
                row + 1, side * 2);
            grid->addWidget(entry.value, row + 1, side * 2 + 1);
        }
    }

    grid->setRowMinimumHeight(4, 10);
    Label1 = valueLabel(tab, QStringLiteral("Label1"), QStringLiteral("Zeit-Min"));
    Label7 = valueLabel(tab, QStringLiteral("Label7"), QStringLiteral("Min-Geld"));
    Label8 = valueLabel(tab, QStringLiteral("Label8"), QStringLiteral("Min-Basis"));
    Label2 = valueLabel(tab, QStringLiteral("Label2"), QStringLiteral("Zeit-Max"));
    Label9 = valueLabel(tab, QStringLiteral("Label9"), QStringLiteral("Max-Geld"));
    Label10 = valueLabel(tab, QStringLiteral("Label10"), QStringLiteral("Max-Basis"));
    const std::array<std::array<QLabel*, 4>, 2> extremes{{
        {captionLabel(tab, QStringLiteral("minimumCaption"), QStringLiteral("Min:")), Label1, Label7, Label8},
        {captionLabel(tab, QStringLiteral("maximumCaption"), QStringLiteral("Max:")), Label2, Label9,
         Label10},
    }};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            grid->addWidget(extremes[row][column], 5 + row, column);
        }
    }
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    PageControl1->addTab(TabSheet5, QStringLiteral("Statistik"));
}

} // namespace marlovex::tracker
