// The chart's cross-hair cursor: a vertical and a horizontal line that follow the mouse and snap
// to the quote of one series nearest to the mouse in time, so the user reads off exact quotes.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QObject>
#include <QPointF>

class QCPGraph;
class QCPItemStraightLine;

namespace marlovex::tracker {

class CrossHairCursor : public QObject {
    Q_OBJECT

public:
    explicit CrossHairCursor(QCPGraph* series);

    // Places the cursor for the mouse at `position` (widget pixels). With an empty series the
    // cursor stays where the mouse is.
    void follow(const QPointF& position);
    void hide();

    bool isVisible() const;
    // Where the cursor stands: time and value on the series' axes.
    double key() const;
    double value() const;

    QCPItemStraightLine* verticalLine() const { return m_vertical; }
    QCPItemStraightLine* horizontalLine() const { return m_horizontal; }

private:
    void place(double key, double value);

    QCPGraph* m_series = nullptr;
    QCPItemStraightLine* m_vertical = nullptr;
    QCPItemStraightLine* m_horizontal = nullptr;
};

} // namespace marlovex::tracker
