// The live update cycle: start and stop, the tick that re-reads the quotes and refreshes every
// display derived from them, and the once-a-second mirror of the download form's status line.
#include "companion/http_get_form.h"
#include "tracker/chart/colour_line.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/model/header_figures.h"
#include "tracker/model/level_trailing.h"
#include "tracker/window/crossing_notifier.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/price_colours.h"
#include "tracker/window/record_navigator.h"
#include "tracker/window/tosp_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <exception>
#include <optional>

namespace marlovex::tracker {
namespace {

constexpr int turboInterval = 500;
constexpr int normalInterval = 30000;

const QColor& colourOf(LevelSide side) {
    switch (side) {
    case LevelSide::BelowFalling:
        return lossRed;
    case LevelSide::AboveRising:
        return riseGreen;
    case LevelSide::Inside:
        break;
    }
    return plainBlack;
}

} // namespace

bool TOSP_Form::isRunning() const {
    return !SpeedButton1->isHidden();
}

int TOSP_Form::tickInterval() const {
    return Turbo->isChecked() ? turboInterval : normalInterval;
}

double TOSP_Form::valueOf(const QLineEdit* edit) const {
    return formats::parseDecimal(edit->text().toStdString(), m_numbers);
}

std::optional<double> TOSP_Form::inputUnlessBeingTyped(const QLineEdit* edit) const {
    try {
        return valueOf(edit);
    } catch (const formats::ConversionError&) {
        if (edit->hasFocus()) {
            return std::nullopt;
        }
        throw;
    }
}

QString TOSP_Form::shortest(double value) const {
    return QString::fromStdString(formats::formatGeneral(value, 15, m_numbers));
}

QString TOSP_Form::grouped(double value, int decimals, int precision) const {
    return QString::fromStdString(formats::formatGrouped(value, decimals, precision, m_numbers));
}

void TOSP_Form::SpeedButton1Click(QObject*) {
    if (!isRunning()) {
        SpeedButton2->hide();
        SpeedButton1->show();
        SpeedButton1->setToolTip(QStringLiteral("automatische Aktualisierung läuft"));
        if (StartKursEintragen) {
            takeFilterStartTimes();
            // The quotes before the start drop out of list and chart now, not at the first tick.
            refreshQuoteViews();
        }
        Timer1->setInterval(tickInterval());
        Timer1->start();
        return;
    }
    Timer1->stop();
    showStopped();
    SpeedButton3->setEnabled(true);
    SpeedButton4->setEnabled(true);
    companion::THttpGetForm* download = companion::HttpGetForm();
    if (download != nullptr && download->busy) {
        try {
            download->HttpCli1()->Abort();
            download->busy = false;
            download->resetAfterAbort = true;
            SpeedButton3->setEnabled(true);
            SpeedButton4->setEnabled(true);
            download->close();
        } catch (const std::exception&) {
            // An abort that fails leaves the download to end by itself.
        }
    }
}

void TOSP_Form::showStopped() {
    SpeedButton1->hide();
    SpeedButton2->show();
    SpeedButton1->setToolTip(QStringLiteral("automatische Aktualisierung starten"));
}

void TOSP_Form::takeFilterStartTimes() {
    // The first stored quote of each instrument marks where the update started; the filters
    // then pass only later quotes. A view that is not open has no first quote to take.
    paradox::Table& warrant = tables.Table1;
    if (warrant.active()) {
        warrant.setFiltered(false);
        warrant.refresh();
        warrant.first();
        tables.filter.OSFilterStart = warrant.field("ZEIT").asDateTime();
        warrant.setFiltered(true);
        tables.Table4.setFiltered(true);
    }
    paradox::Table& underlying = tables.Table2;
    if (underlying.active()) {
        underlying.setFiltered(false);
        underlying.first();
        underlying.refresh();
        tables.filter.BasisFilterStart = underlying.field("ZEIT").asDateTime();
        underlying.setFiltered(true);
    }
}

void TOSP_Form::Timer1Timer() {
    Timer1->stop();
    try {
        runTick();
    } catch (...) {
        // The error ends the cycle; the buttons must say so, so the user can start it again.
        showStopped();
        throw;
    }
    Timer1->setInterval(tickInterval());
    if (isRunning()) {
        Timer1->start();
    }
}

void TOSP_Form::runTick() {
    if (isRunning()) {
        Laden(this);
    }
    if (tables.Table1.active() && tables.Table2.active()) {
        applyTimeWindow();
        DBNavigator1->setDataSourceAttached(false);
        Timer1->stop();
        Timer1->setInterval(tickInterval());
        const ScanUpdate update = scanWarrantQuotes(StatisticsReset::BeforeScan, ScanScope::NewQuotes);
        repairCalculatorInputs();
        refreshChart(update);
        writeExtremes();
        writeRanges();
        const double underlying = writeUnderlyingHeader();
        colourUnderlyingPrice(underlying);
        const double warrant = writeWarrantHeader();
        const std::optional<double> breakEven = writeProfitPanel(warrant);
        trailLimitsAndPlaceLines(warrant, breakEven);
        announceCrossings();
        FormResize();
        Edit3Change(this);
        CalcEnabled = true;
        DBNavigator1->setDataSourceAttached(true);
    }
}

void TOSP_Form::applyTimeWindow() {
    if (const std::optional<double> start = timeWindowStart(m_environment.now(), ComboBox1->currentIndex())) {
        DateTimePicker1->setTime(*start);
    }
}

void TOSP_Form::repairCalculatorInputs() {
    const std::array<QLineEdit*, 5> inputs{Edit3, Edit1, Edit2, Edit8, Edit9};
    const bool typing =
        std::any_of(inputs.begin(), inputs.end(), [](const QLineEdit* input) { return input->hasFocus(); });
    // A field being typed in is the user's: "19," on its way to "19,5" is no number yet. Its
    // repair waits for the end of the editing, and no repaired estimate converts into it.
    const bool converting = CalcEnabled;
    if (typing) {
        CalcEnabled = false;
    }
    for (QLineEdit* input : inputs) {
        if (!input->hasFocus()) {
            repairCalculatorInput(input);
        }
    }
    CalcEnabled = converting;
}

void TOSP_Form::repairCalculatorInput(QLineEdit* input) {
    try {
        input->setText(shortest(valueOf(input)));
    } catch (const formats::ConversionError&) {
        try {
            input->setText(calculatorInputFallback(input));
        } catch (const std::exception&) {
            // An input that cannot be repaired now is repaired by the next tick.
        }
    }
}

QString TOSP_Form::calculatorInputFallback(const QLineEdit* input) {
    if (input == Edit9) {
        return QStringLiteral("1000");
    }
    if (input == Edit2) {
        tables.Table2.last();
        return fieldText(tables.Table2, "Kurs");
    }
    if (input == Edit8) {
        return fieldText(tables.Table2, "Kurs");
    }
    return fieldText(tables.Table1, "Kurs");
}

void TOSP_Form::repairCalculatorInputAfterEditing(QLineEdit* input) {
    // Only where the running cycle would have repaired it meanwhile.
    if (isRunning() && tables.Table1.active() && tables.Table2.active()) {
        repairCalculatorInput(input);
    }
}

void TOSP_Form::writeExtremes() {
    const WarrantStatistics& statistics = tables.statistics;
    const QString minTime = QString::fromStdString(formats::formatLongTime(statistics.StatMinZeit, m_dates));
    const QString maxTime = QString::fromStdString(formats::formatLongTime(statistics.StatMaxZeit, m_dates));
    Label69->setText(minTime);
    Label71->setText(grouped(statistics.OSMin, 2));
    Label73->setText(grouped(statistics.BasisAtOSMin, 2));
    Label70->setText(maxTime);
    Label72->setText(grouped(statistics.OSMax, 2));
    Label74->setText(grouped(statistics.BasisAtOSMax, 2));
    Label1->setText(minTime);
    Label5->setText(grouped(statistics.BasisDiffAtOSMin, 2));
    Label7->setText(grouped(statistics.OSMin, 2));
    Label8->setText(grouped(statistics.BasisAtOSMin, 2));
    Label2->setText(maxTime);
    Label6->setText(grouped(statistics.BasisDiffAtOSMax, 2));
    Label9->setText(grouped(statistics.OSMax, 2));
    Label10->setText(grouped(statistics.BasisAtOSMax, 2));
}

void TOSP_Form::writeRanges() {
    const PriceRange warrant = liveQuotes.scan().warrantRange();
    const PriceRange underlying = liveQuotes.scan().underlyingRange();
    OSBasisRatio = rangeRatio(warrant, underlying);
    Label13->setText(grouped(OSBasisRatio, 3));
    Label14->setText(grouped(underlying.lowest, 2));
    Label15->setText(grouped(underlying.highest, 2));
    Label52->setText(grouped(warrant.lowest, 2));
    Label53->setText(grouped(warrant.highest, 2));
    Label18->setText(grouped(rangeWidth(underlying), 3));
    Label21->setText(grouped(rangeWidth(warrant), 3));
}

double TOSP_Form::writeUnderlyingHeader() {
    paradox::Table& quotes = tables.Table2;
    quotes.last();
    const double price = quotes.field("Kurs").asFloat();
    const QString time =
        QString::fromStdString(formats::formatDateTime(quotes.field("ZEIT").asDateTime(), "hh:mm:ss"));
    Label33->setText(QString::fromStdString(formats::formatPattern(price, "#####0.00", m_numbers)));
    Label44->setText(grouped(price, 1, 9));
    Label36->setText(time);
    Label43->setText(time);
    markStaleQuote(Label43, quotes.field("ZEIT").asDateTime(), SpeedButton4->isEnabled());
    if (const std::optional<double> purchase = inputUnlessBeingTyped(Edit8)) {
        writeChange(changeSincePurchase(price, *purchase), Label46, Label47);
    }
    return price;
}

void TOSP_Form::colourUnderlyingPrice(double price) {
    try {
        if (!Edit4->text().isEmpty()) {
            const double level = valueOf(Edit4);
            showLevelSide(Label33, m_underlyingLevels, sideOfFalling(price, level), price, level);
        }
        if (!Edit5->text().isEmpty()) {
            const double level = valueOf(Edit5);
            showLevelSide(Label33, m_underlyingLevels, sideOfRising(price, level), price, level);
        }
    } catch (const std::exception&) {
        // A level that is no number colours nothing.
    }
}

void TOSP_Form::showLevelSide(QLabel* priceLabel, LevelWatch& watch, LevelSide side, double price,
                              double level) {
    setTextColour(priceLabel, colourOf(side));
    watch.mark(side, price, level);
}

double TOSP_Form::writeWarrantHeader() {
    paradox::Table& quotes = tables.Table1;
    quotes.last();
    const double price = quotes.field("Kurs").asFloat();
    const QString time =
        QString::fromStdString(formats::formatDateTime(quotes.field("ZEIT").asDateTime(), "hh:mm:ss"));
    setCaption(fieldText(quotes, "Kurs"));
    Label34->setText(QString::fromStdString(formats::formatPattern(price, "#####0.00", m_numbers)));
    Label41->setText(grouped(price, 3));
    Label35->setText(time);
    Label42->setText(time);
    markStaleQuote(Label42, quotes.field("ZEIT").asDateTime(), SpeedButton3->isEnabled());
    if (const std::optional<double> purchase = inputUnlessBeingTyped(Edit3)) {
        writeChange(changeSincePurchase(price, *purchase), Label48, Label49);
    }
    return price;
}

void TOSP_Form::markStaleQuote(QLabel* timeLabel, formats::DateTime quoteTime, bool importing) {
    // Only a running import expects new quotes, and only the unbounded list shows the newest one;
    // three ticks without one mean the import is stuck.
    const bool expected = isRunning() && importing && !CheckBox3->isChecked();
    const bool stale = expected && quoteOverdue(m_environment.now(), quoteTime, tickInterval());
    setTextColour(timeLabel, stale ? lossRed : plainBlack);
}

void TOSP_Form::writeChange(const PriceChange& change, QLabel* points, QLabel* percent) {
    points->setText(grouped(change.points, 2));
    // Without a purchase price the percentage keeps its text.
    if (change.percent) {
        percent->setText(grouped(*change.percent, 2) + QStringLiteral(" %"));
    }
}

std::optional<double> TOSP_Form::writeProfitPanel(double price) {
    const std::optional<double> quantity = inputUnlessBeingTyped(Edit9);
    const std::optional<double> purchase = inputUnlessBeingTyped(Edit3);
    if (!quantity || !purchase) {
        // The panel and the break-even line wait for the number being typed.
        return std::nullopt;
    }
    const HeldPosition held =
        heldAt(feeSettings(),
               {.purchase = *purchase, .quantity = *quantity, .chargeFees = CheckBox4->isChecked()}, price);
    Panel9->setText(grouped(held.profit, 2));
    setTextColour(Panel9, held.priceAbovePurchase ? plainBlack : lossRed);
    return held.breakEven;
}

void TOSP_Form::trailLimits(const QLineEdit* adjustment, QLineEdit* falling, QLineEdit* rising,
                            const PriceRange& shown, const PriceRange& extremes) {
    QString text = adjustment->text();
    const qsizetype percentSign = text.indexOf(QLatin1Char('%'));
    if (percentSign >= 0) {
        text.remove(percentSign, 1);
    }
    std::optional<AlarmLevels> levels;
    try {
        const LevelAdjustment parsed{.unit = percentSign >= 0 ? LevelAdjustment::Unit::Percent
                                                              : LevelAdjustment::Unit::Points,
                                     .amount = formats::parseDecimal(text.toStdString(), m_numbers)};
        levels = trailedLevels(parsed, extremes, shown);
    } catch (const std::exception&) {
        // An adjustment that is no number leaves the levels where the user put them.
    }
    if (levels) {
        rising->setText(shortest(levels->rising));
        falling->setText(shortest(levels->falling));
    }
    // A percentage enters the levels into the analysis even when it is no number.
    if ((levels || percentSign >= 0) && CheckBox7->isChecked()) {
        Analyseeintragen1Click(this);
    }
}

void TOSP_Form::trailLimitsAndPlaceLines(double warrantPrice, std::optional<double> breakEven) {
    const WarrantStatistics& statistics = tables.statistics;
    const std::array<ColourLine*, 3> lines{DBChart1->ChartTool3, DBChart1->ChartTool4, DBChart1->ChartTool5};
    const auto placed = [&lines] {
        std::array<std::pair<double, bool>, 3> where;
        std::transform(lines.begin(), lines.end(), where.begin(), [](const ColourLine* line) {
            return std::pair{line->value(), line->isVisible()};
        });
        return where;
    };
    const auto before = placed();
    try {
        trailLimits(Edit10, Edit6, Edit7, liveQuotes.scan().warrantRange(),
                    {.lowest = statistics.OSMin, .highest = statistics.OSMax});
        try {
            trailLimits(Edit11, Edit4, Edit5, liveQuotes.scan().underlyingRange(),
                        {.lowest = statistics.BasisAtOSMin, .highest = statistics.BasisAtOSMax});
            if (!Edit6->text().isEmpty()) {
                const double level = valueOf(Edit6);
                showLevelSide(Label34, m_warrantLevels, sideOfFalling(warrantPrice, level), warrantPrice,
                              level);
                DBChart1->ChartTool3->setValue(level);
                DBChart1->ChartTool3->setVisible(CheckBox5->isChecked());
            }
            if (!Edit7->text().isEmpty()) {
                const double level = valueOf(Edit7);
                showLevelSide(Label34, m_warrantLevels, sideOfRising(warrantPrice, level), warrantPrice,
                              level);
                DBChart1->ChartTool5->setValue(level);
                DBChart1->ChartTool5->setVisible(CheckBox5->isChecked());
            }
            // Without a break-even price the line stays where it was.
            if (breakEven) {
                DBChart1->ChartTool4->setValue(*breakEven);
                DBChart1->ChartTool4->setVisible(CheckBox6->isChecked());
            }
        } catch (const std::exception&) {
            // A level that is no number ends the underlying's part of the tick here.
        }
    } catch (const std::exception&) {
        // Trailing is a convenience; a failure in it never stops the tick.
    }
    // A redraw costs as much as the chart has quotes; most ticks move no line.
    if (placed() != before) {
        DBChart1->replot();
    }
}

std::optional<CrossingNotice> TOSP_Form::noticeOf(LevelWatch& watch, paradox::Table& instrument) {
    const std::optional<LevelCrossing> crossing = watch.endTick();
    if (!crossing) {
        return std::nullopt;
    }
    const bool falling = crossing->side == LevelSide::BelowFalling;
    CrossingNotice notice;
    notice.title = (falling ? QStringLiteral("Alarm fällt: ") : QStringLiteral("Alarm steigt: ")) +
                   QString::fromStdString(instrument.field("FirmenName").asString());
    notice.text =
        QStringLiteral("Kurs %1 %2 %3")
            .arg(QString::fromStdString(formats::formatPattern(crossing->price, "#####0.00", m_numbers)),
                 falling ? QStringLiteral("unter") : QStringLiteral("über"), shortest(crossing->level));
    return notice;
}

void TOSP_Form::announceCrossings() {
    try {
        std::vector<CrossingNotice> notices;
        for (auto [watch, instrument] :
             {std::pair{&m_warrantLevels, &tables.Table3}, std::pair{&m_underlyingLevels, &tables.Table5}}) {
            if (std::optional<CrossingNotice> notice = noticeOf(*watch, *instrument)) {
                notices.push_back(std::move(*notice));
            }
        }
        if (notices.empty()) {
            return;
        }
        if (m_crossingNotifier == nullptr) {
            m_crossingNotifier = new CrossingNotifier(this);
        }
        m_crossingNotifier->notify(notices);
    } catch (const std::exception&) {
        // The notice is a courtesy; the tick goes on without it.
    }
}

void TOSP_Form::Timer2Timer() {
    Label65->clear();
    // The window's own download form carries its own imports' status; the shared current form
    // would show another tracker's imports in this window.
    if (m_downloadForm != nullptr) {
        Label65->setText(m_downloadForm->statusPanelText(0) + QLatin1Char(' ') +
                         m_downloadForm->statusPanelText(1));
    }
    Timer2->setInterval(1000);
    Timer2->start();
}

} // namespace marlovex::tracker
