// The quote list and the chart: both show what the last scan of the warrant's quotes found, and
// the chart adds the underlying's quotes.
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/tosp_form.h"
#include "ui/chart_time.h"

#include <QTableView>

namespace marlovex::tracker {

void TOSP_Form::scanWarrantQuotes(StatisticsReset reset) {
    paradox::Table& quotes = tables.Table1;
    std::vector<QuoteRow> rows;
    quotes.disableControls();
    quotes.first();
    if (reset == StatisticsReset::BeforeScan) {
        tables.statistics.resetForScan();
    }
    quotes.refresh();
    // The calculation looks up the underlying's quotes, which the import program keeps adding
    // too: the scan works on both tables as they stand now.
    if (tables.Table2.active()) {
        tables.Table2.refresh();
    }
    // Every row is fetched once more after the reset, so the calculation sees each of them.
    const QuoteRowReader reader(quotes);
    for (quotes.first(); !quotes.eof(); quotes.next()) {
        rows.push_back(reader.read());
    }
    quotes.enableControls();
    DataSource1->setRows(std::move(rows));
    if (!DataSource1->rows().empty()) {
        DBGrid1->scrollToBottom();
    }
}

void TOSP_Form::refreshChart() {
    QVector<double> times;
    QVector<double> quotes;
    QVector<double> deltaTimes;
    QVector<double> deltas;
    for (const QuoteRow& row : DataSource1->rows()) {
        times.push_back(ui::chartTime(row.time));
        quotes.push_back(row.quote);
        if (row.delta) {
            deltaTimes.push_back(ui::chartTime(row.time));
            deltas.push_back(*row.delta);
        }
    }
    DBChart1->Series1->setData(times, quotes, true);
    DBChart1->Series3->setData(deltaTimes, deltas, true);

    QVector<double> underlyingTimes;
    QVector<double> underlyingQuotes;
    paradox::Table& underlying = tables.Table2;
    if (underlying.active()) {
        const std::size_t zeit = fieldIndex(underlying, "ZEIT");
        const std::size_t kurs = fieldIndex(underlying, "Kurs");
        for (underlying.first(); !underlying.eof(); underlying.next()) {
            underlyingTimes.push_back(ui::chartTime(underlying.field(zeit).asDateTime()));
            underlyingQuotes.push_back(underlying.field(kurs).asFloat());
        }
    }
    DBChart1->Series2->setData(underlyingTimes, underlyingQuotes, true);

    DBChart1->rescaleAxes();
    for (QCPAxis* axis : {DBChart1->warrantAxis(), DBChart1->underlyingAxis(), DBChart1->deltaAxis()}) {
        axis->scaleRange(1.1, axis->range().center());
    }
    DBChart1->replot();
}

void TOSP_Form::refreshQuoteViews() {
    if (tables.Table1.active()) {
        // Showing the rows runs their calculation like any fetch; only the live update's scan
        // starts the statistics afresh.
        scanWarrantQuotes(StatisticsReset::Keep);
    } else {
        DataSource1->setRows({});
    }
    refreshChart();
}

} // namespace marlovex::tracker
