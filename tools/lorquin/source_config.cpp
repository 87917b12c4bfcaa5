#include "lorquin/source_config.h"

#include "lorquin/import_error.h"
#include "lorquin/text_lines.h"
#include "platform/paths/file_names.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

namespace marlovex::lorquin {
namespace {

// A configuration file is a few lines; anything far larger is not one, and is not read whole.
constexpr std::size_t maximumFileSize = 1024 * 1024;

std::string lowerCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    });
    return result;
}

// The value after '=': up to a ';' that follows a blank or tab, trimmed. A ';' right after '='
// or inside a word is part of the value.
std::string_view valueWithoutComment(std::string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ';' && (text[i - 1] == ' ' || text[i - 1] == '\t')) {
            return trimmed(text.substr(0, i));
        }
    }
    return trimmed(text);
}

class ConfigReader {
public:
    ConfigReader(std::string_view text, std::string fileName)
        : m_text(text)
        , m_fileName(std::move(fileName)) {}

    SourceConfig read() {
        if (m_text.starts_with("\xEF\xBB\xBF")) {
            m_text.remove_prefix(3);
        }
        for (const std::string_view line : trimmedLines(m_text)) {
            ++m_lineNumber;
            readLine(line);
        }
        m_lineNumber = 0;
        checkComplete();
        return m_config;
    }

private:
    ImportError fault(const std::string& what) const {
        std::string where = "Fehler in der Kursquellen-Datei " + m_fileName;
        if (m_lineNumber > 0) {
            where += ", Zeile " + std::to_string(m_lineNumber);
        }
        return ImportError(where + ": " + what + ".");
    }

    void readLine(std::string_view line) {
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            return;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close == std::string_view::npos || !valueWithoutComment(line.substr(close + 1)).empty()) {
                throw fault("'" + std::string(line) + "' ist keine Abschnittsüberschrift [Name]");
            }
            m_section = lowerCase(trimmed(line.substr(1, close - 1)));
            if (m_section != "quelle" && m_section != "symbole") {
                throw fault("unbekannter Abschnitt [" + std::string(trimmed(line.substr(1, close - 1))) +
                            "], erlaubt sind [Quelle] und [Symbole]");
            }
            return;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            throw fault("erwartet wird Name=Wert");
        }
        const auto key = trimmed(line.substr(0, equals));
        const auto value = valueWithoutComment(line.substr(equals + 1));
        if (m_section.empty()) {
            throw fault("'" + std::string(key) + "' steht vor dem ersten Abschnitt [Quelle] oder [Symbole]");
        }
        if (!m_seen.insert(m_section + "/" + lowerCase(key)).second) {
            throw fault("'" + std::string(key) + "' steht mehrmals im Abschnitt");
        }
        if (m_section == "symbole") {
            readSymbol(key, value);
        } else {
            readSourceValue(lowerCase(key), key, value);
        }
    }

    void readSymbol(std::string_view key, std::string_view value) {
        std::int64_t number = 0;
        const auto result = std::from_chars(key.data(), key.data() + key.size(), number);
        if (key.empty() || result.ec != std::errc{} || result.ptr != key.data() + key.size() || number <= 0 ||
            number > 2147483647) {
            throw fault("'" + std::string(key) + "' ist keine Instrumentnummer");
        }
        if (value.empty()) {
            throw fault("das Instrument " + std::string(key) + " hat kein Symbol");
        }
        m_config.symbols[number] = std::string(value);
    }

    std::string pointer(std::string_view key, std::string_view value) const {
        try {
            const nlohmann::json::json_pointer checked{std::string(value)};
        } catch (const nlohmann::json::exception&) {
            throw fault(std::string(key) + "=" + std::string(value) +
                        " ist kein JSON-Zeiger (leer oder /Name/0/...)");
        }
        return std::string(value);
    }

    char singleCharacter(std::string_view key, std::string_view value) const {
        if (lowerCase(value) == "tab") {
            return '\t';
        }
        if (value.size() != 1 || static_cast<unsigned char>(value.front()) >= 0x80 || value.front() == '"') {
            throw fault(std::string(key) + " muss ein einzelnes Zeichen (oder Tab) sein, nicht '" +
                        std::string(value) + "'");
        }
        return value.front();
    }

    void readSourceValue(const std::string& name, std::string_view key, std::string_view value) {
        if (name == "url") {
            const auto lower = lowerCase(value);
            if (!lower.starts_with("http://") && !lower.starts_with("https://") &&
                !lower.starts_with("file://")) {
                throw fault("URL muss mit http://, https:// oder file:// beginnen");
            }
            m_config.url = std::string(value);
        } else if (name == "format") {
            const auto format = lowerCase(value);
            if (format != "csv" && format != "json") {
                throw fault("Format muss csv oder json sein, nicht '" + std::string(value) + "'");
            }
            m_config.format = format == "csv" ? AnswerFormat::Csv : AnswerFormat::Json;
        } else if (name == "trennzeichen") {
            m_config.separator = singleCharacter(key, value);
            m_csvOnly = std::string(key);
        } else if (name == "dezimalzeichen") {
            if (value != "," && value != ".") {
                throw fault("Dezimalzeichen muss , oder . sein, nicht '" + std::string(value) + "'");
            }
            m_config.decimalSeparator = value.front();
            m_csvOnly = std::string(key);
        } else if (name == "zeilen") {
            m_config.rowsPointer = pointer(key, value);
        } else if (name == "spalte.zeit") {
            m_config.timeColumn = column(key, value);
        } else if (name == "spalte.datum") {
            m_config.dateColumn = column(key, value);
        } else if (name == "spalte.kurs") {
            m_config.priceColumn = column(key, value);
        } else if (name == "spalte.volumen") {
            m_config.volumeColumn = column(key, value);
        } else if (name == "timeout") {
            int seconds = 0;
            const auto result = std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (value.empty() || result.ec != std::errc{} || result.ptr != value.data() + value.size() ||
                seconds < 1 || seconds > maximumTimeout.count()) {
                throw fault("Timeout muss eine ganze Zahl von Sekunden zwischen 1 und " +
                            std::to_string(maximumTimeout.count()) + " sein, nicht '" + std::string(value) +
                            "'");
            }
            m_config.timeout = std::chrono::seconds(seconds);
        } else {
            throw fault("unbekannter Eintrag '" + std::string(key) + "' im Abschnitt [Quelle]");
        }
    }

    // Columns are checked once the format is known, since a pointer and a header name differ.
    std::string column(std::string_view key, std::string_view value) {
        if (value.empty()) {
            throw fault(std::string(key) + " ist leer");
        }
        m_columns.push_back({std::string(key), std::string(value), m_lineNumber});
        return std::string(value);
    }

    void checkComplete() {
        if (m_config.url.empty()) {
            throw fault("im Abschnitt [Quelle] fehlt URL=");
        }
        if (m_config.priceColumn.empty()) {
            throw fault("im Abschnitt [Quelle] fehlt Spalte.Kurs=");
        }
        if (m_config.dateColumn && !m_config.timeColumn) {
            throw fault("Spalte.Datum braucht Spalte.Zeit");
        }
        if (m_config.format == AnswerFormat::Json) {
            if (!m_csvOnly.empty()) {
                throw fault(m_csvOnly + " gilt nur für Format=csv");
            }
            for (const auto& column : m_columns) {
                m_lineNumber = column.line;
                pointer(column.key, column.value);
            }
            m_lineNumber = 0;
        } else {
            if (m_config.rowsPointer) {
                throw fault("Zeilen gilt nur für Format=json");
            }
            if (m_config.separator == m_config.decimalSeparator) {
                throw fault("Trennzeichen und Dezimalzeichen müssen verschieden sein");
            }
        }
    }

    std::string_view m_text;
    std::string m_fileName;
    int m_lineNumber = 0;
    std::string m_section;
    std::set<std::string> m_seen;
    std::string m_csvOnly;
    struct ColumnLine {
        std::string key;
        std::string value;
        int line = 0;
    };
    std::vector<ColumnLine> m_columns;
    SourceConfig m_config;
};

} // namespace

std::optional<std::filesystem::path> findSourceConfig(const std::filesystem::path& dataDirectory) {
    const auto file = paths::resolveCaseInsensitive(dataDirectory / sourceConfigFileName);
    if (!paths::fileExistsCaseInsensitive(file)) {
        return std::nullopt;
    }
    return file;
}

SourceConfig parseSourceConfig(std::string_view text, const std::string& fileName) {
    return ConfigReader(text, fileName).read();
}

SourceConfig readSourceConfig(const std::filesystem::path& file) {
    // Read piecewise: a buffer of the largest allowed size would cost every run its page faults,
    // for a file of a few lines.
    std::ifstream stream(file, std::ios::binary);
    std::string contents;
    std::array<char, 16 * 1024> piece{};
    while (stream) {
        stream.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        contents.append(piece.data(), static_cast<std::size_t>(stream.gcount()));
        if (contents.size() > maximumFileSize) {
            throw ImportError("Die Kursquellen-Datei " + file.string() + " ist größer als 1 MB.");
        }
    }
    if (!stream.eof()) {
        throw ImportError("Die Kursquellen-Datei " + file.string() + " kann nicht gelesen werden.");
    }
    return parseSourceConfig(contents, file.string());
}

} // namespace marlovex::lorquin
