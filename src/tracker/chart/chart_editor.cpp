#include "tracker/chart/chart_editor.h"

#include "tracker/chart/tracker_chart.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace marlovex::tracker {
namespace {

constexpr int widestLine = 10;

QIcon colourSwatch(const QColor& colour) {
    QPixmap swatch(28, 14);
    swatch.fill(colour);
    QPainter painter(&swatch);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    return QIcon(swatch);
}

} // namespace

ChartEditorDialog::ChartEditorDialog(TrackerChart* chart, QWidget* parent)
    : QDialog(parent)
    , m_chart(chart) {
    setObjectName(QStringLiteral("ChartEditor1"));
    setWindowTitle(QStringLiteral("Diagramm bearbeiten"));

    auto* seriesBox = new QGroupBox(QStringLiteral("Reihen"), this);
    auto* seriesGrid = new QGridLayout(seriesBox);
    seriesGrid->addWidget(new QLabel(QStringLiteral("Farbe"), seriesBox), 0, 1);
    seriesGrid->addWidget(new QLabel(QStringLiteral("Linienstärke"), seriesBox), 0, 2);
    const std::array<QCPGraph*, 3> series{chart->Series1, chart->Series2, chart->Series3};
    for (std::size_t i = 0; i < series.size(); ++i) {
        SeriesRow& row = m_seriesRows[i];
        const int gridRow = static_cast<int>(i) + 1;
        row.series = series[i];
        row.colour = series[i]->pen().color();
        row.colourButton = new QToolButton(seriesBox);
        row.colourButton->setObjectName(QStringLiteral("colourButton%1").arg(gridRow));
        row.colourButton->setToolTip(QStringLiteral("Farbe wählen"));
        row.widthSpinBox = new QSpinBox(seriesBox);
        row.widthSpinBox->setObjectName(QStringLiteral("widthSpinBox%1").arg(gridRow));
        row.widthSpinBox->setRange(1, widestLine);
        row.widthSpinBox->setValue(qRound(series[i]->pen().widthF()));
        showColour(row);
        seriesGrid->addWidget(new QLabel(series[i]->name(), seriesBox), gridRow, 0);
        seriesGrid->addWidget(row.colourButton, gridRow, 1);
        seriesGrid->addWidget(row.widthSpinBox, gridRow, 2);
        connect(row.colourButton, &QToolButton::clicked, this, [this, &row] { chooseColour(row); });
    }

    auto* axisBox = new QGroupBox(QStringLiteral("Achsen"), this);
    auto* axisGrid = new QGridLayout(axisBox);
    axisGrid->addWidget(new QLabel(QStringLiteral("Titel"), axisBox), 0, 1);
    const std::array<std::pair<QCPAxis*, QString>, 4> axes{{
        {chart->xAxis, QStringLiteral("Unten")},
        {chart->underlyingAxis(), QStringLiteral("Links")},
        {chart->warrantAxis(), QStringLiteral("Rechts")},
        {chart->deltaAxis(), QStringLiteral("Delta")},
    }};
    for (std::size_t i = 0; i < axes.size(); ++i) {
        AxisRow& row = m_axisRows[i];
        const int gridRow = static_cast<int>(i) + 1;
        row.axis = axes[i].first;
        row.titleEdit = new QLineEdit(row.axis->label(), axisBox);
        row.titleEdit->setObjectName(QStringLiteral("axisTitleEdit%1").arg(gridRow));
        row.visibleCheckBox = new QCheckBox(QStringLiteral("sichtbar"), axisBox);
        row.visibleCheckBox->setObjectName(QStringLiteral("axisVisibleCheckBox%1").arg(gridRow));
        row.visibleCheckBox->setChecked(row.axis->visible());
        axisGrid->addWidget(new QLabel(axes[i].second, axisBox), gridRow, 0);
        axisGrid->addWidget(row.titleEdit, gridRow, 1);
        axisGrid->addWidget(row.visibleCheckBox, gridRow, 2);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ChartEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChartEditorDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(seriesBox);
    layout->addWidget(axisBox);
    layout->addWidget(buttons);
}

void ChartEditorDialog::accept() {
    apply();
    QDialog::accept();
}

void ChartEditorDialog::chooseColour(SeriesRow& row) {
    QColorDialog dialog(row.colour, this);
    dialog.setWindowTitle(QStringLiteral("Farbe"));
    if (ui::dialogs().execModal(dialog) == QDialog::Accepted && dialog.currentColor().isValid()) {
        row.colour = dialog.currentColor();
        showColour(row);
    }
}

void ChartEditorDialog::showColour(const SeriesRow& row) {
    row.colourButton->setIcon(colourSwatch(row.colour));
    row.colourButton->setIconSize(QSize(28, 14));
}

void ChartEditorDialog::apply() {
    for (const SeriesRow& row : m_seriesRows) {
        QPen pen = row.series->pen();
        pen.setColor(row.colour);
        pen.setWidthF(row.widthSpinBox->value());
        row.series->setPen(pen);
    }
    for (const AxisRow& row : m_axisRows) {
        row.axis->setLabel(row.titleEdit->text());
        row.axis->setVisible(row.visibleCheckBox->isChecked());
    }
    m_chart->replot();
}

} // namespace marlovex::tracker
