// Line-oriented text as the import program reads it: its source configuration, replay files and
// CSV answers.
//
// Pure functions; thread-safe.
#pragma once

#include <string_view>
#include <vector>

namespace marlovex::lorquin {

// `text` without blanks, tabs and carriage returns at either end.
std::string_view trimmed(std::string_view text);

// The lines of `text` in order, each trimmed; a last line without a line break counts, a final
// line break starts no further line.
std::vector<std::string_view> trimmedLines(std::string_view text);

} // namespace marlovex::lorquin
