#include "market/market_tables.h"

#include "platform/paradox/errors.h"
#include "platform/paradox/table.h"
#include "platform/paradox/value_conversion.h"

#include <algorithm>

namespace marlovex::market {
namespace {

using paradox::FieldDef;
using paradox::FieldType;

constexpr int nameSize = 40;
constexpr int codeSize = 12;

} // namespace

TableLayout quoteTableLayout() {
    return {"Intraday.db",
            {
                FieldDef::of("Firma", FieldType::Long, 0, true),
                FieldDef::of("ZEIT", FieldType::Timestamp, 0, true),
                FieldDef::of("Kurs", FieldType::Money, 0, true),
                FieldDef::of("Volumen", FieldType::Long),
            },
            2,
            "INTRADAY"};
}

TableLayout instrumentTableLayout() {
    return {"Firma.db",
            {
                FieldDef::of("Firma", FieldType::Long, 0, true),
                FieldDef::of("FirmenName", FieldType::Alpha, nameSize),
                FieldDef::of("Aktiv", FieldType::Logical),
                FieldDef::of("Gruppe", FieldType::Long),
                FieldDef::of("Branche", FieldType::Long),
                FieldDef::of("Merkmal", FieldType::Long),
                FieldDef::of("Kennung", FieldType::Alpha, codeSize),
                FieldDef::of("ZDF", FieldType::Alpha, codeSize),
                FieldDef::of("Basis", FieldType::Long),
                FieldDef::of("Typ", FieldType::Alpha, 1),
                FieldDef::of("Basispreis", FieldType::Number),
                FieldDef::of("Bezug", FieldType::Number),
                FieldDef::of("Verfall", FieldType::Date),
                FieldDef::of("Referenz", FieldType::Number),
            },
            1,
            "FIRMA"};
}

TableLayout dailyPriceTableLayout() {
    return {"Aktien.db",
            {
                FieldDef::of("Firma", FieldType::Long, 0, true),
                FieldDef::of("Datum", FieldType::Date, 0, true),
                FieldDef::of("Kurs", FieldType::Money),
            },
            2,
            "AKTIEN"};
}

TableLayout dailyVolumeTableLayout() {
    return {"Volumen.db",
            {
                FieldDef::of("Firma", FieldType::Long, 0, true),
                FieldDef::of("Datum", FieldType::Date, 0, true),
                FieldDef::of("Volumen", FieldType::Long),
            },
            2,
            "VOLUMEN"};
}

TableLayout messageTableLayout() {
    return {"Message.DB",
            {
                FieldDef::of("FirmaNr", FieldType::Long),
                FieldDef::of("Firma", FieldType::Alpha, nameSize),
                FieldDef::of("Kurs", FieldType::Number),
                FieldDef::of("Anfang", FieldType::Number),
                FieldDef::of("Minimum", FieldType::Number),
                FieldDef::of("Maximum", FieldType::Number),
                FieldDef::of("Message", FieldType::Logical),
            },
            0,
            ""};
}

TableLayout analysisTableLayout() {
    TableLayout layout{"Analyse.db",
                       {
                           FieldDef::of("Wertpapier", FieldType::Alpha, nameSize),
                           FieldDef::of("Firma", FieldType::Long),
                           FieldDef::of("Gruppe", FieldType::Long),
                           FieldDef::of("Branche", FieldType::Long),
                           FieldDef::of("Merkmal", FieldType::Long),
                           FieldDef::of("Favorit", FieldType::Logical),
                           FieldDef::of("Datum", FieldType::Date),
                           FieldDef::of("AktVolumen", FieldType::Long),
                           FieldDef::of("Index", FieldType::Long),
                           FieldDef::of("DiffVolumen", FieldType::Long),
                           FieldDef::of("Kennung", FieldType::Alpha, codeSize),
                       },
                       0,
                       ""};
    for (const char* name :
         {"Kurs",    "KursMax",     "KursMin",    "MaxProzent", "MinProzent", "MaxDifferenz",  "GlD1",
          "GlD2",    "Bewertung",   "GlD1Minus1", "GlD2Minus1", "Stochastik", "AktKurs",       "Differenz",
          "Prozent", "OrvelFaktor", "OrvelRate",  "LimitMinus", "LimitPlus",  "Gewinnschwelle"}) {
        layout.fields.push_back(FieldDef::of(name, FieldType::Number));
    }
    return layout;
}

std::vector<paradox::Value> recordOf(const TableLayout& layout,
                                     const std::vector<std::pair<std::string, paradox::Value>>& values) {
    std::vector<paradox::Value> record(layout.fields.size(), paradox::Null{});
    for (const auto& [name, value] : values) {
        const auto field =
            std::find_if(layout.fields.begin(), layout.fields.end(), [&](const FieldDef& candidate) {
                return paradox::equalNames(candidate.name, name);
            });
        if (field == layout.fields.end()) {
            throw paradox::TableError("Die Tabelle " + layout.fileName + " hat kein Feld '" + name + "'.");
        }
        record[static_cast<std::size_t>(field - layout.fields.begin())] = value;
    }
    return record;
}

void createEmptyTable(const std::filesystem::path& directory, const TableLayout& layout) {
    std::vector<paradox::IndexDef> indexes;
    if (layout.keyFieldCount > 0) {
        std::string names;
        for (int i = 0; i < layout.keyFieldCount; ++i) {
            names += (i > 0 ? ";" : "") + layout.fields[static_cast<std::size_t>(i)].name;
        }
        indexes.push_back({layout.indexName, names, true});
    }
    paradox::Table::createTable(directory / layout.fileName, layout.fields, indexes);
}

} // namespace marlovex::market
