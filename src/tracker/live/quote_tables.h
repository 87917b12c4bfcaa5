// The data side of a warrant tracker window: its five table views on the instrument table
// Firma.db and the quote table Intraday.db, the calculated columns of the warrant's quote list,
// the statistics that the calculation gathers on the way, and the record filters.
//
// Table1: the warrant's quotes (detail of Table3), with calculated fields and the warrant filter.
// Table2: the underlying's quotes (detail of Table5), with the underlying filter.
// Table3 / Table5: the instrument table ordered by name; their current rows are the selected
//   warrant and underlying.
// Table4: a second cursor on the warrant's quotes that the calculation searches.
//
// Not thread-safe: belongs to its window's user-interface thread.
#pragma once

#include "platform/formats/date_time.h"
#include "platform/paradox/table.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace marlovex::tracker {

using formats::DateTime;

// The day's extremes of the warrant, with the underlying's quotes at those moments.
struct WarrantStatistics {
    double OSRefKurs = 0;
    double BasisRefKurs = 0;
    double OSMax = -100000;
    double OSMin = 100000;
    double BasisAtOSMax = -100000;
    double BasisAtOSMin = 100000;
    double BasisDiffAtOSMax = -100000;
    double BasisDiffAtOSMin = 100000;
    DateTime StatMaxZeit = 0;
    DateTime StatMinZeit = 0;

    // Before each statistics scan of the live update; the times of the extremes stay.
    void resetForScan();
    // After the user picks another warrant: everything but the times.
    void resetForWarrantSelection();
    // After the user picks another underlying: the warrant's extremes, not the underlying's
    // quotes at them.
    void resetForUnderlyingSelection();
};

// What the record filters compare a quote's time with.
struct RecordFilterSettings {
    // The first stored quote times when the live update started; 0 before.
    DateTime OSFilterStart = 0;
    DateTime BasisFilterStart = 0;
    // "Zeitfilter aktiviert": only quotes strictly between the two pickers' date-times pass.
    bool timeFilterOn = false;
    DateTime timeFilterFrom = 0;
    DateTime timeFilterTo = 0;
};

// Creates an empty quote table in the Intraday.db format. Returns false when the engine refuses;
// the reason is not reported further.
bool Tageskurs(const std::filesystem::path& directory, const std::string& fileName);

// The delta that the quote-import program encodes in the volume of a warrant quote: none for 0,
// V / 1,000,000 above 1000, otherwise -V / 1000.
std::optional<double> decodeDelta(std::int64_t volume);

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

    bool passes(DateTime quoteTime, DateTime filterStart) const;

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
