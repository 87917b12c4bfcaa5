#include "lorquin/answer_parser.h"

#include "lorquin/import_error.h"
#include "lorquin/text_lines.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

namespace marlovex::lorquin {
namespace {

using nlohmann::json;

// Deeper nesting than any quote answer has; refused before parsing so that a hostile answer of
// millions of brackets costs no recursion.
constexpr int maximumJsonDepth = 64;
constexpr std::size_t shownLength = 40;

// A value of the answer as a message shows it: on one line, and short.
std::string shown(std::string_view text) {
    std::string result;
    for (const char c : text.substr(0, shownLength)) {
        result += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    }
    if (text.size() > shownLength) {
        result += "...";
    }
    return "'" + result + "'";
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A decimal number with `decimal` as its only separator; the other of ',' and '.' is refused as
// grouping rather than guessed.
std::optional<double> decimalNumber(std::string_view text, char decimal) {
    std::string normalized(trimmed(text));
    const char other = decimal == ',' ? '.' : ',';
    if (normalized.empty() || normalized.find(other) != std::string::npos ||
        normalized.find_first_not_of("0123456789+-eE,.") != std::string::npos) {
        return std::nullopt;
    }
    if (const auto at = normalized.find(decimal); at != std::string::npos) {
        normalized[at] = '.';
    }
    if (normalized.front() == '+') {
        normalized.erase(0, 1);
    }
    double value = 0;
    const auto result = std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
    if (result.ec != std::errc{} || result.ptr != normalized.data() + normalized.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    text = trimmed(text);
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Reads the values of one row into a SourceRow; `where` starts each message ("Zeile 3").
class RowReader {
public:
    RowReader(const SourceConfig& config, DateTime now)
        : m_config(config)
        , m_now(now) {}

    double price(std::optional<double> value, std::string_view text, const std::string& where) const {
        if (!value) {
            throw ImportError(where + ": " + shown(text) + " in der Spalte " + shown(m_config.priceColumn) +
                              " ist kein Kurs");
        }
        if (!(*value > 0)) {
            throw ImportError(where + ": der Kurs " + shown(text) + " ist nicht größer als 0");
        }
        return *value;
    }

    std::optional<std::int64_t> volume(std::optional<std::int64_t> value, std::string_view text,
                                       const std::string& where) const {
        if (!value) {
            throw ImportError(where + ": " + shown(text) + " in der Spalte " +
                              shown(m_config.volumeColumn.value_or("")) + " ist kein ganzzahliges Volumen");
        }
        return value;
    }

    DateTime time(std::string_view text, std::optional<std::string_view> date,
                  const std::string& where) const {
        DateTime day = formats::datePart(m_now);
        if (date) {
            const auto parsed = parseQuoteDate(trimmed(*date));
            if (!parsed) {
                throw ImportError(where + ": " + shown(*date) +
                                  " ist kein Datum (jjjj-mm-tt oder tt.mm.jjjj)");
            }
            day = *parsed;
        }
        const auto parsed = parseQuoteTime(trimmed(text), day);
        if (!parsed) {
            throw ImportError(where + ": " + shown(text) +
                              " ist keine Zeit (hh:mm:ss, jjjj-mm-tt hh:mm:ss, " +
                              "jjjj-mm-ttThh:mm:ss[Zone] oder Unix-Sekunden)");
        }
        return *parsed;
    }

    DateTime now() const { return m_now; }

private:
    const SourceConfig& m_config;
    DateTime m_now;
};

// One CSV line split at `separator`; nullopt for a quote left open.
std::optional<std::vector<std::string>> csvFields(std::string_view line, char separator) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    for (auto& field : fields) {
        field = std::string(trimmed(field));
    }
    return fields;
}

std::vector<SourceRow> parseCsv(std::string_view answer, const SourceConfig& config,
                                const RowReader& reader) {
    if (answer.starts_with("\xEF\xBB\xBF")) {
        answer.remove_prefix(3);
    }
    std::vector<SourceRow> rows;
    std::optional<std::vector<std::string>> header;
    std::optional<std::size_t> timeIndex;
    std::optional<std::size_t> dateIndex;
    std::size_t priceIndex = 0;
    std::optional<std::size_t> volumeIndex;
    int lineNumber = 0;
    for (const std::string_view line : trimmedLines(answer)) {
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        const std::string where = "Zeile " + std::to_string(lineNumber) + " der Antwort";
        auto fields = csvFields(line, config.separator);
        if (!fields) {
            throw ImportError(where + ": ein Anführungszeichen ist nicht geschlossen");
        }
        if (!header) {
            header = std::move(*fields);
            const auto find = [&](const std::string& name) -> std::size_t {
                for (std::size_t i = 0; i < header->size(); ++i) {
                    if (equalIgnoringCase((*header)[i], name)) {
                        return i;
                    }
                }
                throw ImportError("die Kopfzeile " + shown(line) + " der Antwort hat keine Spalte " +
                                  shown(name));
            };
            priceIndex = find(config.priceColumn);
            if (config.timeColumn) {
                timeIndex = find(*config.timeColumn);
            }
            if (config.dateColumn) {
                dateIndex = find(*config.dateColumn);
            }
            if (config.volumeColumn) {
                volumeIndex = find(*config.volumeColumn);
            }
            continue;
        }
        const auto field = [&](std::size_t index) -> const std::string& {
            if (index >= fields->size()) {
                throw ImportError(where + " hat nur " + std::to_string(fields->size()) +
                                  " Felder, erwartet " + std::to_string(header->size()));
            }
            return (*fields)[index];
        };
        SourceRow row;
        const auto& priceText = field(priceIndex);
        row.price = reader.price(decimalNumber(priceText, config.decimalSeparator), priceText, where);
        row.time = timeIndex ? reader.time(field(*timeIndex),
                                           dateIndex ? std::optional<std::string_view>(field(*dateIndex))
                                                     : std::nullopt,
                                           where)
                             : reader.now();
        if (volumeIndex && !field(*volumeIndex).empty()) {
            row.volume = reader.volume(wholeNumber(field(*volumeIndex)), field(*volumeIndex), where);
        }
        rows.push_back(row);
    }
    if (!header) {
        throw ImportError("die Antwort ist leer, erwartet wird CSV mit Kopfzeile");
    }
    return rows;
}

void checkJsonDepth(std::string_view answer) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const char c = answer[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maximumJsonDepth) {
                throw ImportError("die Antwort ist tiefer als " + std::to_string(maximumJsonDepth) +
                                  " Ebenen verschachtelt und kein Kurs-JSON");
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
}

const json& member(const json& row, const std::string& pointer, const std::string& where) {
    try {
        return row.at(json::json_pointer(pointer));
    } catch (const json::exception&) {
        throw ImportError(where + ": das Feld " + shown(pointer) + " fehlt");
    }
}

std::string jsonText(const json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::optional<double> jsonNumber(const json& value) {
    if (value.is_number()) {
        const auto number = value.get<double>();
        return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
    }
    if (value.is_string()) {
        const auto text = value.get<std::string>();
        return decimalNumber(text, text.find(',') != std::string::npos ? ',' : '.');
    }
    return std::nullopt;
}

std::optional<std::int64_t> jsonWholeNumber(const json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        return number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::optional<std::int64_t>(static_cast<std::int64_t>(number))
                   : std::nullopt;
    }
    if (value.is_number_float()) {
        const auto number = value.get<double>();
        // 2^63 as a double: every whole double below it fits.
        if (std::isfinite(number) && number == std::floor(number) &&
            std::fabs(number) < 9.2233720368547758e18) {
            return static_cast<std::int64_t>(number);
        }
        return std::nullopt;
    }
    if (value.is_string()) {
        return wholeNumber(value.get<std::string>());
    }
    return std::nullopt;
}

SourceRow jsonRow(const json& row, const SourceConfig& config, const RowReader& reader,
                  const std::string& where) {
    SourceRow result;
    const auto& price = member(row, config.priceColumn, where);
    result.price = reader.price(jsonNumber(price), jsonText(price), where);
    result.time = reader.now();
    if (config.timeColumn) {
        const auto& time = member(row, *config.timeColumn, where);
        if (time.is_number()) {
            const auto local = localTimeOfUnixSeconds(time.get<double>());
            if (!local) {
                throw ImportError(where + ": " + shown(time.dump()) + " ist keine Zeit in Unix-Sekunden");
            }
            result.time = *local;
        } else {
            std::optional<std::string> date;
            if (config.dateColumn) {
                date = jsonText(member(row, *config.dateColumn, where));
            }
            result.time = reader.time(jsonText(time), date, where);
        }
    }
    if (config.volumeColumn) {
        const auto& volume = member(row, *config.volumeColumn, where);
        if (!volume.is_null() && !(volume.is_string() && trimmed(volume.get<std::string>()).empty())) {
            result.volume = reader.volume(jsonWholeNumber(volume), jsonText(volume), where);
        }
    }
    return result;
}

std::vector<SourceRow> parseJson(std::string_view answer, const SourceConfig& config,
                                 const RowReader& reader) {
    checkJsonDepth(answer);
    json document;
    try {
        document = json::parse(answer);
    } catch (const json::parse_error& error) {
        throw ImportError("die Antwort ist kein gültiges JSON (Fehler bei Zeichen " +
                          std::to_string(error.byte) + ")");
    } catch (const json::exception&) {
        // Valid syntax the parser cannot hold, such as a number beyond any double.
        throw ImportError("die Antwort enthält JSON, das nicht gelesen werden kann");
    }
    if (!config.rowsPointer) {
        return {jsonRow(document, config, reader, "die Antwort")};
    }
    const auto& rows = member(document, *config.rowsPointer, "die Antwort");
    if (!rows.is_array()) {
        throw ImportError("die Antwort hat unter " + shown(*config.rowsPointer) + " keine Liste von Kursen");
    }
    std::vector<SourceRow> result;
    result.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        result.push_back(jsonRow(rows[i], config, reader, "Zeile " + std::to_string(i + 1) + " der Antwort"));
    }
    return result;
}

} // namespace

std::vector<SourceRow> parseAnswer(std::string_view answer, const SourceConfig& config, DateTime now) {
    const RowReader reader(config, now);
    std::vector<SourceRow> rows = config.format == AnswerFormat::Csv ? parseCsv(answer, config, reader)
                                                                     : parseJson(answer, config, reader);
    // Without times every row would be timed now and the first one stored; a series lists its
    // rows oldest first, so its last row is the current price.
    if (!config.timeColumn && rows.size() > 1) {
        rows.erase(rows.begin(), rows.end() - 1);
    }
    return rows;
}

} // namespace marlovex::lorquin
