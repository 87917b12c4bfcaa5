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
    // A fetch takes time, and another run may have stored quotes meanwhile.
    m_table.refresh();
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
    append(std::vector<market::Quote>{quote});
}

void QuoteStore::append(const std::vector<market::Quote>& quotes) {
    // Placed by name, as a table of another installation may order its fields differently.
    const auto index = [&](const char* name) {
        const auto found = m_table.findField(name);
        if (!found) {
            throw ImportError("Der Tabelle " + m_table.tablePath().string() + " fehlt das Feld " + name +
                              ".");
        }
        return *found;
    };
    const auto firma = index("Firma");
    const auto time = index("ZEIT");
    const auto price = index("Kurs");
    const auto volume = index("Volumen");
    std::vector<std::vector<paradox::Value>> records;
    records.reserve(quotes.size());
    for (const auto& quote : quotes) {
        std::vector<paradox::Value> record(m_table.fieldCount(), paradox::Value(paradox::Null{}));
        record[firma] = paradox::Value(quote.instrument);
        record[time] = paradox::Value(quote.time);
        record[price] = paradox::Value(quote.price);
        if (quote.volume) {
            record[volume] = paradox::Value(*quote.volume);
        }
        records.push_back(std::move(record));
    }
    for (int attempt = 1;; ++attempt) {
        try {
            m_table.appendRecords(records);
            return;
        } catch (const paradox::LockConflictError&) {
            if (attempt == lockAttempts) {
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
