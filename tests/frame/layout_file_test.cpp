#include "frame/layout_file.h"

#include <gtest/gtest.h>

namespace marlovex::frame {
namespace {

std::string crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += std::string(line) + "\r\n";
    }
    return text;
}

TEST(LayoutFileTest, WritesTheHeaderTopBeforeLeftAndRecordsLeftBeforeTopAndReadsItBack) {
    Layout layout;
    layout.header = {0, true, 1000, 700, 20, 30};
    TrackerRecord tracker;
    tracker.warrant = "DAX Call 24000";
    tracker.underlying = "DAX";
    tracker.bounds = {560, 420, 5, 6};
    tracker.underlyingImportOff = true;
    tracker.put = true;
    tracker.edits = {"1,5", "24000", "1,45", "", "", "1,2", "1,9", "23900", "1000"};
    ChartRecord chart;
    chart.instrument = "Grüne Energie";
    chart.bounds = {400, 300, -10, 40};
    chart.interval = 30;
    chart.colour = "clWhite";
    chart.exportFile = "";
    chart.exportOn = false;
    chart.dde = false;
    chart.percent = true;
    layout.records = {tracker, chart};

    const std::string written = writeLayout(layout);
    EXPECT_EQ(written, crlf({"2",     "1",       "1000",     "700",
                             "20",    "30",      "OPTION",   "DAX Call 24000",
                             "DAX",   "560",     "420",      "5",
                             "6",     "False",   "True",     "True",
                             "False", "1,5",     "24000",    "1,45",
                             "",      "",        "1,2",      "1,9",
                             "23900", "1000",    "DIAGRAMM", "Gr\xFCne Energie",
                             "400",   "300",     "-10",      "40",
                             "30",    "clWhite", "*.txt",    "False",
                             "False", "True"}));
    const Layout read = parseLayout(written);
    EXPECT_EQ(writeLayout(read), written);
    EXPECT_EQ(std::get<ChartRecord>(read.records[1]).instrument, "Grüne Energie");
    EXPECT_FALSE(std::get<ChartRecord>(read.records[1]).oldStyle);

    // With every flag the other way round, each value still goes back to its own place.
    layout.header.maximized = false;
    tracker.underlyingImportOff = false;
    tracker.warrantImportOff = true;
    tracker.put = false;
    tracker.fees = true;
    chart.colour = "$00C0FFEE";
    chart.exportFile = "/tmp/dax.csv";
    chart.exportOn = true;
    chart.dde = true;
    chart.percent = false;
    layout.records = {tracker, chart};
    const std::string flipped = writeLayout(layout);
    EXPECT_EQ(writeLayout(parseLayout(flipped)), flipped);
}

TEST(LayoutFileTest, AChartRecordCutShortByAKeywordHandsTheLineOn) {
    const Layout layout = parseLayout(
        crlf({"3",     "0",        "900",    "600",  "0",   "0",  "DIAGRAMM", "DAX", "400",   "300", "0",
              "0",     "DIAGRAMM", "Bayer",  "400",  "300", "10", "10",       "60",  "clRed", "",    "True",
              "False", "False",    "OPTION", "Call", "DAX", "1",  "2",        "3",   "4"}));
    ASSERT_EQ(layout.records.size(), 3u);
    const auto& cut = std::get<ChartRecord>(layout.records[0]);
    EXPECT_EQ(cut.instrument, "DAX");
    EXPECT_FALSE(cut.interval.has_value());
    EXPECT_FALSE(cut.colour.has_value());
    const auto& full = std::get<ChartRecord>(layout.records[1]);
    EXPECT_EQ(full.instrument, "Bayer");
    EXPECT_EQ(full.interval, 60);
    EXPECT_EQ(full.exportFile, "");
    EXPECT_EQ(full.exportOn, true);
    // The tracker record after it is read even though the file ends inside it.
    const auto& tracker = std::get<TrackerRecord>(layout.records[2]);
    EXPECT_EQ(tracker.warrant, "Call");
    EXPECT_EQ(tracker.bounds.top, 4);
    EXPECT_EQ(tracker.edits[0], "");
}

TEST(LayoutFileTest, OlderChartRecordsHaveFiveLines) {
    const Layout layout =
        parseLayout(crlf({"3",     "0",   "900", "600", "0",  "0",       "DAX", "400", "300", "0", "0",
                          "Bayer", "400", "300", "10",  "10", "Allianz", "400", "300", "20",  "20"}));
    ASSERT_EQ(layout.records.size(), 3u);
    for (const LayoutRecord& record : layout.records) {
        EXPECT_TRUE(std::get<ChartRecord>(record).oldStyle);
    }
    EXPECT_EQ(std::get<ChartRecord>(layout.records[2]).instrument, "Allianz");
    EXPECT_EQ(std::get<ChartRecord>(layout.records[2]).bounds.top, 20);
}

TEST(LayoutFileTest, DamagedFilesNeverOpenWindowsFromNothing) {
    // A count far beyond the records: reading stops at the end of the file.
    EXPECT_EQ(parseLayout(crlf({"5000", "0", "1", "1", "0", "0", "DAX", "1", "1", "1", "1"})).records.size(),
              1u);
    EXPECT_TRUE(parseLayout("").records.empty());
    EXPECT_TRUE(parseLayout(crlf({"0", "0", "800", "600", "0", "0", "DAX"})).records.empty());
    // Numbers that are no numbers read as 0; long lines count their first 255 characters.
    const Layout odd = parseLayout(crlf({"1", "x", "8oo", "600", "", "0"}) + std::string(300, 'A') + "\r\n");
    EXPECT_EQ(odd.header.width, 0);
    EXPECT_EQ(odd.header.height, 600);
    ASSERT_EQ(odd.records.size(), 1u);
    EXPECT_EQ(std::get<ChartRecord>(odd.records[0]).instrument, std::string(255, 'A'));
    // Bare LF line ends read as well.
    EXPECT_EQ(parseLayout("1\n0\n1\n1\n0\n0\nDAX\n").records.size(), 1u);
}

} // namespace
} // namespace marlovex::frame
