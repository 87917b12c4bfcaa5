#include "platform/registry/reg_file.h"

#include "platform/registry/registry_error.h"

#include <algorithm>
#include <charconv>

namespace marlovex::registry {

namespace {

constexpr std::string_view headerLine = "REGEDIT4";
constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view lineEnd = "\r\n";
// Registry editors keep hex lines, trailing backslash included, within 80 columns.
constexpr std::size_t maxLineColumns = 80;
constexpr std::string_view continuationIndent = "  ";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trim(std::string_view text) {
    return trimLeft(trimRight(text));
}

bool isComment(std::string_view trimmedLine) {
    return !trimmedLine.empty() && trimmedLine.front() == ';';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameName(text.substr(0, prefix.size()), prefix);
}

// Accepts 1 to `maxDigits` hex digits and nothing else.
bool parseHexNumber(std::string_view digits, std::size_t maxDigits, std::uint32_t& result) {
    if (digits.empty() || digits.size() > maxDigits)
        return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result, 16);
    return error == std::errc() && end == digits.data() + digits.size();
}

// Lines without their LF or CR LF ends.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (newline == std::string_view::npos)
            break;
        text.remove_prefix(newline + 1);
    }
    return lines;
}

class Parser {
public:
    Parser(std::string_view text, const std::filesystem::path& file)
        : m_file(file) {
        if (text.starts_with(utf8ByteOrderMark))
            text.remove_prefix(utf8ByteOrderMark.size());
        m_lines = splitLines(text);
    }

    RegDocument parse() {
        if (m_lines.empty() || trimRight(m_lines.front()) != headerLine)
            fail(1, "die Kopfzeile \"REGEDIT4\" fehlt");
        RegDocument document;
        RegSection* section = nullptr;
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            const std::string_view line = trim(m_lines[m_index]);
            if (line.empty() || isComment(line))
                continue;
            if (line.front() == '[') {
                section = &document.sectionFor(parseSectionHeader(line));
            } else if (line.front() == '"' || line.front() == '@') {
                if (section == nullptr)
                    fail(lineNumber(), "Wert vor der ersten Schlüsselzeile");
                RegValue value = parseValue(line);
                section->setValue(value.name, std::move(value.data));
            } else {
                fail(lineNumber(), "unverständliche Zeile");
            }
        }
        return document;
    }

private:
    [[noreturn]] void fail(std::size_t line, const std::string& reason) const {
        throw RegistryError("Fehler in der Registrierungsdatei " + m_file.string() + ", Zeile " +
                            std::to_string(line) + ": " + reason + ".");
    }

    std::size_t lineNumber() const { return m_index + 1; }

    std::string parseSectionHeader(std::string_view line) const {
        if (line.size() < 2 || line.back() != ']')
            fail(lineNumber(), "Schlüsselzeile ohne schließende Klammer ']'");
        const std::string_view keyPath = line.substr(1, line.size() - 2);
        if (trim(keyPath).empty())
            fail(lineNumber(), "leerer Schlüsselname");
        return std::string(keyPath);
    }

    // Reads a quoted string starting at text[pos] == '"'; leaves pos after the closing quote.
    std::string parseQuoted(std::string_view text, std::size_t& pos) const {
        std::string result;
        for (++pos; pos < text.size(); ++pos) {
            const char c = text[pos];
            if (c == '"') {
                ++pos;
                return result;
            }
            if (c == '\\') {
                if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"'))
                    fail(lineNumber(), "ungültige Escape-Sequenz in einer Zeichenkette");
                ++pos;
            }
            result += text[pos];
        }
        fail(lineNumber(), "schließendes Anführungszeichen fehlt");
    }

    RegValue parseValue(std::string_view line) {
        RegValue value;
        std::size_t pos = 0;
        if (line.front() == '@')
            pos = 1;
        else
            value.name = parseQuoted(line, pos);
        std::string_view rest = trimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=')
            fail(lineNumber(), "'=' fehlt nach dem Wertnamen");
        rest = trimLeft(rest.substr(1));

        if (!rest.empty() && rest.front() == '"') {
            std::size_t end = 0;
            value.data = parseQuoted(rest, end);
            if (!trim(rest.substr(end)).empty())
                fail(lineNumber(), "unerwarteter Text nach der Zeichenkette");
        } else if (startsWithIgnoringCase(rest, "dword:")) {
            std::uint32_t number = 0;
            if (!parseHexNumber(trim(rest.substr(6)), 8, number))
                fail(lineNumber(), "ungültiger DWORD-Wert");
            value.data = number;
        } else if (startsWithIgnoringCase(rest, "hex:")) {
            value.data = parseHexData(rest.substr(4));
        } else if (startsWithIgnoringCase(rest, "hex(")) {
            const std::size_t close = rest.find(')');
            std::uint32_t type = 0;
            if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':' ||
                !parseHexNumber(rest.substr(4, close - 4), 8, type))
                fail(lineNumber(), "ungültige Typangabe hex(...)");
            value.data = TypedHexData{type, parseHexData(rest.substr(close + 2))};
        } else {
            fail(lineNumber(), "unbekannter Datentyp");
        }
        return value;
    }

    // Comma-separated bytes; a trailing backslash continues the list on the next line.
    BinaryData parseHexData(std::string_view firstPiece) {
        BinaryData bytes;
        std::string_view piece = trimRight(firstPiece);
        for (bool firstLine = true;; firstLine = false) {
            const bool continues = !piece.empty() && piece.back() == '\\';
            if (continues)
                piece.remove_suffix(1);
            parseHexPiece(piece, continues, firstLine, bytes);
            if (!continues)
                return bytes;
            piece = nextContinuationLine();
        }
    }

    void parseHexPiece(std::string_view piece, bool continues, bool firstLine, BinaryData& bytes) const {
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = piece.find(',', start);
            const bool lastItem = comma == std::string_view::npos;
            const std::string_view item = trim(piece.substr(start, lastItem ? piece.npos : comma - start));
            if (item.empty()) {
                // Allowed: the comma before a line break, a line holding only the break, "hex:".
                const bool emptyList = firstLine && start == 0 && bytes.empty();
                if (!lastItem || !(continues || emptyList))
                    fail(lineNumber(), "ungültige Hex-Daten");
            } else {
                std::uint32_t byte = 0;
                if (!parseHexNumber(item, 2, byte))
                    fail(lineNumber(), "ungültige Hex-Daten");
                bytes.push_back(static_cast<std::uint8_t>(byte));
            }
            if (lastItem)
                return;
            start = comma + 1;
        }
    }

    std::string_view nextContinuationLine() {
        const std::size_t brokenLine = lineNumber();
        do {
            ++m_index;
            if (m_index >= m_lines.size())
                fail(brokenLine, "die Fortsetzungszeile fehlt am Dateiende");
        } while (isComment(trim(m_lines[m_index])));
        return trim(m_lines[m_index]);
    }

    const std::filesystem::path& m_file;
    std::vector<std::string_view> m_lines;
    std::size_t m_index = 0;
};

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void appendHexData(std::string& out, std::size_t column, const BinaryData& bytes) {
    constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += ',';
            ++column;
            // Break when the next "xx," and the backslash would pass the right margin.
            if (column + 4 > maxLineColumns) {
                out += '\\';
                out += lineEnd;
                out += continuationIndent;
                column = continuationIndent.size();
            }
        }
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0f];
        column += 2;
    }
}

void appendValue(std::string& out, const RegValue& value) {
    const std::size_t lineStart = out.size();
    if (value.name.empty())
        out += '@';
    else
        appendQuoted(out, value.name);
    out += '=';
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        appendQuoted(out, *text);
    } else if (const auto* number = std::get_if<std::uint32_t>(&value.data)) {
        char digits[9];
        const auto end = std::to_chars(digits, digits + 8, *number, 16).ptr;
        out += "dword:";
        out.append(8 - static_cast<std::size_t>(end - digits), '0');
        out.append(digits, end);
    } else if (const auto* binary = std::get_if<BinaryData>(&value.data)) {
        out += "hex:";
        appendHexData(out, out.size() - lineStart, *binary);
    } else {
        const auto& typed = std::get<TypedHexData>(value.data);
        char digits[8];
        const auto end = std::to_chars(digits, digits + 8, typed.type, 16).ptr;
        out += "hex(";
        out.append(digits, end);
        out += "):";
        appendHexData(out, out.size() - lineStart, typed.bytes);
    }
    out += lineEnd;
}

// The first element whose name (the member `nameOf`) matches `name`, or null.
template <typename Elements, typename Element>
auto findByName(Elements& elements, std::string_view name, std::string Element::*nameOf)
    -> decltype(&elements[0]) {
    const auto found = std::find_if(elements.begin(), elements.end(),
                                    [&](const Element& element) { return sameName(element.*nameOf, name); });
    return found == elements.end() ? nullptr : &*found;
}

} // namespace

std::string foldNameCase(std::string_view name) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (byte >= 'A' && byte <= 'Z') {
            folded[i] = static_cast<char>(byte + ('a' - 'A'));
        } else if (byte == 0xC3 && i + 1 < folded.size()) {
            // UTF-8 of U+00C0..U+00DE (capital Latin-1 letters) except U+00D7, the multiplication
            // sign; the small letter lies 0x20 above.
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && foldNameCase(a) == foldNameCase(b);
}

RegValue* RegSection::findValue(std::string_view name) {
    return findByName(values, name, &RegValue::name);
}

const RegValue* RegSection::findValue(std::string_view name) const {
    return findByName(values, name, &RegValue::name);
}

bool RegSection::setValue(std::string_view name, ValueData data) {
    if (RegValue* existing = findValue(name)) {
        if (existing->data == data)
            return false;
        existing->data = std::move(data);
        return true;
    }
    values.push_back(RegValue{std::string(name), std::move(data)});
    return true;
}

bool RegSection::eraseValue(std::string_view name) {
    return std::erase_if(values, [&](const RegValue& v) { return sameName(v.name, name); }) > 0;
}

RegSection* RegDocument::findSection(std::string_view keyPath) {
    return findByName(sections, keyPath, &RegSection::keyPath);
}

const RegSection* RegDocument::findSection(std::string_view keyPath) const {
    return findByName(sections, keyPath, &RegSection::keyPath);
}

RegSection& RegDocument::sectionFor(std::string_view keyPath) {
    if (RegSection* existing = findSection(keyPath))
        return *existing;
    return sections.emplace_back(RegSection{std::string(keyPath), {}});
}

bool RegDocument::containsKey(std::string_view keyPath) const {
    const std::string folded = foldNameCase(keyPath);
    const std::string foldedPrefix = folded + '\\';
    return std::any_of(sections.begin(), sections.end(), [&](const RegSection& s) {
        const std::string name = foldNameCase(s.keyPath);
        return name == folded || name.starts_with(foldedPrefix);
    });
}

RegDocument parseRegFile(std::string_view text, const std::filesystem::path& file) {
    return Parser(text, file).parse();
}

std::string serializeRegFile(const RegDocument& document) {
    std::string out;
    out += headerLine;
    out += lineEnd;
    out += lineEnd;
    for (const RegSection& section : document.sections) {
        out += '[';
        out += section.keyPath;
        out += ']';
        out += lineEnd;
        for (const RegValue& value : section.values)
            appendValue(out, value);
        out += lineEnd;
    }
    return out;
}

} // namespace marlovex::registry
