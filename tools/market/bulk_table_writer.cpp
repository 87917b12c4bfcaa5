#include "market/bulk_table_writer.h"

#include "platform/paradox/errors.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "platform/paradox/value_conversion.h"

#include <optional>
#include <utility>

namespace marlovex::market {

BulkTableWriter::BulkTableWriter(std::filesystem::path directory, TableLayout layout)
    : m_directory(std::move(directory))
    , m_layout(std::move(layout)) {
    paradox::TableSchema schema;
    schema.fields = m_layout.fields;
    schema.keyFieldCount = m_layout.keyFieldCount;
    const auto tableName = std::filesystem::path(m_layout.fileName).stem().string();
    m_image = std::make_unique<paradox::TableImage>(paradox::TableImage::emptyTable(schema, tableName),
                                                    (m_directory / m_layout.fileName).string());
}

BulkTableWriter::~BulkTableWriter() = default;

void BulkTableWriter::add(const std::vector<paradox::Value>& values) {
    const auto& fields = m_layout.fields;
    if (values.size() != fields.size()) {
        throw paradox::TableError("Ein Datensatz der Tabelle " + m_image->fileName() + " braucht " +
                                  std::to_string(fields.size()) + " Werte, nicht " +
                                  std::to_string(values.size()) + ".");
    }
    std::vector<std::uint8_t> record(static_cast<std::size_t>(m_image->recordSize()), 0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto offset = static_cast<std::size_t>(m_image->fieldOffsets()[i]);
        paradox::encodeField(fields[i], paradox::toStoredValue(fields[i], values[i]),
                             std::span(record).subspan(offset, static_cast<std::size_t>(fields[i].size)));
    }
    m_image->insert(record);
}

std::size_t BulkTableWriter::size() const {
    return m_image->size();
}

void BulkTableWriter::write() {
    std::optional<std::vector<std::uint8_t>> index;
    if (m_image->isKeyed()) {
        index = m_image->buildPrimaryIndex();
    }
    paradox::TableStorage::createFiles(m_directory / m_layout.fileName, m_image->bytes(), index);
}

} // namespace marlovex::market
