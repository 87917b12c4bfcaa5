// The chart window of one instrument (the companion library's TIntradayForm): the intraday
// chart of the instrument named in its instrument text, redrawn by its refresh timer.
//
// How quotes reach the chart is the business of the quote loader that the owner installs;
// without one, the chart stays empty. The window keeps the settings that the frame saves and
// restores: interval, colour, export file, and the export, DDE and percent switches.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "companion/chart_state.h"
#include "ui/dialogs.h"
#include "ui/mdi_child_form.h"

#include <QColor>
#include <QDateTime>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QTimer;
class QToolButton;

namespace marlovex::companion {

// A colour as the classic desktop stores it: 0x00BBGGRR.
using TColor = std::uint32_t;

TColor toTColor(const QColor& colour);
QColor fromTColor(TColor colour);

// One quote of the chart: the time as a date-time value (days since 1899-12-30) and the price.
struct ChartQuote {
    double time = 0;
    double price = 0;
};

class TIntradayForm : public ui::MdiChildForm {
    Q_OBJECT

public:
    using QuoteLoader = std::function<std::vector<ChartQuote>(const QString& instrument)>;

    explicit TIntradayForm(QWidget* parent = nullptr);
    ~TIntradayForm() override;

    // The close handler that frees the window.
    void MDIClose(ui::CloseAction& action);

    // Builds the chart for the instrument of the instrument text.
    void IntradayDiagramm();
    // Starts showing the chart: loads the quotes now and starts the refresh timer.
    void SpeedButton1Click(QObject* sender);
    // Fits both axes to the quotes shown.
    void GraphicsServer4DblClick(QObject* sender);
    // Lays the chart out for the window's current size.
    void FormResize(QObject* sender);

    void setQuoteLoader(QuoteLoader loader);

    // Readies the window for the frame: its instrument and refresh interval (milliseconds), and
    // no menu item for a window of its own, which makes no sense inside the frame.
    void prepareForFrame(const QString& instrument, int refreshInterval);
    // The window's state for a layout file or the workspace, and restoring it; the instrument is
    // given by prepareForFrame beforehand.
    ChartState capture() const;
    void apply(const ChartState& state);

    // Saved and restored members.
    QLineEdit* instrumentEdit() const { return m_instrumentEdit; }
    QSpinBox* intervalSpinEdit() const { return m_intervalSpinEdit; }
    QToolButton* colorControl() const { return m_colorControl; }
    TColor color() const;
    void setColor(TColor colour);
    ui::FileDialogRequest& exportFileDialog() { return m_exportFileDialog; }
    QAction* exportMenuItem() const { return m_exportMenuItem; }
    QAction* ddeMenuItem() const { return m_ddeMenuItem; }
    QAction* percentMenuItem() const { return m_percentMenuItem; }
    // The menu item that makes no sense inside the frame, which hides it.
    QAction* newWindowMenuItem() const { return m_newWindowMenuItem; }
    QTimer* refreshTimer() const { return m_refreshTimer; }

    QCustomPlot* chart() const { return m_chart; }
    // Why the chart shows no quotes, when loading them failed; hidden otherwise.
    QLabel* statusLine() const { return m_statusLine; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshChart();
    void exportShownQuotes(const std::vector<ChartQuote>& quotes);
    void chooseExportFile();
    void chooseColor();
    void showPopupMenu(const QPoint& position);

    QLineEdit* m_instrumentEdit = nullptr;
    QSpinBox* m_intervalSpinEdit = nullptr;
    QToolButton* m_startButton = nullptr;
    QToolButton* m_colorControl = nullptr;
    TColor m_color = 0;
    QCustomPlot* m_chart = nullptr;
    QLabel* m_statusLine = nullptr;
    QMenu* m_popupMenu = nullptr;
    QAction* m_exportMenuItem = nullptr;
    QAction* m_ddeMenuItem = nullptr;
    QAction* m_percentMenuItem = nullptr;
    QAction* m_newWindowMenuItem = nullptr;
    QAction* m_exportFileMenuItem = nullptr;
    QTimer* m_refreshTimer = nullptr;
    ui::FileDialogRequest m_exportFileDialog;
    QuoteLoader m_quoteLoader;
};

} // namespace marlovex::companion
