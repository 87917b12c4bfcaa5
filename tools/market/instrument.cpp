#include "market/instrument.h"

#include "market/market_error.h"
#include "market/market_tables.h"
#include "platform/paradox/table.h"

namespace marlovex::market {
namespace {

// The field's value, or nullopt when the table lacks the field or the row leaves it empty.
std::optional<paradox::FieldRef> presentField(paradox::Table& table, const std::string& name) {
    if (!table.findField(name)) {
        return std::nullopt;
    }
    auto field = table.field(name);
    if (field.isNull()) {
        return std::nullopt;
    }
    return field;
}

WarrantTerms readWarrantTerms(paradox::Table& table, const Instrument& instrument, std::int64_t underlying) {
    const auto fault = [&](const std::string& what) {
        return MarketError("Der Optionsschein " + std::to_string(instrument.number) + " (" + instrument.name +
                           ") in " + table.tablePath().string() + " " + what + ".");
    };
    WarrantTerms terms;
    terms.underlying = underlying;
    const auto type = presentField(table, "Typ");
    const std::string kind = type ? type->asString() : std::string();
    if (kind == "C" || kind == "c") {
        terms.kind = OptionKind::Call;
    } else if (kind == "P" || kind == "p") {
        terms.kind = OptionKind::Put;
    } else {
        throw fault("hat den Typ '" + kind + "' statt \"C\" oder \"P\"");
    }
    const auto strike = presentField(table, "Basispreis");
    terms.strike = strike ? strike->asFloat() : 0;
    if (!(terms.strike > 0)) {
        throw fault("hat keinen positiven Basispreis");
    }
    const auto ratio = presentField(table, "Bezug");
    terms.ratio = ratio ? ratio->asFloat() : 0;
    if (!(terms.ratio > 0)) {
        throw fault("hat keinen positiven Bezug (Bezugsverhältnis)");
    }
    const auto expiry = presentField(table, "Verfall");
    if (!expiry) {
        throw fault("hat kein Verfallsdatum (Verfall)");
    }
    terms.expiry = expiry->asDateTime();
    return terms;
}

} // namespace

std::optional<Instrument> findInstrument(const std::filesystem::path& directory, std::int64_t number) {
    paradox::Table table;
    table.setDatabaseName(directory);
    table.setTableName(instrumentTableLayout().fileName);
    table.setTableType(paradox::TableType::Paradox);
    // Ordered by number whatever the table's own key, so tables of other programs serve too.
    table.setIndexFieldNames("Firma");
    table.open();
    if (!table.findKey({paradox::Value(number)})) {
        return std::nullopt;
    }
    Instrument instrument;
    instrument.number = number;
    instrument.name = table.field("FirmenName").asString();
    if (const auto reference = presentField(table, "Referenz"); reference && reference->asFloat() > 0) {
        instrument.referencePrice = reference->asFloat();
    }
    if (const auto underlying = presentField(table, "Basis"); underlying && underlying->asInteger() != 0) {
        instrument.warrant = readWarrantTerms(table, instrument, underlying->asInteger());
    }
    return instrument;
}

} // namespace marlovex::market
