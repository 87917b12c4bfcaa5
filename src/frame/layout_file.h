// The layout file (".QVZ"): the frame's bounds and every child window with its instrument,
// bounds and settings, as lines of 8-bit text (Windows-1252, CR LF) that installations of the
// product family exchange.
//
// Header: count, maximized ("1"/"0"), width, height, top, left. Then one record per window:
//  - tracker, 20 lines: "OPTION", warrant, underlying, width, height, left, top, four flags
//    ("True"/"False": warrant import off, underlying import off, put, fees), Edit1 .. Edit9;
//  - chart, 12 lines: "DIAGRAMM", instrument, width, height, left, top, interval, colour,
//    export file ("*.txt" for none), export, DDE and percent flags; a record may end early when
//    the next line is a keyword;
//  - the older chart form, 5 lines: instrument, width, height, left, top.
//
// Pure functions on text; thread-safe.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace marlovex::frame {

struct LayoutHeader {
    int count = 0;
    bool maximized = false;
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
};

struct WindowBounds {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};

struct TrackerRecord {
    std::string warrant;
    std::string underlying;
    WindowBounds bounds;
    bool warrantImportOff = false;
    bool underlyingImportOff = false;
    bool put = false;
    bool fees = false;
    std::array<std::string, 9> edits;
};

// Settings a record leaves out keep the window's defaults.
struct ChartRecord {
    std::string instrument;
    WindowBounds bounds;
    std::optional<int> interval;
    // The colour as written; it is read when applied, where a bad one ends the reading.
    std::optional<std::string> colour;
    std::optional<std::string> exportFile;
    std::optional<bool> exportOn;
    std::optional<bool> dde;
    std::optional<bool> percent;
    // A record of the older five-line form.
    bool oldStyle = false;
};

using LayoutRecord = std::variant<TrackerRecord, ChartRecord>;

struct Layout {
    LayoutHeader header;
    std::vector<LayoutRecord> records;
};

// Reads a layout file's bytes. Never fails: lines that are no number read as 0, lines past the
// end read as empty, each line counts its first 255 characters only, and no record starts past
// the end of the file, whatever the header's count says.
Layout parseLayout(const std::string& bytes);

// The bytes of a layout file; names and texts are written in Windows-1252, characters without a
// code there as "?".
std::string writeLayout(const Layout& layout);

} // namespace marlovex::frame
