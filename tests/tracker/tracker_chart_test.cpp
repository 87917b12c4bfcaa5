#include "support/scripted_dialogs.h"
#include "tracker/chart/chart_editor.h"
#include "tracker/chart/colour_line.h"
#include "tracker/chart/cross_hair_cursor.h"
#include "tracker/chart/tracker_chart.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace marlovex::tracker {
namespace {

class TrackerChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart.resize(400, 300);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
        chart.xAxis->setRange(0, 100);
        chart.warrantAxis()->setRange(0, 2);
        chart.underlyingAxis()->setRange(5000, 5100);
        chart.replot();
    }

    QPoint pixelAt(double key, double warrantValue) const {
        return QPoint(qRound(chart.xAxis->coordToPixel(key)),
                      qRound(chart.warrantAxis()->coordToPixel(warrantValue)));
    }

    // Presses at `from`, moves in steps to `to` and releases there, as a hand would.
    void drag(const QPoint& from, const QPoint& to) {
        QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(&chart, (from + to) / 2);
        QTest::mouseMove(&chart, to);
        QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, to);
    }

    TrackerChart chart;
};

TEST_F(TrackerChartTest, ColourLinesLieOnTheWarrantAxisWhichInvertsAlone) {
    chart.ChartTool4->setValue(1.5);
    chart.ChartTool4->setVisible(true);
    chart.replot();
    // The line is drawn at the warrant price 1.5, not at 1.5 on the underlying's axis.
    EXPECT_LE(chart.ChartTool4->distanceTo(pixelAt(50, 1.5)), 1.0);
    EXPECT_GT(chart.ChartTool4->distanceTo(pixelAt(50, 1.0)), 10.0);

    // Inverting the warrant axis leaves the underlying axis alone.
    chart.setWarrantAxisInverted(true);
    EXPECT_TRUE(chart.yAxis2->rangeReversed());
    EXPECT_FALSE(chart.yAxis->rangeReversed());
    chart.replot();
    EXPECT_LT(chart.yAxis2->coordToPixel(0.5), chart.yAxis2->coordToPixel(1.5));
    chart.setWarrantAxisInverted(false);
    EXPECT_FALSE(chart.isWarrantAxisInverted());
}

TEST_F(TrackerChartTest, OnlyAVisibleAlarmLineIsDraggedAndReportsItsOwnEndOnce) {
    // The lines lie apart: the falling one at 0.5, the break-even price at 1.0, the rising at 1.5.
    ColourLine* const lines[] = {chart.ChartTool3, chart.ChartTool4, chart.ChartTool5};
    struct Case {
        const char* name;
        int line;
        bool visible;
        bool dragged;
    };
    const Case cases[] = {
        {"falling", 0, true, true},
        {"rising", 2, true, true},
        // A press on either of these goes to the plot, which pans instead.
        {"break-even", 1, true, false},
        {"hidden", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chart.warrantAxis()->setRange(0, 2);
        std::vector<std::unique_ptr<QSignalSpy>> ends;
        for (int i = 0; i < 3; ++i) {
            lines[i]->setValue(0.5 + 0.5 * i);
            lines[i]->setVisible(i != c.line || c.visible);
            ends.push_back(std::make_unique<QSignalSpy>(lines[i], &ColourLine::endDrag));
        }
        chart.replot();
        const QCPRange keys = chart.xAxis->range();
        const QCPRange prices = chart.warrantAxis()->range();
        const double start = lines[c.line]->value();

        const QPoint target = pixelAt(40, start + 0.3);
        drag(pixelAt(40, start), target);

        for (int i = 0; i < 3; ++i) {
            const bool moved = i == c.line && c.dragged;
            EXPECT_EQ(ends[i]->size(), moved ? 1 : 0) << i;
            if (!moved) {
                EXPECT_DOUBLE_EQ(lines[i]->value(), 0.5 + 0.5 * i) << i;
            }
        }
        EXPECT_EQ(chart.warrantAxis()->range() == prices, c.dragged);
        if (c.dragged) {
            const double released = chart.warrantAxis()->pixelToCoord(target.y());
            EXPECT_NEAR(released, start + 0.3, 0.02);
            EXPECT_NEAR(lines[c.line]->value(), released, 1e-9);
            EXPECT_NEAR(ends[c.line]->front().front().toDouble(), released, 1e-9);
            EXPECT_EQ(chart.xAxis->range(), keys);
        }
        EXPECT_EQ(chart.draggedLine(), nullptr);
    }
}

TEST_F(TrackerChartTest, CrossHairFollowsTheMouseAndSnapsToTheNearestWarrantQuote) {
    QTest::mouseMove(&chart, pixelAt(50, 1.0));
    ASSERT_TRUE(chart.ChartTool1->isVisible());
    EXPECT_NEAR(chart.ChartTool1->key(), 50, 0.5);
    EXPECT_NEAR(chart.ChartTool1->value(), 1.0, 0.02);

    chart.Series1->setData({10, 20, 30}, {0.8, 1.2, 1.6});
    chart.replot();
    QTest::mouseMove(&chart, pixelAt(23, 0.3));
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 20);
    EXPECT_DOUBLE_EQ(chart.ChartTool1->value(), 1.2);
    QTest::mouseMove(&chart, pixelAt(90, 1.9));
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 30);
    EXPECT_DOUBLE_EQ(chart.ChartTool1->value(), 1.6);
    QTest::mouseMove(&chart, pixelAt(1, 1.9));
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 10);
}

class ChartEditorTest : public TrackerChartTest {
protected:
    testing_support::ScriptedDialogs dialogs;
};

TEST_F(ChartEditorTest, OkAppliesColourWidthAndTitleButNoCancelledDialogChangesTheColour) {
    dialogs.onModal = [](QDialog& dialog) {
        static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(10, 200, 30));
        return int(QDialog::Accepted);
    };
    ChartEditorDialog editor(&chart);
    QTest::mouseClick(editor.seriesRows()[0].colourButton, Qt::LeftButton);
    editor.seriesRows()[1].widthSpinBox->setValue(5);
    editor.axisRows()[2].titleEdit->setText(QStringLiteral("OS-Kurs"));
    editor.axisRows()[3].visibleCheckBox->setChecked(true);
    // Nothing changes before OK.
    EXPECT_EQ(chart.yAxis2->label(), QStringLiteral("Optionsschein"));

    editor.accept();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(chart.Series1->pen().color(), QColor(10, 200, 30));
    EXPECT_DOUBLE_EQ(chart.Series2->pen().widthF(), 5.0);
    EXPECT_DOUBLE_EQ(chart.Series1->pen().widthF(), 2.0);
    EXPECT_EQ(chart.yAxis2->label(), QStringLiteral("OS-Kurs"));
    EXPECT_EQ(chart.yAxis->label(), QStringLiteral("Basis"));
    EXPECT_TRUE(chart.deltaAxis()->visible());

    // Neither a cancelled colour dialog nor a cancelled editor changes the colour.
    const QColor chosen = chart.Series1->pen().color();
    for (const bool editorAccepted : {true, false}) {
        SCOPED_TRACE(editorAccepted ? "colour dialog cancelled" : "editor cancelled");
        dialogs.onModal = [editorAccepted](QDialog& dialog) {
            static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(200, 10, 30));
            return int(editorAccepted ? QDialog::Rejected : QDialog::Accepted);
        };
        ChartEditorDialog other(&chart);
        QTest::mouseClick(other.seriesRows()[0].colourButton, Qt::LeftButton);
        other.seriesRows()[1].widthSpinBox->setValue(editorAccepted ? 3 : 4);
        editorAccepted ? other.accept() : other.reject();
        EXPECT_EQ(chart.Series1->pen().color(), chosen);
        EXPECT_DOUBLE_EQ(chart.Series2->pen().widthF(), 3.0);
    }
}

} // namespace
} // namespace marlovex::tracker
