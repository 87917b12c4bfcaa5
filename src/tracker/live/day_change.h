// The start of a new trading day for the quote table: when Intraday.db still begins with quotes
// of an earlier day, the user may archive it under that day's date and start with an empty
// table.
//
// Not thread-safe: runs on the tracker window's thread.
#pragma once

#include "platform/formats/date_time.h"
#include "tracker/live/quote_tables.h"

#include <filesystem>
#include <functional>
#include <string>

namespace marlovex::tracker {

struct DayChangeSettings {
    // The data directory, ending in a separator.
    std::string DatenPath;
    // The archive name's prefix: a directory and the start of the file name.
    std::string IntraPath;
    formats::DateTime today = 0;
};

// "Intraday" + dd.mm.yyyy + ".DB" under the prefix: "/data/Intraday04.12.2026.DB".
std::string archiveName(const std::string& intraPath, formats::DateTime firstQuote);

// Looks at the first quote through the unlinked Table4; when it is of an earlier day, asks
// `archiveWanted` and on Yes renames the table to its archive name and leaves an empty one. An
// error while opening the quote table reaches the caller. An archive that cannot be made keeps
// the old table untouched and is reported through `archiveFailed` (archive name, reason):
// nothing is deleted without a successful archive. Later errors are ignored.
void checkDayChange(QuoteTables& tables, const DayChangeSettings& settings,
                    const std::function<bool()>& archiveWanted,
                    const std::function<void(const std::string&, const std::string&)>& archiveFailed);

} // namespace marlovex::tracker
