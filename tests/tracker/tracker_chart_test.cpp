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

TEST_F(TrackerChartTest, ColourLinesLieOnTheWarrantAxis) {
    chart.ChartTool4->setValue(1.5);
    chart.ChartTool4->setVisible(true);
    chart.replot();
    // The line is drawn at the warrant price 1.5, not at 1.5 on the underlying's axis.
    EXPECT_LE(chart.ChartTool4->distanceTo(pixelAt(50, 1.5)), 1.0);
    EXPECT_GT(chart.ChartTool4->distanceTo(pixelAt(50, 1.0)), 10.0);
}

TEST_F(TrackerChartTest, DraggingTheFallingLineMovesItAndReportsTheEndOnce) {
    chart.ChartTool3->setValue(1.0);
    chart.ChartTool3->setVisible(true);
    chart.replot();
    QSignalSpy ends(chart.ChartTool3, &ColourLine::endDrag);
    const QCPRange keys = chart.xAxis->range();
    const QCPRange prices = chart.warrantAxis()->range();

    const QPoint target = pixelAt(40, 1.5);
    drag(pixelAt(40, 1.0), target);

    const double released = chart.warrantAxis()->pixelToCoord(target.y());
    EXPECT_NEAR(chart.ChartTool3->value(), released, 1e-9);
    EXPECT_NEAR(released, 1.5, 0.02);
    ASSERT_EQ(ends.size(), 1);
    EXPECT_NEAR(ends.front().front().toDouble(), released, 1e-9);
    // The drag moved the line, not the plot.
    EXPECT_EQ(chart.xAxis->range(), keys);
    EXPECT_EQ(chart.warrantAxis()->range(), prices);
    EXPECT_EQ(chart.draggedLine(), nullptr);
}

TEST_F(TrackerChartTest, DraggingTheRisingLineReportsItsOwnEndOnly) {
    chart.ChartTool3->setValue(0.5);
    chart.ChartTool3->setVisible(true);
    chart.ChartTool5->setValue(1.5);
    chart.ChartTool5->setVisible(true);
    chart.replot();
    QSignalSpy fallingEnds(chart.ChartTool3, &ColourLine::endDrag);
    QSignalSpy risingEnds(chart.ChartTool5, &ColourLine::endDrag);
    drag(pixelAt(60, 1.5), pixelAt(60, 1.8));
    EXPECT_EQ(fallingEnds.size(), 0);
    EXPECT_EQ(risingEnds.size(), 1);
    EXPECT_DOUBLE_EQ(chart.ChartTool3->value(), 0.5);
    EXPECT_NEAR(chart.ChartTool5->value(), 1.8, 0.02);
}

TEST_F(TrackerChartTest, TheBreakEvenLineCannotBeDragged) {
    chart.ChartTool4->setValue(1.0);
    chart.ChartTool4->setVisible(true);
    chart.replot();
    QSignalSpy ends(chart.ChartTool4, &ColourLine::endDrag);
    const QCPRange prices = chart.warrantAxis()->range();
    drag(pixelAt(40, 1.0), pixelAt(40, 1.5));
    EXPECT_DOUBLE_EQ(chart.ChartTool4->value(), 1.0);
    EXPECT_EQ(ends.size(), 0);
    // The press went to the plot, which panned instead.
    EXPECT_NE(chart.warrantAxis()->range(), prices);
}

TEST_F(TrackerChartTest, AHiddenLineCannotBeGrabbed) {
    chart.ChartTool3->setValue(1.0);
    chart.ChartTool3->setVisible(false);
    chart.replot();
    QSignalSpy ends(chart.ChartTool3, &ColourLine::endDrag);
    drag(pixelAt(40, 1.0), pixelAt(40, 1.5));
    EXPECT_DOUBLE_EQ(chart.ChartTool3->value(), 1.0);
    EXPECT_EQ(ends.size(), 0);
}

TEST_F(TrackerChartTest, CrossHairSnapsToTheNearestWarrantQuote) {
    chart.Series1->setData({10, 20, 30}, {0.8, 1.2, 1.6});
    chart.replot();
    QTest::mouseMove(&chart, pixelAt(23, 0.3));
    ASSERT_TRUE(chart.ChartTool1->isVisible());
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 20);
    EXPECT_DOUBLE_EQ(chart.ChartTool1->value(), 1.2);
    QTest::mouseMove(&chart, pixelAt(90, 1.9));
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 30);
    EXPECT_DOUBLE_EQ(chart.ChartTool1->value(), 1.6);
    QTest::mouseMove(&chart, pixelAt(1, 1.9));
    EXPECT_DOUBLE_EQ(chart.ChartTool1->key(), 10);
}

TEST_F(TrackerChartTest, CrossHairFollowsTheMouseWithoutQuotes) {
    QTest::mouseMove(&chart, pixelAt(50, 1.0));
    ASSERT_TRUE(chart.ChartTool1->isVisible());
    EXPECT_NEAR(chart.ChartTool1->key(), 50, 0.5);
    EXPECT_NEAR(chart.ChartTool1->value(), 1.0, 0.02);
}

TEST_F(TrackerChartTest, InvertingTheWarrantAxisLeavesTheUnderlyingAxisAlone) {
    chart.setWarrantAxisInverted(true);
    EXPECT_TRUE(chart.yAxis2->rangeReversed());
    EXPECT_FALSE(chart.yAxis->rangeReversed());
    chart.replot();
    EXPECT_LT(chart.yAxis2->coordToPixel(0.5), chart.yAxis2->coordToPixel(1.5));
    chart.setWarrantAxisInverted(false);
    EXPECT_FALSE(chart.isWarrantAxisInverted());
}

class ChartEditorTest : public TrackerChartTest {
protected:
    testing_support::ScriptedDialogs dialogs;
};

TEST_F(ChartEditorTest, OkAppliesColourWidthAndTitle) {
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
}

TEST_F(ChartEditorTest, CancelLeavesTheChartAsItWas) {
    dialogs.onModal = [](QDialog& dialog) {
        static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(10, 200, 30));
        return int(QDialog::Accepted);
    };
    const QColor before = chart.Series1->pen().color();
    ChartEditorDialog editor(&chart);
    QTest::mouseClick(editor.seriesRows()[0].colourButton, Qt::LeftButton);
    editor.seriesRows()[1].widthSpinBox->setValue(5);
    editor.axisRows()[1].titleEdit->setText(QStringLiteral("Index"));
    editor.reject();
    EXPECT_EQ(chart.Series1->pen().color(), before);
    EXPECT_DOUBLE_EQ(chart.Series2->pen().widthF(), 2.0);
    EXPECT_EQ(chart.yAxis->label(), QStringLiteral("Basis"));
}

TEST_F(ChartEditorTest, ACancelledColourDialogKeepsTheColour) {
    dialogs.onModal = [](QDialog& dialog) {
        static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(10, 200, 30));
        return int(QDialog::Rejected);
    };
    const QColor before = chart.Series3->pen().color();
    ChartEditorDialog editor(&chart);
    QTest::mouseClick(editor.seriesRows()[2].colourButton, Qt::LeftButton);
    editor.accept();
    EXPECT_EQ(chart.Series3->pen().color(), before);
}

} // namespace
} // namespace marlovex::tracker
