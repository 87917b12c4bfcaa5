#include "tracker/exports/analysis_rows.h"

namespace marlovex::tracker::analysis {
namespace {

// The columns of a new row that hold the security's price at creation.
constexpr const char* priceColumns[] = {"Kurs",       "KursMax",    "KursMin",    "GlD1",   "GlD2",
                                        "GlD1Minus1", "GlD2Minus1", "Stochastik", "AktKurs"};
// The columns of a new row that start at 0.
constexpr const char* zeroColumns[] = {"MaxProzent", "MinProzent", "MaxDifferenz", "Bewertung",
                                       "Differenz",  "Prozent",    "OrvelFaktor"};
constexpr const char* zeroCountColumns[] = {"AktVolumen", "Index", "DiffVolumen"};

} // namespace

bool findRow(paradox::Table& analysis, const std::string& name) {
    for (analysis.first(); !analysis.eof(); analysis.next()) {
        if (analysis.field("Wertpapier").asString() == name) {
            return true;
        }
    }
    return false;
}

void appendRow(paradox::Table& analysis, paradox::Table& instrument, paradox::Table& quotes,
               formats::DateTime today) {
    analysis.append();
    paradox::postOrCancel(analysis, [&] {
        analysis.field("Wertpapier").setString(instrument.field("FirmenName").asString());
        analysis.field("Firma").setInteger(instrument.field("Firma").asInteger());
        analysis.field("Gruppe").setInteger(instrument.field("Gruppe").asInteger());
        analysis.field("Branche").setInteger(instrument.field("Branche").asInteger());
        analysis.field("Merkmal").setInteger(instrument.field("Merkmal").asInteger());
        analysis.field("Favorit").setBoolean(instrument.field("Aktiv").asBoolean());
        analysis.field("Datum").setDateTime(formats::datePart(today));
        for (const char* column : zeroCountColumns) {
            analysis.field(column).setInteger(0);
        }
        const std::string code = instrument.field("Kennung").asString();
        analysis.field("Kennung").setString(code.empty() ? instrument.field("ZDF").asString() : code);
        const double price = quotes.field("Kurs").asFloat();
        for (const char* column : priceColumns) {
            analysis.field(column).setFloat(price);
        }
        for (const char* column : zeroColumns) {
            analysis.field(column).setFloat(0);
        }
        analysis.field("OrvelRate").setFloat(1);
    });
}

void writeLimits(paradox::Table& analysis, double limitMinus, double limitPlus) {
    // Ticks hand over the same limits most of the time; a row that already holds them is not
    // written again, which spares the family's analysis a lock and the disk a commit.
    const auto holds = [&](const char* column, double value) {
        return !analysis.field(column).isNull() && analysis.field(column).asFloat() == value;
    };
    if (holds("LimitMinus", limitMinus) && holds("LimitPlus", limitPlus)) {
        return;
    }
    analysis.edit();
    paradox::postOrCancel(analysis, [&] {
        analysis.field("LimitMinus").setFloat(limitMinus);
        analysis.field("LimitPlus").setFloat(limitPlus);
    });
}

void writeBreakEven(paradox::Table& analysis, double breakEven) {
    analysis.edit();
    paradox::postOrCancel(analysis, [&] { analysis.field("Gewinnschwelle").setFloat(breakEven); });
}

} // namespace marlovex::tracker::analysis
