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
                    const std::function<bool()>& archiveWanted) {
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
        table.close();
        try {
            if (firstQuote > 0) {
                paradox::Table::renameTable(quoteTable, archiveName(settings.IntraPath, firstQuote));
                table.setTableName("Intraday.DB");
            } else {
                paradox::Table::deleteTable(quoteTable);
            }
        } catch (const std::exception&) {
            table.close();
            paradox::Table::deleteTable(quoteTable);
        }
        emptyOrRecreate(tables, settings);
    } catch (const std::exception&) {
        // A failed archive must not keep the window from opening; the table stays as it is.
    }
}

} // namespace marlovex::tracker
