#include "tracker/chart/cross_hair_cursor.h"

#include <cmath>
#include <qcustomplot.h>

namespace marlovex::tracker {
namespace {

QCPItemStraightLine* cursorLine(QCPGraph* series) {
    auto* line = new QCPItemStraightLine(series->parentPlot());
    line->setLayer(QStringLiteral("overlay"));
    line->setSelectable(false);
    line->setPen(QPen(QColor(90, 90, 90), 1, Qt::DotLine));
    for (QCPItemPosition* point : {line->point1, line->point2}) {
        point->setType(QCPItemPosition::ptPlotCoords);
        point->setAxes(series->keyAxis(), series->valueAxis());
    }
    line->setVisible(false);
    return line;
}

} // namespace

CrossHairCursor::CrossHairCursor(QCPGraph* series)
    : QObject(series->parentPlot())
    , m_series(series)
    , m_vertical(cursorLine(series))
    , m_horizontal(cursorLine(series)) {
    setObjectName(QStringLiteral("ChartTool1"));
}

void CrossHairCursor::follow(const QPointF& position) {
    const double mouseKey = m_series->keyAxis()->pixelToCoord(position.x());
    const QSharedPointer<QCPGraphDataContainer> data = m_series->data();
    if (data->isEmpty()) {
        place(mouseKey, m_series->valueAxis()->pixelToCoord(position.y()));
        return;
    }
    auto nearest = data->findBegin(mouseKey, false);
    if (nearest == data->constEnd()) {
        --nearest;
    } else if (nearest != data->constBegin()) {
        const auto before = nearest - 1;
        if (std::abs(before->key - mouseKey) <= std::abs(nearest->key - mouseKey)) {
            nearest = before;
        }
    }
    place(nearest->key, nearest->value);
}

void CrossHairCursor::hide() {
    if (!isVisible()) {
        return;
    }
    m_vertical->setVisible(false);
    m_horizontal->setVisible(false);
    m_vertical->layer()->replot();
}

bool CrossHairCursor::isVisible() const {
    return m_vertical->visible();
}

double CrossHairCursor::key() const {
    return m_vertical->point1->key();
}

double CrossHairCursor::value() const {
    return m_horizontal->point1->value();
}

void CrossHairCursor::place(double key, double value) {
    m_vertical->point1->setCoords(key, 0);
    m_vertical->point2->setCoords(key, 1);
    m_horizontal->point1->setCoords(0, value);
    m_horizontal->point2->setCoords(1, value);
    m_vertical->setVisible(true);
    m_horizontal->setVisible(std::isfinite(value));
    m_vertical->layer()->replot();
}

} // namespace marlovex::tracker
