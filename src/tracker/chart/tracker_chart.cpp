#include "tracker/chart/tracker_chart.h"

#include "tracker/chart/colour_line.h"
#include "tracker/chart/cross_hair_cursor.h"

#include <QRadialGradient>

namespace marlovex::tracker {
namespace {

// How close, in pixels, the mouse must come to a colour line to grab it.
constexpr double grabDistance = 4.0;
constexpr double seriesLineWidth = 2.0;

const QColor warrantColour(20, 60, 170);
const QColor underlyingColour(220, 120, 0);
const QColor deltaColour(110, 110, 110);
const QColor alarmRed(255, 0, 0);
const QColor breakEvenLime(0, 255, 0);

QBrush centreOutGradient() {
    QRadialGradient gradient(0.5, 0.5, 0.75);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0.0, QColor(255, 255, 255));
    gradient.setColorAt(1.0, QColor(214, 224, 238));
    return QBrush(gradient);
}

} // namespace

TrackerChart::TrackerChart(QWidget* parent)
    : QCustomPlot(parent) {
    setObjectName(QStringLiteral("DBChart1"));
    setMouseTracking(true);
    setBackground(centreOutGradient());
    legend->setVisible(false);

    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("hh:mm"));
    ticker->setDateTimeSpec(Qt::UTC);
    xAxis->setTicker(ticker);

    yAxis->setLabel(QStringLiteral("Basis"));
    yAxis2->setVisible(true);
    yAxis2->setTickLabels(true);
    yAxis2->setLabel(QStringLiteral("Optionsschein"));

    m_deltaAxis = axisRect()->addAxis(QCPAxis::atRight);
    m_deltaAxis->setLabel(QStringLiteral("Delta"));
    m_deltaAxis->setTickLabels(false);
    m_deltaAxis->setSubTicks(false);
    m_deltaAxis->setVisible(false);

    const QFont axisFont(QStringLiteral("Arial"), 8);
    for (QCPAxis* axis : {xAxis, yAxis, yAxis2, m_deltaAxis}) {
        axis->setTickLabelFont(axisFont);
        axis->setLabelFont(axisFont);
    }

    Series1 = addSeries(QStringLiteral("Series1"), QStringLiteral("Optionsschein"), yAxis2, warrantColour);
    Series2 = addSeries(QStringLiteral("Series2"), QStringLiteral("Basis"), yAxis, underlyingColour);
    Series3 = addSeries(QStringLiteral("Series3"), QStringLiteral("Delta"), m_deltaAxis, deltaColour);

    ChartTool1 = new CrossHairCursor(Series1);
    ChartTool3 = new ColourLine(this, xAxis, yAxis2, alarmRed, QStringLiteral("ChartTool3"));
    ChartTool4 = new ColourLine(this, xAxis, yAxis2, breakEvenLime, QStringLiteral("ChartTool4"));
    ChartTool5 = new ColourLine(this, xAxis, yAxis2, alarmRed, QStringLiteral("ChartTool5"));
    ChartTool4->setDraggable(false);

    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    const QList<QCPAxis*> horizontal{xAxis};
    const QList<QCPAxis*> vertical{yAxis, yAxis2, m_deltaAxis};
    axisRect()->setRangeDragAxes(horizontal, vertical);
    axisRect()->setRangeZoomAxes(horizontal, vertical);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QCPGraph* TrackerChart::addSeries(const QString& controlName, const QString& title, QCPAxis* valueAxis,
                                  const QColor& colour) {
    QCPGraph* series = addGraph(xAxis, valueAxis);
    series->setObjectName(controlName);
    series->setName(title);
    series->setLineStyle(QCPGraph::lsLine);
    series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    series->setPen(QPen(colour, seriesLineWidth));
    return series;
}

void TrackerChart::setWarrantAxisInverted(bool inverted) {
    yAxis2->setRangeReversed(inverted);
    replot(rpQueuedReplot);
}

bool TrackerChart::isWarrantAxisInverted() const {
    return yAxis2->rangeReversed();
}

ColourLine* TrackerChart::draggableLineAt(const QPointF& position) const {
    for (ColourLine* line : {ChartTool3, ChartTool5, ChartTool4}) {
        if (!line->isDraggable()) {
            continue;
        }
        const double distance = line->distanceTo(position);
        if (distance >= 0 && distance <= grabDistance) {
            return line;
        }
    }
    return nullptr;
}

void TrackerChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_draggedLine = draggableLineAt(event->position());
        if (m_draggedLine != nullptr) {
            // Taking the press here keeps the axis rect from starting to pan.
            ChartTool1->hide();
            event->accept();
            return;
        }
    }
    QCustomPlot::mousePressEvent(event);
}

void TrackerChart::mouseMoveEvent(QMouseEvent* event) {
    if (m_draggedLine != nullptr) {
        m_draggedLine->moveWhileDragging(yAxis2->pixelToCoord(event->position().y()));
        event->accept();
        return;
    }
    QCustomPlot::mouseMoveEvent(event);
    if (draggableLineAt(event->position()) != nullptr) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
    if (axisRect()->rect().contains(event->position().toPoint()) && event->buttons() == Qt::NoButton) {
        ChartTool1->follow(event->position());
    } else {
        ChartTool1->hide();
    }
}

void TrackerChart::mouseReleaseEvent(QMouseEvent* event) {
    if (m_draggedLine != nullptr && event->button() == Qt::LeftButton) {
        ColourLine* line = m_draggedLine;
        m_draggedLine = nullptr;
        line->moveWhileDragging(yAxis2->pixelToCoord(event->position().y()));
        event->accept();
        emit line->endDrag(line->value());
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void TrackerChart::leaveEvent(QEvent* event) {
    ChartTool1->hide();
    QCustomPlot::leaveEvent(event);
}

} // namespace marlovex::tracker
