#include "tracker/live/live_quotes.h"

#include "tracker/live/quote_tables.h"

namespace marlovex::tracker {

ScanUpdate LiveQuotes::update(QuoteTables& tables, bool whole) {
    const ViewQuotes::Change warrant = m_warrant.sync(tables.Table1);
    const ViewQuotes::Change underlying = m_underlying.sync(tables.Table2);
    ScanSources sources;
    sources.warrant = m_warrant.quotes();
    sources.underlying = m_underlying.quotes();
    sources.underlyingOpen = tables.Table2.active();
    sources.filter = tables.filter;
    sources.warrantFiltered = tables.Table1.filtered();
    sources.referenceFiltered = tables.Table4.filtered();
    sources.underlyingFiltered = tables.Table2.filtered();
    if (whole || warrant == ViewQuotes::Change::Replaced || underlying == ViewQuotes::Change::Replaced) {
        return m_scan.rescan(sources);
    }
    return m_scan.extend(sources);
}

} // namespace marlovex::tracker
