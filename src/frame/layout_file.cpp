#include "frame/layout_file.h"

#include "platform/paradox/field.h"

#include <charconv>
#include <stdexcept>

namespace marlovex::frame {
namespace {

constexpr std::size_t maximumLineLength = 255;
const std::string trackerKeyword = "OPTION";
const std::string chartKeyword = "DIAGRAMM";

class LineReader {
public:
    explicit LineReader(const std::string& bytes) {
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string::npos) {
                end = bytes.size();
            }
            std::string line = bytes.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.size() > maximumLineLength) {
                line.resize(maximumLineLength);
            }
            m_lines.push_back(paradox::windows1252ToUtf8(line));
            start = end + 1;
        }
    }

    bool atEnd() const { return m_next >= m_lines.size(); }

    std::string text() { return atEnd() ? std::string() : m_lines[m_next++]; }

    int number() { return toNumber(text()); }

    bool flag() { return text() == "True"; }

    static int toNumber(const std::string& line) {
        int value = 0;
        const char* first = line.data();
        const char* last = line.data() + line.size();
        if (first != last && *first == '+') {
            ++first;
        }
        const auto [end, error] = std::from_chars(first, last, value);
        return error == std::errc() && end == last ? value : 0;
    }

private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
};

WindowBounds readBounds(LineReader& lines) {
    WindowBounds bounds;
    bounds.width = lines.number();
    bounds.height = lines.number();
    bounds.left = lines.number();
    bounds.top = lines.number();
    return bounds;
}

TrackerRecord readTracker(LineReader& lines) {
    TrackerRecord record;
    record.warrant = lines.text();
    record.underlying = lines.text();
    record.bounds = readBounds(lines);
    record.warrantImportOff = lines.flag();
    record.underlyingImportOff = lines.flag();
    record.put = lines.flag();
    record.fees = lines.flag();
    for (std::string& edit : record.edits) {
        edit = lines.text();
    }
    return record;
}

// Reads the six setting lines of a chart record; returns the keyword that cut the record short,
// if one did.
std::optional<std::string> readChartSettings(LineReader& lines, ChartRecord& record) {
    for (int setting = 0; setting < 6; ++setting) {
        std::string line = lines.text();
        if (line == trackerKeyword || line == chartKeyword) {
            return line;
        }
        switch (setting) {
        case 0:
            record.interval = LineReader::toNumber(line);
            break;
        case 1:
            record.colour = line;
            break;
        case 2:
            record.exportFile = line;
            break;
        case 3:
            record.exportOn = line == "True";
            break;
        case 4:
            record.dde = line == "True";
            break;
        case 5:
            record.percent = line == "True";
            break;
        }
    }
    return std::nullopt;
}

std::string toFileText(const std::string& text) {
    try {
        return paradox::utf8ToWindows1252(text);
    } catch (const std::exception&) {
        // Character by character, so that only what the code page cannot hold is replaced.
        std::string converted;
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t length = 1;
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead >= 0xF0) {
                length = 4;
            } else if (lead >= 0xE0) {
                length = 3;
            } else if (lead >= 0xC0) {
                length = 2;
            }
            try {
                converted += paradox::utf8ToWindows1252(text.substr(i, length));
            } catch (const std::exception&) {
                converted += '?';
            }
            i += length;
        }
        return converted;
    }
}

class LineWriter {
public:
    void text(const std::string& line) { m_bytes += toFileText(line) + "\r\n"; }
    void number(int value) { text(std::to_string(value)); }
    void flag(bool value) { text(value ? "True" : "False"); }
    void bounds(const WindowBounds& bounds) {
        number(bounds.width);
        number(bounds.height);
        number(bounds.left);
        number(bounds.top);
    }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace

Layout parseLayout(const std::string& bytes) {
    LineReader lines(bytes);
    Layout layout;
    layout.header.count = lines.number();
    layout.header.maximized = lines.number() == 1;
    layout.header.width = lines.number();
    layout.header.height = lines.number();
    layout.header.top = lines.number();
    layout.header.left = lines.number();

    std::optional<std::string> pending;
    for (int record = 0; record < layout.header.count; ++record) {
        if (!pending && lines.atEnd()) {
            break;
        }
        const std::string first = pending ? *pending : lines.text();
        pending.reset();
        if (first == trackerKeyword) {
            layout.records.emplace_back(readTracker(lines));
        } else if (first == chartKeyword) {
            ChartRecord chart;
            chart.instrument = lines.text();
            chart.bounds = readBounds(lines);
            pending = readChartSettings(lines, chart);
            layout.records.emplace_back(std::move(chart));
        } else {
            ChartRecord chart;
            chart.oldStyle = true;
            chart.instrument = first;
            chart.bounds = readBounds(lines);
            layout.records.emplace_back(std::move(chart));
        }
    }
    return layout;
}

std::string writeLayout(const Layout& layout) {
    LineWriter out;
    out.number(static_cast<int>(layout.records.size()));
    out.text(layout.header.maximized ? "1" : "0");
    out.number(layout.header.width);
    out.number(layout.header.height);
    out.number(layout.header.top);
    out.number(layout.header.left);
    for (const LayoutRecord& record : layout.records) {
        if (const auto* tracker = std::get_if<TrackerRecord>(&record)) {
            out.text(trackerKeyword);
            out.text(tracker->warrant);
            out.text(tracker->underlying);
            out.bounds(tracker->bounds);
            out.flag(tracker->warrantImportOff);
            out.flag(tracker->underlyingImportOff);
            out.flag(tracker->put);
            out.flag(tracker->fees);
            for (const std::string& edit : tracker->edits) {
                out.text(edit);
            }
            continue;
        }
        const auto& chart = std::get<ChartRecord>(record);
        out.text(chartKeyword);
        out.text(chart.instrument);
        out.bounds(chart.bounds);
        out.number(chart.interval.value_or(0));
        out.text(chart.colour.value_or("clWhite"));
        const std::string exportFile = chart.exportFile.value_or("");
        out.text(exportFile.empty() ? "*.txt" : exportFile);
        out.flag(chart.exportOn.value_or(false));
        out.flag(chart.dde.value_or(false));
        out.flag(chart.percent.value_or(false));
    }
    return out.bytes();
}

} // namespace marlovex::frame
