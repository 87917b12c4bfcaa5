// The quote list and the chart: both show what the last scan of the warrant's quotes found, and
// the chart adds the underlying's quotes.
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/tosp_form.h"
#include "ui/chart_time.h"

#include <QTableView>

namespace marlovex::tracker {

namespace {

// As QCustomPlot's own rescale: an axis without any value stays as it is, and a single value
// keeps the axis's width centred on it.
void fitValueAxis(QCPAxis* axis, const std::optional<PriceRange>& span) {
    if (!span) {
        return;
    }
    QCPRange range(span->lowest, span->highest);
    if (!QCPRange::validRange(range)) {
        const double centre = (span->lowest + span->highest) / 2;
        const double half = axis->range().size() / 2;
        range = QCPRange(centre - half, centre + half);
    }
    axis->setRange(range);
}

} // namespace

ScanUpdate TOSP_Form::scanWarrantQuotes(StatisticsReset reset, ScanScope scope) {
    paradox::Table& quotes = tables.Table1;
    quotes.disableControls();
    // The import program keeps adding quotes of both instruments: the scan works on the tables
    // as they stand now, and so do the cursors' own calculations after it. The three views show
    // one table; the first to read a new commit hands it to the others.
    if (quotes.active()) {
        quotes.refresh();
    }
    for (paradox::Table* view : {&tables.Table2, &tables.Table4}) {
        if (view->active()) {
            view->refreshLike(quotes);
        }
    }
    if (reset == StatisticsReset::BeforeScan) {
        tables.statistics.resetForScan();
    }
    const ScanUpdate update = liveQuotes.update(tables, scope == ScanScope::Whole);
    const QuoteScan& scan = liveQuotes.scan();
    tables.statistics.take(scan.extremes());
    if (tables.Table2.active() && !scan.rows().empty()) {
        tables.statistics.OSRefKurs = scan.lastWarrantReference();
        tables.statistics.BasisRefKurs = scan.lastUnderlyingReference();
    }
    // The cursor ends on the newest quote, as after a pass over the list.
    if (quotes.active()) {
        quotes.last();
    }
    quotes.enableControls();
    const bool added = update.rebuilt || scan.rows().size() > update.firstAdded;
    DataSource1->show(scan.rows(), update);
    if (added && !scan.rows().empty()) {
        DBGrid1->scrollToBottom();
    }
    return update;
}

void TOSP_Form::refreshChart(const ScanUpdate& update) {
    const QuoteScan& scan = liveQuotes.scan();
    const std::vector<QuoteRow>& rows = scan.rows();
    const std::vector<StoredQuote>& underlying = scan.underlyingQuotes();
    if (!update.changedAnything(rows.size(), underlying.size())) {
        return;
    }
    // Earlier rows keep their quote and delta when a new underlying quote changes them.
    const std::size_t firstRow = update.rebuilt ? 0 : update.firstAdded;
    const std::size_t firstUnderlying = update.rebuilt ? 0 : update.firstUnderlyingAdded;
    QVector<double> times;
    QVector<double> quotes;
    QVector<double> deltaTimes;
    QVector<double> deltas;
    for (std::size_t row = firstRow; row < rows.size(); ++row) {
        times.push_back(ui::chartTime(rows[row].time));
        quotes.push_back(rows[row].quote);
        if (rows[row].delta) {
            deltaTimes.push_back(ui::chartTime(rows[row].time));
            deltas.push_back(*rows[row].delta);
        }
    }
    QVector<double> underlyingTimes;
    QVector<double> underlyingQuotes;
    for (std::size_t quote = firstUnderlying; quote < underlying.size(); ++quote) {
        underlyingTimes.push_back(ui::chartTime(underlying[quote].time));
        underlyingQuotes.push_back(underlying[quote].price);
    }
    if (update.rebuilt) {
        DBChart1->Series1->setData(times, quotes, true);
        DBChart1->Series3->setData(deltaTimes, deltas, true);
        DBChart1->Series2->setData(underlyingTimes, underlyingQuotes, true);
    } else {
        DBChart1->Series1->addData(times, quotes, true);
        DBChart1->Series3->addData(deltaTimes, deltas, true);
        DBChart1->Series2->addData(underlyingTimes, underlyingQuotes, true);
    }

    // The keys are sorted, so QCustomPlot finds their range at the ends; the values' ranges come
    // from the scan instead of a walk over every point.
    DBChart1->xAxis->rescale();
    fitValueAxis(DBChart1->warrantAxis(), scan.warrantSpan());
    fitValueAxis(DBChart1->underlyingAxis(), scan.underlyingSpan());
    fitValueAxis(DBChart1->deltaAxis(), scan.deltaSpan());
    for (QCPAxis* axis : {DBChart1->warrantAxis(), DBChart1->underlyingAxis(), DBChart1->deltaAxis()}) {
        axis->scaleRange(1.1, axis->range().center());
    }
    DBChart1->replot();
}

void TOSP_Form::refreshQuoteViews() {
    // Showing the rows runs their calculation like any fetch; only the live update's scan
    // starts the statistics afresh.
    refreshChart(scanWarrantQuotes(StatisticsReset::Keep, ScanScope::Whole));
}

} // namespace marlovex::tracker
