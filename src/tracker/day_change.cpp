#include "tracker/day_change.h"

#include "platform/paths/file_names.h"

#include <exception>
#include <optional>

namespace marlovex::tracker {
namespace {

// The calendar day of a quote, taken as the desktop did: written as dd.mm.yyyy and read back in
// the locale's date format. Nothing when the locale cannot read it back.
std::optional<formats::DateTime> calendarDay(formats::DateTime quoteTime,
                                             const formats::DateTimeLocale& locale) {
    return formats::tryParseDate(formats::formatDateTime(quoteTime, "dd.mm.yyyy"), locale);
}

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
        const std::optional<formats::DateTime> day = calendarDay(firstQuote, settings.locale);
        if (!day || *day <= 0 || formats::datePart(settings.today) <= *day || !archiveWanted()) {
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
