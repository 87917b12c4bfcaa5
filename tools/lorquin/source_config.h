// The real quote source a user configures in the data directory's Kursquellen.ini: where the
// quotes come from (an http://, https:// or file:// URL with {Symbol} and {Firma} in it), how
// the answer is read (CSV or JSON, its columns) and which symbol each instrument has there.
//
// The file is UTF-8 text in two sections, [Quelle] and [Symbole]; keys and section names in any
// letter case. A line whose first non-blank character is ';' or '#' is a comment, and so is the
// rest of a line from a ';' that follows a blank or tab: "Trennzeichen=;" therefore keeps its ';'
// as the value, while "Timeout=5 ; Sekunden" reads as 5.
//
// Pure functions and file reads; thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace marlovex::lorquin {

inline constexpr const char* sourceConfigFileName = "Kursquellen.ini";

enum class AnswerFormat { Csv, Json };

struct SourceConfig {
    // As written, with {Symbol} and {Firma} still in it.
    std::string url;
    AnswerFormat format = AnswerFormat::Csv;
    char separator = ';';
    char decimalSeparator = ',';
    // JSON: the pointer to the array of rows; without it the answer is one quote.
    std::optional<std::string> rowsPointer;
    // CSV: header names; JSON: pointers relative to a row. A missing time column times the
    // quote at the moment of the import; the date column dates a bare time of day.
    std::optional<std::string> timeColumn;
    std::optional<std::string> dateColumn;
    std::string priceColumn;
    std::optional<std::string> volumeColumn;
    std::chrono::seconds timeout{5};
    std::map<std::int64_t, std::string> symbols;
};

// The longest wait a user can configure; longer would pile up the tracker's imports.
inline constexpr std::chrono::seconds maximumTimeout{60};

// Kursquellen.ini in `dataDirectory`, letter case aside, if there is one.
std::optional<std::filesystem::path> findSourceConfig(const std::filesystem::path& dataDirectory);

// Reads the file's text; `fileName` names it in errors. Throws ImportError naming the file and
// the line for anything the file cannot mean: an unknown section or key, a key twice, a line
// without '=', a value out of its range, or a missing URL or price column.
SourceConfig parseSourceConfig(std::string_view text, const std::string& fileName);
SourceConfig readSourceConfig(const std::filesystem::path& file);

} // namespace marlovex::lorquin
