// A colour line of the tracker chart: a horizontal line at a price of the warrant axis, such as an
// alarm level or the break-even price. A draggable line can be moved with the mouse (the chart
// does the dragging); when the user releases it, the line reports its final value.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointF>

class QCPAxis;
class QCPItemStraightLine;
class QCustomPlot;

namespace marlovex::tracker {

class TrackerChart;

class ColourLine : public QObject {
    Q_OBJECT

public:
    // The line lies on `valueAxis`; `keyAxis` only anchors its two defining points.
    ColourLine(QCustomPlot* plot, QCPAxis* keyAxis, QCPAxis* valueAxis, const QColor& colour,
               const QString& name);

    double value() const;
    void setValue(double value);

    bool isVisible() const;
    void setVisible(bool visible);

    bool isDraggable() const { return m_draggable; }
    void setDraggable(bool draggable) { m_draggable = draggable; }

    QColor colour() const;
    QCPItemStraightLine* item() const { return m_line; }

    // Distance in pixels from `position` to the line; negative when the line is hidden.
    double distanceTo(const QPointF& position) const;

signals:
    // The user released the line after dragging it; `value` lies on the line's value axis.
    void endDrag(double value);

private:
    friend class TrackerChart;
    // Moves the line during a drag, repainting only the layer that holds it.
    void moveWhileDragging(double value);

    QCustomPlot* m_plot = nullptr;
    QCPItemStraightLine* m_line = nullptr;
    bool m_draggable = true;
};

} // namespace marlovex::tracker
