#include "companion/quote_export.h"

#include "platform/common/error.h"
#include "platform/common/system_error_text.h"
#include "platform/formats/date_time.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace marlovex::companion {

namespace {

const std::string csvHeader = "Zeit;Kurs";

// An export replaces only what an export wrote: the file's first line is our header. Layout
// files travel between users, and the file they name may be anyone's.
bool mayReplace(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        return true;
    }
    if (!std::filesystem::is_regular_file(file, error)) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::string firstLine;
    std::getline(in, firstLine);
    if (!firstLine.empty() && firstLine.back() == '\r') {
        firstLine.pop_back();
    }
    return firstLine == csvHeader;
}

} // namespace

std::string quotesAsCsv(const std::vector<ChartQuote>& quotes, const formats::NumberLocale& locale) {
    std::string text = csvHeader + "\r\n";
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
    if (!mayReplace(file)) {
        throw Error("Die Datei " + file.string() +
                    " ist keine Kursdatei dieses Programms und wird nicht überschrieben.");
    }
    const auto cannotWrite = [&file](const std::string& reason) {
        return Error("Die Exportdatei " + file.string() + " kann nicht geschrieben werden: " + reason + ".");
    };
    // A name of its own, made exclusively: a link planted at a fixed temporary name must not
    // redirect the write.
    std::string temporary = file.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        throw cannotWrite(systemErrorText(errno));
    }
    const std::string text = quotesAsCsv(quotes, locale);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            const std::string reason = systemErrorText(errno);
            ::close(descriptor);
            ::unlink(temporary.c_str());
            throw cannotWrite(reason);
        }
        written += static_cast<std::size_t>(count);
    }
    // Readable by others as a file made the ordinary way would be.
    ::fchmod(descriptor, 0644);
    if (::close(descriptor) != 0) {
        const std::string reason = systemErrorText(errno);
        ::unlink(temporary.c_str());
        throw cannotWrite(reason);
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        ::unlink(temporary.c_str());
        throw cannotWrite(systemErrorText(error));
    }
}

} // namespace marlovex::companion
