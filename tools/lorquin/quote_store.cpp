#include "lorquin/quote_store.h"

#include "lorquin/import_error.h"
#include "market/market_tables.h"
#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"
#include "platform/paths/file_names.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace marlovex::lorquin {
namespace {

// An exclusive lock on the data directory itself, held while the quote table is created. The
// tracker starts Lorquin for two instruments at once; without it both could find the table
// missing and the second creation would replace the first one's quote.
class DirectoryLock {
public:
    explicit DirectoryLock(const std::filesystem::path& directory)
        : m_descriptor(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_descriptor < 0 || ::flock(m_descriptor, LOCK_EX) != 0) {
            const std::string reason = systemErrorText(errno);
            if (m_descriptor >= 0) {
                ::close(m_descriptor);
            }
            throw ImportError("Das Datenverzeichnis " + directory.string() +
                              " kann nicht benutzt werden: " + reason + ".");
        }
    }
    ~DirectoryLock() { ::close(m_descriptor); }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int m_descriptor;
};

void createQuoteTableIfMissing(const std::filesystem::path& directory) {
    const auto layout = market::quoteTableLayout();
    if (paths::fileExistsCaseInsensitive(directory / layout.fileName)) {
        return;
    }
    const DirectoryLock lock(directory);
    if (!paths::fileExistsCaseInsensitive(directory / layout.fileName)) {
        market::createEmptyTable(directory, layout);
    }
}

} // namespace

QuoteStore::QuoteStore(const std::filesystem::path& directory) {
    createQuoteTableIfMissing(directory);
    m_table.setDatabaseName(directory);
    m_table.setTableName(market::quoteTableLayout().fileName);
    m_table.setTableType(paradox::TableType::Paradox);
    m_table.open();
}

std::optional<market::Quote> QuoteStore::lastQuote(std::int64_t instrument) {
    if (m_table.isEmpty()) {
        return std::nullopt;
    }
    // The first row of the next instrument, or the table's last row; the row before it is then
    // the instrument's latest quote when it has one.
    m_table.findNearest({paradox::Value(instrument + 1)});
    if (m_table.field("Firma").asInteger() > instrument) {
        m_table.prior();
    }
    if (m_table.field("Firma").asInteger() != instrument) {
        return std::nullopt;
    }
    market::Quote quote;
    quote.instrument = instrument;
    quote.time = m_table.field("ZEIT").asDateTime();
    quote.price = m_table.field("Kurs").asFloat();
    if (const auto volume = m_table.field("Volumen"); !volume.isNull()) {
        quote.volume = volume.asInteger();
    }
    return quote;
}

void QuoteStore::append(const market::Quote& quote) {
    m_table.append();
    m_table.field("Firma").setInteger(quote.instrument);
    m_table.field("ZEIT").setDateTime(quote.time);
    m_table.field("Kurs").setFloat(quote.price);
    if (quote.volume) {
        m_table.field("Volumen").setInteger(*quote.volume);
    }
    for (int attempt = 1;; ++attempt) {
        try {
            m_table.post();
            return;
        } catch (const paradox::LockConflictError&) {
            if (attempt == lockAttempts) {
                m_table.cancel();
                throw paradox::LockConflictError(
                    "Die Tabelle " + m_table.tablePath().string() + " blieb bei " +
                    std::to_string(lockAttempts) +
                    " Versuchen von einem anderen Programm gesperrt; der Kurs wurde nicht gespeichert.");
            }
            std::this_thread::sleep_for(lockPause);
        }
    }
}

} // namespace marlovex::lorquin
