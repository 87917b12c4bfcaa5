#include "companion/quote_export.h"

#include "platform/common/error.h"
#include "platform/common/system_error_text.h"
#include "platform/formats/date_time.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace marlovex::companion {

std::string quotesAsCsv(const std::vector<ChartQuote>& quotes, const formats::NumberLocale& locale) {
    std::string text = "Zeit;Kurs\r\n";
    for (const ChartQuote& quote : quotes) {
        text += formats::formatDateTime(quote.time, "dd.mm.yyyy hh:mm:ss");
        text += ';';
        text += formats::formatGeneral(quote.price, 15, locale);
        text += "\r\n";
    }
    return text;
}

void exportQuotes(const std::filesystem::path& file, const std::vector<ChartQuote>& quotes,
                  const formats::NumberLocale& locale) {
    const std::filesystem::path temporary = file.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << quotesAsCsv(quotes, locale);
        out.close();
        if (!out) {
            const std::string reason = systemErrorText(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw Error("Die Exportdatei " + file.string() + " kann nicht geschrieben werden: " + reason +
                        ".");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw Error("Die Exportdatei " + file.string() +
                    " kann nicht geschrieben werden: " + systemErrorText(error) + ".");
    }
}

} // namespace marlovex::companion
