// The quote table that the writers and readers of the sharing tests share: quote number n carries
// values derived from n, so that a torn record is detectable.
#pragma once

#include "platform/paradox/table.h"

#include <cmath>
#include <filesystem>

namespace marlovex::paradox::testing {

constexpr double kFirstDay = 46362.0;
constexpr int kFirms = 7;

inline void createQuoteTable(const std::filesystem::path& path) {
    Table::createTable(path,
                       {FieldDef::of("Firma", FieldType::Long), FieldDef::of("ZEIT", FieldType::Timestamp),
                        FieldDef::of("Kurs", FieldType::Money), FieldDef::of("Volumen", FieldType::Long)},
                       {{"INTRADAY", "FIRMA;ZEIT", true}});
}

inline void appendQuote(Table& table, int n) {
    table.append();
    table.field("Firma").setInteger(n % kFirms);
    table.field("ZEIT").setDateTime(kFirstDay + n / 86400.0);
    table.field("Kurs").setFloat(n * 0.25);
    table.field("Volumen").setInteger(n);
    table.post();
}

inline int quoteNumber(Table& table) {
    return static_cast<int>(table.field("Volumen").asInteger());
}

// Whether the view's current row carries the values appendQuote derived from its number.
inline bool quoteIsWhole(Table& table) {
    const int n = quoteNumber(table);
    return table.field("Firma").asInteger() == n % kFirms && table.field("Kurs").asFloat() == n * 0.25 &&
           std::abs(table.field("ZEIT").asDateTime() - (kFirstDay + n / 86400.0)) < 1e-8;
}

} // namespace marlovex::paradox::testing
