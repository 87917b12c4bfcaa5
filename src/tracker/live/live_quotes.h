// The warrant's quote list as the live update keeps it: copies of both instruments' quotes from
// the views over Intraday.db and the scan computed from them. An update reads only the quotes
// stored since the last one and computes only the rows they add or change, unless the views
// show something else than before (another instrument, a late quote, a replaced table, other
// filters): then it computes every row.
//
// Not thread-safe: belongs to its window's user-interface thread.
#pragma once

#include "tracker/live/view_quotes.h"
#include "tracker/model/quote_scan.h"

namespace marlovex::tracker {

class QuoteTables;

class LiveQuotes {
public:
    // Takes what the views hold now; refresh them first. `whole` computes every row.
    ScanUpdate update(QuoteTables& tables, bool whole);

    const QuoteScan& scan() const { return m_scan; }

private:
    ViewQuotes m_warrant;
    ViewQuotes m_underlying;
    QuoteScan m_scan;
};

} // namespace marlovex::tracker
