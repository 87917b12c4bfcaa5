#include "companion/intraday_form.h"

#include "companion/quote_export.h"
#include "platform/common/error.h"
#include "ui/chart_time.h"
#include "ui/error_display.h"
#include "ui/locale_formats.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace marlovex::companion {

TColor toTColor(const QColor& colour) {
    return static_cast<TColor>(colour.red()) | (static_cast<TColor>(colour.green()) << 8) |
           (static_cast<TColor>(colour.blue()) << 16);
}

QColor fromTColor(TColor colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

TIntradayForm::TIntradayForm(QWidget* parent)
    : ui::MdiChildForm(parent) {
    setObjectName(QStringLiteral("IntradayForm"));
    resize(420, 300);

    m_instrumentEdit = new QLineEdit(this);
    m_instrumentEdit->setObjectName(QStringLiteral("instrumentEdit"));
    m_instrumentEdit->setToolTip(QStringLiteral("Wert"));

    m_intervalSpinEdit = new QSpinBox(this);
    m_intervalSpinEdit->setObjectName(QStringLiteral("intervalSpinEdit"));
    m_intervalSpinEdit->setRange(1, 3600);
    m_intervalSpinEdit->setValue(30);
    m_intervalSpinEdit->setSuffix(QStringLiteral(" s"));
    m_intervalSpinEdit->setToolTip(QStringLiteral("Aktualisierung"));

    m_startButton = new QToolButton(this);
    m_startButton->setObjectName(QStringLiteral("SpeedButton1"));
    m_startButton->setText(QStringLiteral("Start"));

    m_colorControl = new QToolButton(this);
    m_colorControl->setObjectName(QStringLiteral("colorControl"));
    m_colorControl->setToolTip(QStringLiteral("Hintergrundfarbe"));

    m_chart = new QCustomPlot(this);
    m_chart->setObjectName(QStringLiteral("chart"));
    m_chart->addGraph();
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("hh:mm"));
    ticker->setDateTimeSpec(Qt::UTC);
    m_chart->xAxis->setTicker(ticker);
    m_chart->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    bar->addWidget(m_instrumentEdit, 1);
    bar->addWidget(m_intervalSpinEdit);
    bar->addWidget(m_colorControl);
    bar->addWidget(m_startButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_chart, 1);
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0); padding: 2px 4px;"));
    m_statusLine->setWordWrap(true);
    m_statusLine->hide();
    layout->addWidget(m_statusLine);

    m_popupMenu = new QMenu(this);
    m_exportMenuItem = m_popupMenu->addAction(QStringLiteral("Export"));
    m_exportMenuItem->setObjectName(QStringLiteral("exportMenuItem"));
    m_exportMenuItem->setCheckable(true);
    m_exportFileMenuItem = m_popupMenu->addAction(QStringLiteral("Exportdatei..."));
    m_ddeMenuItem = m_popupMenu->addAction(QStringLiteral("DDE-Übertragung"));
    m_ddeMenuItem->setObjectName(QStringLiteral("ddeMenuItem"));
    m_ddeMenuItem->setCheckable(true);
    m_percentMenuItem = m_popupMenu->addAction(QStringLiteral("Prozentanzeige"));
    m_percentMenuItem->setObjectName(QStringLiteral("percentMenuItem"));
    m_percentMenuItem->setCheckable(true);
    m_popupMenu->addSeparator();
    m_newWindowMenuItem = m_popupMenu->addAction(QStringLiteral("Neues Fenster"));
    m_newWindowMenuItem->setObjectName(QStringLiteral("newWindowMenuItem"));

    m_exportFileDialog.title = QStringLiteral("Exportdatei");
    m_exportFileDialog.filter = QStringLiteral("Textdateien|*.txt;*.csv");
    m_exportFileDialog.defaultExtension = QStringLiteral("txt");

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setObjectName(QStringLiteral("refreshTimer"));
    m_refreshTimer->setInterval(30000);

    setColor(toTColor(Qt::white));

    connect(m_startButton, &QToolButton::clicked, this,
            [this] { ui::runHandler([this] { SpeedButton1Click(this); }); });
    connect(m_refreshTimer, &QTimer::timeout, this, [this] { ui::runHandler([this] { refreshChart(); }); });
    connect(m_intervalSpinEdit, &QSpinBox::valueChanged, this,
            [this](int seconds) { m_refreshTimer->setInterval(seconds * 1000); });
    connect(m_colorControl, &QToolButton::clicked, this, [this] { chooseColor(); });
    connect(m_percentMenuItem, &QAction::toggled, this,
            [this] { ui::runHandler([this] { refreshChart(); }); });
    connect(m_exportFileMenuItem, &QAction::triggered, this, [this] { chooseExportFile(); });
    connect(m_newWindowMenuItem, &QAction::triggered, this, [this] {
        auto* copy = new TIntradayForm;
        copy->setAttribute(Qt::WA_DeleteOnClose);
        copy->setQuoteLoader(m_quoteLoader);
        copy->instrumentEdit()->setText(m_instrumentEdit->text());
        copy->setCaption(m_instrumentEdit->text());
        copy->OnClose = [copy](ui::CloseAction& action) { copy->MDIClose(action); };
        copy->show();
        copy->IntradayDiagramm();
        copy->SpeedButton1Click(this);
    });
    connect(m_chart, &QCustomPlot::customContextMenuRequested, this, &TIntradayForm::showPopupMenu);
    connect(m_chart, &QCustomPlot::mouseDoubleClick, this, [this] { GraphicsServer4DblClick(m_chart); });
}

TIntradayForm::~TIntradayForm() = default;

void TIntradayForm::MDIClose(ui::CloseAction& action) {
    m_refreshTimer->stop();
    action = ui::CloseAction::Free;
}

void TIntradayForm::IntradayDiagramm() {
    const QString instrument = m_instrumentEdit->text();
    m_chart->graph(0)->setName(instrument);
    m_chart->graph(0)->setPen(QPen(QColor(30, 90, 200), 1.5));
    m_chart->yAxis->setLabel(instrument);
    m_chart->replot();
}

void TIntradayForm::SpeedButton1Click(QObject*) {
    refreshChart();
    m_refreshTimer->start();
}

void TIntradayForm::GraphicsServer4DblClick(QObject*) {
    m_chart->rescaleAxes();
    m_chart->replot();
}

void TIntradayForm::FormResize(QObject*) {
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void TIntradayForm::setQuoteLoader(QuoteLoader loader) {
    m_quoteLoader = std::move(loader);
}

TColor TIntradayForm::color() const {
    return m_color;
}

void TIntradayForm::setColor(TColor colour) {
    m_color = colour;
    const QColor background = fromTColor(colour);
    QPixmap swatch(14, 14);
    swatch.fill(background);
    QPainter painter(&swatch);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 13, 13);
    painter.end();
    m_colorControl->setIcon(QIcon(swatch));
    m_chart->setBackground(background);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void TIntradayForm::resizeEvent(QResizeEvent* event) {
    ui::MdiChildForm::resizeEvent(event);
    FormResize(this);
}

void TIntradayForm::refreshChart() {
    std::vector<ChartQuote> quotes;
    m_statusLine->clear();
    m_statusLine->hide();
    if (m_quoteLoader) {
        try {
            quotes = m_quoteLoader(m_instrumentEdit->text());
        } catch (const std::exception& error) {
            // A chart window only watches: it says inside itself why it has nothing to show and
            // tries again at the next refresh, instead of a message box every few seconds.
            m_statusLine->setText(QString::fromUtf8(error.what()));
            m_statusLine->show();
        }
    }
    QVector<double> times;
    QVector<double> values;
    times.reserve(static_cast<qsizetype>(quotes.size()));
    values.reserve(static_cast<qsizetype>(quotes.size()));
    const bool percent = m_percentMenuItem->isChecked();
    const double reference = quotes.empty() ? 0.0 : quotes.front().price;
    for (const ChartQuote& quote : quotes) {
        times.push_back(ui::chartTime(quote.time));
        values.push_back(percent && reference != 0.0 ? (quote.price - reference) * 100.0 / reference
                                                     : quote.price);
    }
    m_chart->graph(0)->setData(times, values, true);
    m_chart->yAxis->setLabel(percent ? QStringLiteral("%") : m_instrumentEdit->text());
    m_chart->rescaleAxes();
    m_chart->replot();
    exportShownQuotes(quotes);
}

void TIntradayForm::exportShownQuotes(const std::vector<ChartQuote>& quotes) {
    const QString file = m_exportFileDialog.fileName;
    // "*.txt" is the dialog's pattern, not a file: no export file has been chosen yet.
    if (!m_exportMenuItem->isChecked() || file.isEmpty() || file.contains(QLatin1Char('*'))) {
        return;
    }
    try {
        exportQuotes(file.toStdString(), quotes, ui::numberLocale());
    } catch (const Error&) {
        // Said once: the export switches itself off instead of failing on every refresh.
        m_exportMenuItem->setChecked(false);
        throw;
    }
}

void TIntradayForm::chooseExportFile() {
    const QString fileName = ui::dialogs().saveFileName(this, m_exportFileDialog);
    if (!fileName.isEmpty()) {
        m_exportFileDialog.fileName = fileName;
    }
}

void TIntradayForm::chooseColor() {
    QColorDialog dialog(fromTColor(color()), this);
    if (ui::dialogs().execModal(dialog) == QDialog::Accepted) {
        setColor(toTColor(dialog.selectedColor()));
    }
}

void TIntradayForm::showPopupMenu(const QPoint& position) {
    m_popupMenu->popup(m_chart->mapToGlobal(position));
}

} // namespace marlovex::companion
