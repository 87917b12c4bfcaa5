// Writes a whole new table in one go: the records are gathered in memory, in the engine's own
// table image, and the .DB and .PX files are written once at the end. Creating thousands of
// records this way costs one durable write instead of one commit per record.
//
// Meant for tables that no other program uses yet (a new data directory); it replaces a table
// of the same name without taking its lock.
//
// Not thread-safe: one writer per thread.
#pragma once

#include "market/market_tables.h"
#include "platform/paradox/field.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace marlovex::paradox {
class TableImage;
}

namespace marlovex::market {

class BulkTableWriter {
public:
    BulkTableWriter(std::filesystem::path directory, TableLayout layout);
    ~BulkTableWriter();
    BulkTableWriter(const BulkTableWriter&) = delete;
    BulkTableWriter& operator=(const BulkTableWriter&) = delete;

    // One record, values in field order as a table view takes them (date-times as days since
    // 1899-12-30, paradox::Null for an empty field). Throws paradox::TableError naming the field
    // when a value does not fit, KeyViolationError when the key is taken.
    void add(const std::vector<paradox::Value>& values);
    std::size_t size() const;

    // Writes the table files.
    void write();

private:
    std::filesystem::path m_directory;
    TableLayout m_layout;
    std::unique_ptr<paradox::TableImage> m_image;
};

} // namespace marlovex::market
