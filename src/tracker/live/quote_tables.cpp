#include "tracker/live/quote_tables.h"

#include "platform/paradox/errors.h"
#include "tracker/model/quote_scan.h"

namespace marlovex::tracker {
namespace {

using paradox::FieldDef;
using paradox::FieldType;
using paradox::Value;

const char* const quoteTableName = "Intraday.db";
const char* const instrumentTableName = "Firma.db";

} // namespace

bool Tageskurs(const std::filesystem::path& directory, const std::string& fileName) {
    try {
        paradox::Table table;
        table.setDatabaseName(directory);
        table.setTableName(fileName);
        table.setTableType(paradox::TableType::Paradox);
        table.createTable(
            {
                FieldDef::of("Firma", FieldType::Long, 0, true),
                FieldDef::of("ZEIT", FieldType::Timestamp, 0, true),
                FieldDef::of("Kurs", FieldType::Money, 0, true),
                FieldDef::of("Volumen", FieldType::Long, 0, false),
            },
            {paradox::IndexDef{"INTRADAY", "FIRMA;ZEIT", true}});
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::size_t fieldIndex(paradox::Table& table, const char* name) {
    if (const std::optional<std::size_t> index = table.findField(name)) {
        return *index;
    }
    // Lets the view report the missing field with its own message.
    table.field(name);
    return 0;
}

QuoteTables::QuoteTables() {
    for (paradox::Table* instruments : {&Table3, &Table5}) {
        instruments->setTableName(instrumentTableName);
        instruments->setTableType(paradox::TableType::Paradox);
        instruments->setIndexFieldNames("FirmenName");
    }
    for (paradox::Table* quotes : {&Table1, &Table2, &Table4}) {
        quotes->setTableName(quoteTableName);
        quotes->setTableType(paradox::TableType::Paradox);
    }
    Table1.setMasterSource(&Table3, "Firma");
    Table2.setMasterSource(&Table5, "Firma");
    // Table4 runs by Firma, then ZEIT: the primary index serves that order, so the search for
    // (Firma, ZEIT) of the calculation uses both fields.
    linkTable4();

    Table1.setOnFilterRecord([this](paradox::Table& dataSet) { return Table1FilterRecord(dataSet); });
    Table4.setOnFilterRecord([this](paradox::Table& dataSet) { return Table1FilterRecord(dataSet); });
    Table2.setOnFilterRecord([this](paradox::Table& dataSet) { return Table2FilterRecord(dataSet); });

    Table1.addCalculatedField("Basis-Wert", FieldType::Number);
    Table1.addCalculatedField("Kurs-Diff", FieldType::Number);
    Table1.addCalculatedField("Basis-Diff", FieldType::Number);
    Table1.addCalculatedField("Delta", FieldType::Number);
    Table1.setOnCalcFields([this](paradox::Table& dataSet) { Table1CalcFields(dataSet); });
}

void QuoteTables::setDatabaseName(const std::filesystem::path& directory) {
    for (paradox::Table* table : {&Table1, &Table2, &Table3, &Table4, &Table5}) {
        table->close();
        table->setDatabaseName(directory);
    }
}

void QuoteTables::closeAll() {
    for (paradox::Table* table : {&Table1, &Table2, &Table3, &Table4, &Table5}) {
        table->close();
    }
}

void QuoteTables::unlinkTable4() {
    Table4.setMasterSource(nullptr, "");
    Table4.setIndexName("");
}

void QuoteTables::linkTable4() {
    Table4.setIndexName("");
    Table4.setMasterSource(&Table3, "Firma");
}

paradox::FieldRef QuoteTables::CachedField::in(paradox::Table& table) {
    if (m_index >= table.fieldCount() || table.fieldDef(m_index).name != m_name) {
        const std::optional<std::size_t> index = table.findField(m_name);
        if (!index) {
            // Lets the view report the missing field with its own message.
            return table.field(m_name);
        }
        m_index = *index;
    }
    return table.field(m_index);
}

void QuoteTables::Table1CalcFields(paradox::Table& dataSet) {
    if (!Table2.active()) {
        return;
    }
    const double quote = m_warrantRow.kurs.in(dataSet).asFloat();
    const DateTime quoteTime = m_warrantRow.zeit.in(dataSet).asDateTime();

    if (!Table4.active()) {
        Table4.open();
    }
    // An exact search that fails leaves Table4 where it stood; the step back starts from there.
    Table4.findKey({Value(m_warrantRow.firma.in(dataSet).asInteger()), Value(quoteTime)});
    Table4.prior();
    statistics.OSRefKurs = m_reference.kurs.in(Table4).asFloat();

    const Value underlying(m_underlying.firma.in(Table2).asInteger());
    Table2.findNearest({underlying, Value(m_reference.zeit.in(Table4).asDateTime())});
    statistics.BasisRefKurs = m_underlying.kurs.in(Table2).asFloat();

    Table2.findNearest({underlying, Value(quoteTime)});
    const double underlyingQuote = m_underlying.kurs.in(Table2).asFloat();
    const double underlyingDiff = underlyingQuote - statistics.BasisRefKurs;

    m_kursDiff.in(dataSet).setFloat(quote - statistics.OSRefKurs);
    m_basisWert.in(dataSet).setFloat(underlyingQuote);
    m_basisDiff.in(dataSet).setFloat(underlyingDiff);

    // Among equal highs the last row calculated wins, among equal lows the first stays.
    if (quote >= statistics.OSMax) {
        statistics.OSMax = quote;
        statistics.StatMaxZeit = quoteTime;
        statistics.BasisDiffAtOSMax = underlyingDiff;
        statistics.BasisAtOSMax = underlyingQuote;
    }
    if (quote < statistics.OSMin) {
        statistics.OSMin = quote;
        statistics.StatMinZeit = quoteTime;
        statistics.BasisDiffAtOSMin = underlyingDiff;
        statistics.BasisAtOSMin = underlyingQuote;
    }

    if (const std::optional<double> delta = decodeDelta(m_warrantRow.volumen.in(dataSet).asInteger())) {
        m_delta.in(dataSet).setFloat(*delta);
    }
}

bool QuoteTables::Table1FilterRecord(paradox::Table& dataSet) {
    return filter.passes(m_filtered.zeit.in(dataSet).asDateTime(), filter.OSFilterStart);
}

bool QuoteTables::Table2FilterRecord(paradox::Table& dataSet) {
    return filter.passes(m_filtered.zeit.in(dataSet).asDateTime(), filter.BasisFilterStart);
}

void QuoteTables::applyTimeFilter(bool on, DateTime from, DateTime to) {
    filter.timeFilterOn = on;
    filter.timeFilterFrom = from;
    filter.timeFilterTo = to;
    Table1.setFiltered(false);
    Table1.setFiltered(true);
    Table2.setFiltered(false);
    Table2.setFiltered(true);
}

} // namespace marlovex::tracker
