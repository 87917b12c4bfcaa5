// The chart editor of the tracker window: a modal dialog that sets the colour and line width of
// the three series and the title and visibility of each axis. It edits copies; OK applies them
// to the chart, Abbrechen leaves the chart as it was.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QColor>
#include <QDialog>
#include <array>

class QCheckBox;
class QCPAxis;
class QCPGraph;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace marlovex::tracker {

class TrackerChart;

class ChartEditorDialog : public QDialog {
    Q_OBJECT

public:
    explicit ChartEditorDialog(TrackerChart* chart, QWidget* parent = nullptr);

    void accept() override;

    struct SeriesRow {
        QCPGraph* series = nullptr;
        QColor colour;
        QToolButton* colourButton = nullptr;
        QSpinBox* widthSpinBox = nullptr;
    };
    struct AxisRow {
        QCPAxis* axis = nullptr;
        QLineEdit* titleEdit = nullptr;
        QCheckBox* visibleCheckBox = nullptr;
    };

    // The rows in the order Series1, Series2, Series3 and bottom, left, right, delta axis.
    const std::array<SeriesRow, 3>& seriesRows() const { return m_seriesRows; }
    const std::array<AxisRow, 4>& axisRows() const { return m_axisRows; }

private:
    void chooseColour(SeriesRow& row);
    void showColour(const SeriesRow& row);
    void apply();

    TrackerChart* m_chart = nullptr;
    std::array<SeriesRow, 3> m_seriesRows;
    std::array<AxisRow, 4> m_axisRows;
};

} // namespace marlovex::tracker
