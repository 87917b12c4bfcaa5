// The layouts of the data directory's tables as the quote-import program and the demo data
// generator write them: the quote table, the instrument table with the warrant fields, the daily
// history tables, the messenger's table and the analysis table.
//
// Pure functions and value types; thread-safe.
#pragma once

#include "platform/paradox/field.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace marlovex::market {

// A table's file name, fields, and the number of leading fields that form its primary key.
struct TableLayout {
    std::string fileName;
    std::vector<paradox::FieldDef> fields;
    int keyFieldCount = 0;
    // The primary index's name, as the family's programs created it.
    std::string indexName;
};

// Intraday.db: Firma, ZEIT (timestamp), Kurs (money), Volumen; key Firma, ZEIT.
TableLayout quoteTableLayout();

// Firma.db, keyed by Firma. Besides the fields every program of the family reads (FirmenName,
// Aktiv, Gruppe, Branche, Merkmal, Kennung, ZDF) it carries what the simulated market needs:
//   Basis       long     the underlying's Firma; set only on warrants, which it identifies
//   Typ         alpha 1  "C" call or "P" put
//   Basispreis  number   strike, in the underlying's currency units
//   Bezug       number   ratio: units of the underlying per warrant (0.01 = 100 warrants per unit)
//   Verfall     date     expiry date; the warrant expires at that day's close
//   Referenz    number   the price an instrument starts from while it has no quote
TableLayout instrumentTableLayout();

// Aktien.db: Firma, Datum (date), Kurs (money); key Firma, Datum.
TableLayout dailyPriceTableLayout();
// Volumen.db: Firma, Datum (date), Volumen (long); key Firma, Datum.
TableLayout dailyVolumeTableLayout();
// Message.DB, the price messenger's table, without key (records stay in the order written).
TableLayout messageTableLayout();
// Analyse.db, the intraday analysis table, without key.
TableLayout analysisTableLayout();

// A record of `layout` with the named fields set (names in any letter case) and every other
// field empty. Throws paradox::TableError naming a field that the layout lacks.
std::vector<paradox::Value> recordOf(const TableLayout& layout,
                                     const std::vector<std::pair<std::string, paradox::Value>>& values);

// Creates an empty table of `layout` in `directory`, replacing one of that name.
void createEmptyTable(const std::filesystem::path& directory, const TableLayout& layout);

} // namespace marlovex::market
