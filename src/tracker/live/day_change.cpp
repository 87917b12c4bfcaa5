#include "tracker/live/day_change.h"

#include "platform/paths/file_names.h"

#include <exception>

namespace marlovex::tracker {
namespace {

void emptyOrRecreate(QuoteTables& tables, const DayChangeSettings& settings) {
    if (paths::fileExistsCaseInsensitive(settings.DatenPath + "Intraday.db")) {
        paradox::Table& table = tables.Table4;
        table.open();
        table.first();
        while (!table.eof()) {
            table.deleteRecord();
        }
        return;
    }
    Tageskurs(settings.DatenPath, "Intraday.db");
}

} // namespace

std::string archiveName(const std::string& intraPath, formats::DateTime firstQuote) {
    return intraPath + formats::formatDateTime(firstQuote, "dd.mm.yyyy") + ".DB";
}

void checkDayChange(QuoteTables& tables, const DayChangeSettings& settings,
                    const std::function<bool()>& archiveWanted,
                    const std::function<void(const std::string&, const std::string&)>& archiveFailed) {
    paradox::Table& table = tables.Table4;
    tables.unlinkTable4();
    table.open();
    table.first();
    try {
        const formats::DateTime firstQuote = table.field("ZEIT").asDateTime();
        // Whole days compared as numbers: a detour through date text would depend on the
        // desktop's date format and miss the change where that format differs.
        const formats::DateTime day = formats::datePart(firstQuote);
        if (day <= 0 || formats::datePart(settings.today) <= day || !archiveWanted()) {
            return;
        }
        const std::filesystem::path quoteTable = table.tablePath();
        const std::string archive = archiveName(settings.IntraPath, firstQuote);
        table.close();
        try {
            paradox::Table::renameTable(quoteTable, archive);
        } catch (const std::exception& error) {
            archiveFailed(archive, error.what());
            return;
        }
        table.setTableName("Intraday.DB");
        emptyOrRecreate(tables, settings);
    } catch (const std::exception&) {
        // The archive exists; a quote table that could not be emptied or made anew is no reason
        // to keep the window from opening.
    }
}

} // namespace marlovex::tracker
