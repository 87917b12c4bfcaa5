// The chart of a tracker window: the warrant on the right axis, the underlying on the left axis
// and the delta on a hidden third axis, all against the quote time; a cross-hair cursor on the
// warrant line; and three colour lines on the warrant axis for the two alarm levels and the
// break-even price. Times are fed as seconds since 1970 (UTC), as the chart window does.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <qcustomplot.h>

namespace marlovex::tracker {

class ColourLine;
class CrossHairCursor;

class TrackerChart : public QCustomPlot {
    Q_OBJECT

public:
    explicit TrackerChart(QWidget* parent = nullptr);

    QCPGraph* Series1 = nullptr; // "Optionsschein", right axis
    QCPGraph* Series2 = nullptr; // "Basis", left axis
    QCPGraph* Series3 = nullptr; // "Delta", the hidden delta axis

    CrossHairCursor* ChartTool1 = nullptr;
    ColourLine* ChartTool3 = nullptr; // falling alarm level of the warrant
    ColourLine* ChartTool4 = nullptr; // break-even price
    ColourLine* ChartTool5 = nullptr; // rising alarm level of the warrant

    QCPAxis* warrantAxis() const { return yAxis2; }
    QCPAxis* underlyingAxis() const { return yAxis; }
    QCPAxis* deltaAxis() const { return m_deltaAxis; }

    // Draws the warrant axis upside down, so that a put moves the same way as its underlying.
    void setWarrantAxisInverted(bool inverted);
    bool isWarrantAxisInverted() const;

    // The colour line being dragged, or nullptr.
    ColourLine* draggedLine() const { return m_draggedLine; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QCPGraph* addSeries(const QString& controlName, const QString& title, QCPAxis* valueAxis,
                        const QColor& colour);
    ColourLine* draggableLineAt(const QPointF& position) const;

    QCPAxis* m_deltaAxis = nullptr;
    ColourLine* m_draggedLine = nullptr;
};

} // namespace marlovex::tracker
