// The data side of a warrant tracker window: its five table views on the instrument table
// Firma.db and the quote table Intraday.db, the calculated columns of each warrant quote that a
// view fetches, the statistics that the calculation gathers on the way, and the record filters.
// The live update computes the whole list at once (LiveQuotes); both follow the same rules.
//
// Table1: the warrant's quotes (detail of Table3), with calculated fields and the warrant filter.
// Table2: the underlying's quotes (detail of Table5), with the underlying filter.
// Table3 / Table5: the instrument table ordered by name; their current rows are the selected
//   warrant and underlying.
// Table4: a second cursor on the warrant's quotes that the calculation searches.
//
// Not thread-safe: belongs to its window's user-interface thread.
#pragma once

#include "platform/paradox/table.h"
#include "tracker/model/record_filter.h"
#include "tracker/model/warrant_statistics.h"

#include <filesystem>
#include <string>

namespace marlovex::tracker {

// Creates an empty quote table in the Intraday.db format. Returns false when the engine refuses;
// the reason is not reported further.
bool Tageskurs(const std::filesystem::path& directory, const std::string& fileName);

// The position of a field of the view; a missing field raises the view's own error.
std::size_t fieldIndex(paradox::Table& table, const char* name);

class QuoteTables {
public:
    QuoteTables();
    QuoteTables(const QuoteTables&) = delete;
    QuoteTables& operator=(const QuoteTables&) = delete;

    paradox::Table Table1;
    paradox::Table Table2;
    paradox::Table Table3;
    paradox::Table Table4;
    paradox::Table Table5;

    WarrantStatistics statistics;
    RecordFilterSettings filter;

    // Points all five views at the data directory; they must be closed.
    void setDatabaseName(const std::filesystem::path& directory);
    void closeAll();

    // Table4 without its master, so it sees every quote (the day check), and linked again.
    void unlinkTable4();
    void linkTable4();

    // The calculated fields of one warrant quote, run for every Table1 row that the view
    // fetches; they also advance the statistics.
    void Table1CalcFields(paradox::Table& dataSet);
    bool Table1FilterRecord(paradox::Table& dataSet);
    bool Table2FilterRecord(paradox::Table& dataSet);

    // Switches the filters of Table1 and Table2 on, so both re-filter with the rule that applies
    // now (the time filter's switch or the start times).
    void applyTimeFilter(bool on, DateTime from, DateTime to);

private:
    // A field looked up by name once and then by its position, checked against the name on every
    // use: the calculation runs for every quote of every scan, where name lookups would dominate.
    class CachedField {
    public:
        explicit CachedField(const char* name)
            : m_name(name) {}
        paradox::FieldRef in(paradox::Table& table);

    private:
        std::string m_name;
        std::size_t m_index = static_cast<std::size_t>(-1);
    };

    struct QuoteFields {
        CachedField firma{"Firma"};
        CachedField zeit{"ZEIT"};
        CachedField kurs{"Kurs"};
        CachedField volumen{"Volumen"};
    };

    QuoteFields m_warrantRow;
    QuoteFields m_reference;
    QuoteFields m_underlying;
    QuoteFields m_filtered;
    CachedField m_basisWert{"Basis-Wert"};
    CachedField m_kursDiff{"Kurs-Diff"};
    CachedField m_basisDiff{"Basis-Diff"};
    CachedField m_delta{"Delta"};
};

} // namespace marlovex::tracker
