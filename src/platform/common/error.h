// The one error type that the platform layers throw. Every message names the table, file or
// value concerned, so that the central error display can show it to the user unchanged.
//
// Messages are German sentences ending with a full stop; file and table names stand without
// quotes, field and value names and the user's text in single quotes:
// "Die Tabelle /daten/Firma.db hat kein Feld 'Kurs'." Conversion errors keep the framework's
// own wording without a full stop ("'1,6x' ist kein gültiger Gleitkommawert"), as users of the
// product family know them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace marlovex {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message);
};

// `pattern` with its "{}" replaced by `name`. German word order puts the table or file name in
// the middle of a sentence ("Ein Feld der Tabelle {} kann nicht gelesen werden"), so callers
// that share a sentence's ending pass its beginning as a pattern.
std::string withName(std::string_view pattern, std::string_view name);

// A user's text or a stored value as a message quotes it: in single quotes, cut to a length a
// message box can show ("'AAAA…'"), since a setting or a typed field may hold megabytes. The cut
// never splits a UTF-8 character.
std::string quotedValue(std::string_view text);

} // namespace marlovex
