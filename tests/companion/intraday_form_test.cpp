#include "companion/intraday_form.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace marlovex::companion {
namespace {

class IntradayFormTest : public testing::Test {
protected:
    IntradayFormTest() {
        m_form.instrumentEdit()->setText("DAX");
        m_form.setQuoteLoader([this](const QString& instrument) {
            m_requested << instrument;
            return m_quotes;
        });
    }

    std::vector<ChartQuote> m_quotes{{46000.40, 100.0}, {46000.41, 110.0}, {46000.42, 90.0}};
    QStringList m_requested;
    TIntradayForm m_form;
};

TEST_F(IntradayFormTest, StartingLoadsTheInstrumentsQuotesRefreshesOnTheTimerAndShowsPercents) {
    m_form.refreshTimer()->setInterval(1000);
    m_form.IntradayDiagramm();
    m_form.SpeedButton1Click(nullptr);
    EXPECT_EQ(m_requested, QStringList{"DAX"});
    EXPECT_TRUE(m_form.refreshTimer()->isActive());
    QCPGraph* graph = m_form.chart()->graph(0);
    ASSERT_EQ(graph->dataCount(), 3);
    EXPECT_DOUBLE_EQ(graph->data()->at(1)->value, 110.0);
    // The time axis counts seconds since 1970; the first quote is 2025-12-09 09:36.
    EXPECT_NEAR(graph->data()->at(0)->key, (46000.40 - 25569.0) * 86400.0, 1e-3);

    m_quotes.push_back({46000.43, 120.0});
    QMetaObject::invokeMethod(m_form.refreshTimer(), "timeout");
    EXPECT_EQ(graph->dataCount(), 4);

    // The change since the first quote.
    m_form.percentMenuItem()->setChecked(true);
    ASSERT_EQ(graph->dataCount(), 4);
    EXPECT_DOUBLE_EQ(graph->data()->at(0)->value, 0.0);
    EXPECT_DOUBLE_EQ(graph->data()->at(1)->value, 10.0);
    EXPECT_DOUBLE_EQ(graph->data()->at(2)->value, -10.0);
    EXPECT_DOUBLE_EQ(graph->data()->at(3)->value, 20.0);
}

TEST_F(IntradayFormTest, ColoursKeepTheDesktopByteOrderAndColourAndExportSettingsRoundTrip) {
    EXPECT_EQ(toTColor(QColor(255, 0, 0)), 0x0000FFu);
    EXPECT_EQ(toTColor(QColor(0, 128, 0)), 0x008000u);
    EXPECT_EQ(toTColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(fromTColor(0x563412u), QColor(0x12, 0x34, 0x56));
    m_form.setColor(0x00C0FFu);
    EXPECT_EQ(m_form.chart()->toPixmap(40, 40).toImage().pixelColor(1, 1), fromTColor(0x00C0FFu));
    testing_support::ScriptedDialogs dialogs;
    dialogs.fileAnswers.push_back("/tmp/dax.txt");
    m_form.findChild<QMenu*>()->actions()[1]->trigger();
    EXPECT_EQ(m_form.exportFileDialog().fileName, "/tmp/dax.txt");
}

TEST(IntradayFormCloseTest, ClosingWithoutACloseHandlerMinimizes) {
    QMdiArea area;
    area.resize(600, 400);
    area.show();
    auto* kept = new TIntradayForm;
    QPointer<QMdiSubWindow> keptHolder = area.addSubWindow(kept);
    keptHolder->show();
    keptHolder->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(keptHolder.isNull());
    EXPECT_TRUE(keptHolder->isMinimized());
}

} // namespace
} // namespace marlovex::companion
