// Replay of a recorded trading day. When the data directory holds the file "Kurse<number>.csv"
// (letter case aside) for an instrument, Lorquin stores that file's quotes one per run instead
// of simulating: each run the earliest line later than the instrument's last quote of today.
//
// The file has one quote per line, "hh:mm:ss;price[;volume]": a time of today, a price with
// "," or "." as decimal separator and no grouping, and an optional whole volume (for a warrant,
// the encoded delta). Blank lines and lines starting with '#' are skipped.
//
// Pure functions and file reads; thread-safe.
#pragma once

#include "lorquin/quote_store.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlovex::lorquin {

struct ReplayLine {
    int secondOfDay = 0;
    double price = 0;
    std::optional<std::int64_t> volume;
};

// "Kurse17.csv" for instrument 17.
std::string replayFileName(std::int64_t instrument);

// The instrument's replay file in `dataDirectory`, if there is one.
std::optional<std::filesystem::path> findReplayFile(const std::filesystem::path& dataDirectory,
                                                    std::int64_t instrument);

// Parses a whole replay file; `fileName` names it in errors. Throws ImportError naming the file
// and line for a line that is not "hh:mm:ss;price[;volume]" or whose price is not positive.
std::vector<ReplayLine> parseReplayText(std::string_view text, const std::string& fileName);
std::vector<ReplayLine> readReplayFile(const std::filesystem::path& file);

// The quote to store at this run: the line with the earliest time after the instrument's last
// quote of today (`last`, of any day, may be empty), dated today; nullopt at the end of the file.
std::optional<market::Quote> nextReplayQuote(const std::vector<ReplayLine>& lines, std::int64_t instrument,
                                             const std::optional<market::Quote>& last, DateTime now);

} // namespace marlovex::lorquin
