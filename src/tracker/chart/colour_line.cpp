#include "tracker/chart/colour_line.h"

#include <qcustomplot.h>

namespace marlovex::tracker {

ColourLine::ColourLine(QCustomPlot* plot, QCPAxis* keyAxis, QCPAxis* valueAxis, const QColor& colour,
                       const QString& name)
    : QObject(plot)
    , m_plot(plot) {
    setObjectName(name);
    m_line = new QCPItemStraightLine(plot);
    m_line->setObjectName(name);
    m_line->setLayer(QStringLiteral("overlay"));
    m_line->setSelectable(false);
    m_line->setClipToAxisRect(true);
    m_line->setPen(QPen(colour, 1.5));
    for (QCPItemPosition* point : {m_line->point1, m_line->point2}) {
        point->setType(QCPItemPosition::ptPlotCoords);
        point->setAxes(keyAxis, valueAxis);
    }
    m_line->setVisible(false);
    setValue(0);
}

double ColourLine::value() const {
    return m_line->point1->value();
}

void ColourLine::setValue(double value) {
    // Every tick places the lines; only a move is worth a redraw.
    const QCPItemPosition& first = *m_line->point1;
    const QCPItemPosition& second = *m_line->point2;
    if (first.key() == 0 && first.value() == value && second.key() == 1 && second.value() == value) {
        return;
    }
    // Two points at one price and different times make the line horizontal.
    m_line->point1->setCoords(0, value);
    m_line->point2->setCoords(1, value);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

bool ColourLine::isVisible() const {
    return m_line->visible();
}

void ColourLine::setVisible(bool visible) {
    if (m_line->visible() == visible) {
        return;
    }
    m_line->setVisible(visible);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

QColor ColourLine::colour() const {
    return m_line->pen().color();
}

double ColourLine::distanceTo(const QPointF& position) const {
    if (!m_line->visible()) {
        return -1;
    }
    return m_line->selectTest(position, false);
}

void ColourLine::moveWhileDragging(double value) {
    m_line->point1->setCoords(0, value);
    m_line->point2->setCoords(1, value);
    m_line->layer()->replot();
}

} // namespace marlovex::tracker
