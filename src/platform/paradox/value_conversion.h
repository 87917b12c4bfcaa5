// Conversions between the values a view's user passes (date-times as days since 1899-12-30) and
// the stored values of each field type, field name lists, and the text notation of pxtool
// ("2026-12-06 09:30:00.250", "true", shortest round-trip numbers with '.').
//
// Pure functions; thread-safe.
#pragma once

#include "platform/paradox/field.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace marlovex::paradox {

// "FIRMA;ZEIT" -> {"FIRMA", "ZEIT"}; blanks around names are dropped.
std::vector<std::string> splitFieldNames(std::string_view names);
bool equalNames(std::string_view a, std::string_view b);
// `path` with ".DB" appended unless it already ends in ".db" in any letter case.
std::filesystem::path withTableExtension(std::filesystem::path path);

Value toStoredValue(const FieldDef& field, const Value& userValue);
Value toUserValue(const FieldDef& field, const Value& storedValue);

// Orders two stored fields as the table's key order does; alpha fields optionally ignore case.
int compareStoredField(const FieldDef& field, const std::uint8_t* a, const std::uint8_t* b, bool ignoreCase);

std::string formatText(const FieldDef& field, const Value& storedValue);
// Throws TableError naming the field and the text when the text does not fit the type.
Value parseText(const FieldDef& field, std::string_view text);

} // namespace marlovex::paradox
