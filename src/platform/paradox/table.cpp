#include "platform/paradox/table.h"

#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/session.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "platform/paradox/value_conversion.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace marlovex::paradox {
namespace {

// The first position in [begin, end) for which `before` is false; `before` holds for a leading
// run of positions only. Searches near `hint` (the cursor) gallop outwards from it: a scan that
// walks forward and searches keys close to its row pays a few comparisons, not a full binary
// search.
template <typename Before>
std::size_t partitionPoint(std::size_t begin, std::size_t end, std::size_t hint, const Before& before) {
    std::size_t low = begin;
    std::size_t high = end;
    if (hint >= begin && hint < end) {
        std::size_t step = 1;
        if (before(hint)) {
            low = hint + 1;
            while (end - hint > step) {
                const std::size_t probe = hint + step;
                if (!before(probe)) {
                    high = probe;
                    break;
                }
                low = probe + 1;
                step *= 2;
            }
        } else {
            high = hint;
            while (hint - begin >= step) {
                const std::size_t probe = hint - step;
                if (before(probe)) {
                    low = probe + 1;
                    break;
                }
                high = probe;
                step *= 2;
            }
        }
    }
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (before(middle)) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

} // namespace

Table::Table() = default;

Table::~Table() {
    for (auto* detail : m_details) {
        detail->m_master = nullptr;
    }
    if (m_master != nullptr) {
        std::erase(m_master->m_details, this);
    }
}

void Table::setDatabaseName(const std::filesystem::path& directory) {
    requireInactive("Das Verzeichnis der Tabelle {} kann nicht geändert werden");
    m_directory = directory;
}

void Table::setTableName(const std::string& name) {
    requireInactive("Der Name der Tabelle {} kann nicht geändert werden");
    m_tableName = name;
}

std::filesystem::path Table::tablePath() const {
    std::filesystem::path path(m_tableName);
    if (path.is_relative()) {
        path = m_directory / path;
    }
    return resolveForCreate(*m_env, withTableExtension(path));
}

std::string Table::describe() const {
    return tablePath().string();
}

void Table::requireActive(const char* operation) const {
    if (!active()) {
        throw TableError(withName(operation, describe()) + ": die Tabelle ist nicht geöffnet.");
    }
}

void Table::requireInactive(const char* operation) const {
    if (active()) {
        throw TableError(withName(operation, describe()) + ": die Tabelle ist geöffnet.");
    }
}

void Table::setIndexName(const std::string& name) {
    m_indexName = name;
    m_indexFieldNames.clear();
    if (active()) {
        buildOrder();
        computeRange();
        first();
    }
}

void Table::setIndexFieldNames(const std::string& fieldNames) {
    m_indexFieldNames = fieldNames;
    m_indexName.clear();
    if (active()) {
        buildOrder();
        computeRange();
        first();
    }
}

void Table::setMasterSource(Table* master, const std::string& masterFields) {
    if (m_master != nullptr) {
        std::erase(m_master->m_details, this);
    }
    m_master = master;
    m_masterFields = splitFieldNames(masterFields);
    if (m_master != nullptr) {
        m_master->m_details.push_back(this);
    }
    if (active()) {
        computeRange();
        first();
    }
}

void Table::setFiltered(bool filtered) {
    m_filtered = filtered;
    if (active() && m_state == DataSetState::Browse) {
        first();
    }
}

void Table::setOnFilterRecord(FilterCallback callback) {
    m_filter = std::move(callback);
}

void Table::setOnCalcFields(CalcCallback callback) {
    m_calc = std::move(callback);
}

void Table::addCalculatedField(const std::string& name, FieldType type) {
    m_calcDefs.push_back(FieldDef::of(name, type, type == FieldType::Alpha ? 255 : 0));
    m_calcValues.emplace_back(Null{});
}

void Table::open() {
    if (active()) {
        return;
    }
    if (m_tableName.empty()) {
        throw TableError("Im Verzeichnis " + m_directory.string() +
                         " kann keine Tabelle ohne Namen geöffnet werden.");
    }
    m_storage = std::make_unique<TableStorage>(tablePath(), *m_env);
    try {
        load();
        m_state = DataSetState::Browse;
        buildOrder();
        computeRange();
    } catch (...) {
        m_state = DataSetState::Inactive;
        m_image.reset();
        m_storage.reset();
        throw;
    }
    first();
}

void Table::close() {
    if (!active()) {
        return;
    }
    m_state = DataSetState::Inactive;
    m_image.reset();
    m_spare.reset();
    m_storage.reset();
    m_px.reset();
    m_order.clear();
    m_buffer.clear();
    m_position = kNoRow;
    m_record = {};
    m_eof = m_bof = true;
    for (auto* detail : m_details) {
        if (detail->active()) {
            detail->masterMoved();
        }
    }
    notifyChange();
}

void Table::setActive(bool active) {
    if (active) {
        open();
    } else {
        close();
    }
}

void Table::load() {
    std::optional<LoadedState> loaded = loadChanges();
    if (!loaded) {
        auto snapshot = m_storage->read();
        std::optional<TableImage::CheckedBlocks> checked;
        if (m_image && m_file == snapshot.file) {
            checked = m_image->unchangedIn(snapshot.db);
        }
        loaded = LoadedState{.image = std::make_shared<TableImage>(std::move(snapshot.db),
                                                                   m_storage->dbPath().string(),
                                                                   checked ? &*checked : nullptr),
                             .px = std::move(snapshot.px),
                             .blobs = std::move(snapshot.blobs),
                             .sequence = snapshot.sequence,
                             .file = snapshot.file};
    }
    const DbHeader& header = loaded->image->header();
    if (header.encryptionKey && !session().knowsPassword(header.passwordCheck)) {
        throw TableError("Die Tabelle " + m_storage->dbPath().string() +
                         " ist durch ein Kennwort geschützt, das dieser Sitzung nicht bekannt ist.");
    }
    m_spare = std::exchange(m_image, std::move(loaded->image));
    m_spareSequence = std::exchange(m_sequence, loaded->sequence);
    m_spareFile = std::exchange(m_file, loaded->file);
    m_px = std::move(loaded->px);
    m_blobs = std::move(loaded->blobs);
    m_record = {};
}

std::optional<Table::LoadedState> Table::loadChanges() {
    std::shared_ptr<TableImage> spare = std::move(m_spare);
    // Only an image that no view shows may change; a protected table's blocks would need
    // decrypting one by one, and it is read whole.
    if (!spare || spare.use_count() != 1 || spare->hasChanges() || spare->header().encryptionKey) {
        return std::nullopt;
    }
    auto changes = m_storage->changesSince(m_spareSequence, m_spareFile);
    if (!changes) {
        return std::nullopt;
    }
    std::vector<std::pair<std::uint64_t, std::size_t>> ranges;
    for (const auto& [offset, bytes] : changes->ranges) {
        ranges.emplace_back(offset, bytes.size());
    }
    std::sort(ranges.begin(), ranges.end());
    const TableImage::CheckedBlocks checked = spare->untouchedBy(ranges);
    FileBytes bytes = std::move(*spare).takeBytes();
    spare.reset();
    // What the file holds beyond the spare's end, the commits wrote: all of it must be named,
    // or the tail would keep the spare's leftovers.
    std::uint64_t covered = bytes.size();
    for (const auto& [offset, length] : ranges) {
        if (offset <= covered) {
            covered = std::max<std::uint64_t>(covered, offset + length);
        }
    }
    if (covered < changes->dbSize) {
        return std::nullopt;
    }
    // The table grows through the day: room for the blocks to come, or the next new block
    // would move the whole image.
    if (bytes.capacity() < changes->dbSize) {
        bytes.reserve(static_cast<std::size_t>(changes->dbSize + changes->dbSize / 4));
    }
    bytes.resize(static_cast<std::size_t>(changes->dbSize), 0);
    for (const auto& [offset, written] : changes->ranges) {
        const auto length = std::min<std::uint64_t>(written.size(), bytes.size() - offset);
        std::copy_n(written.begin(), static_cast<std::ptrdiff_t>(length),
                    bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    try {
        return LoadedState{
            .image = std::make_shared<TableImage>(std::move(bytes), m_storage->dbPath().string(), &checked),
            .px = std::move(changes->px),
            .blobs = std::move(changes->blobs),
            .sequence = changes->sequence,
            .file = m_spareFile};
    } catch (const TableError&) {
        // Whatever is wrong, the whole read finds it too and reports it.
        return std::nullopt;
    }
}

void Table::buildOrder() {
    const auto& schema = m_image->schema();
    std::vector<std::string> names;
    if (!m_indexFieldNames.empty()) {
        names = splitFieldNames(m_indexFieldNames);
    } else if (!m_indexName.empty()) {
        const auto stem = tablePath().stem().string();
        if (!equalNames(m_indexName, stem) && !equalNames(m_indexName, "PRIMARY")) {
            names = splitFieldNames(m_indexName);
        }
    }
    m_orderFields.clear();
    if (names.empty()) {
        for (int i = 0; i < schema.keyFieldCount; ++i) {
            m_orderFields.push_back(static_cast<std::size_t>(i));
        }
    } else {
        for (const auto& name : names) {
            const auto index = findField(name);
            if (!index || *index >= schema.fields.size()) {
                throw TableError("Die Tabelle " + describe() + " hat keinen Index über '" +
                                 (m_indexFieldNames.empty() ? m_indexName : m_indexFieldNames) + "'.");
            }
            m_orderFields.push_back(*index);
        }
    }
    m_orderIsKeyPrefix = m_orderFields.size() <= static_cast<std::size_t>(schema.keyFieldCount);
    for (std::size_t i = 0; i < m_orderFields.size() && m_orderIsKeyPrefix; ++i) {
        m_orderIsKeyPrefix = m_orderFields[i] == i;
    }
    m_order.clear();
    if (m_orderIsKeyPrefix) {
        return;
    }
    m_order.resize(m_image->size());
    std::iota(m_order.begin(), m_order.end(), 0u);
    const auto& offsets = m_image->fieldOffsets();
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const auto recordA = m_image->record(a);
        const auto recordB = m_image->record(b);
        for (auto index : m_orderFields) {
            const auto& field = schema.fields[index];
            const auto offset = static_cast<std::size_t>(offsets[index]);
            const int result =
                compareStoredField(field, recordA.data() + offset, recordB.data() + offset, true);
            if (result != 0) {
                return result < 0;
            }
        }
        return false;
    });
}

std::size_t Table::rowAt(std::size_t position) const {
    return m_order.empty() ? position : m_order[position];
}

std::span<const std::uint8_t> Table::recordAtPosition(std::size_t position) const {
    return m_image->record(rowAt(position));
}

std::span<const std::uint8_t> Table::currentRecord() const {
    if (m_probe != kNoRow) {
        return recordAtPosition(m_probe);
    }
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        return m_buffer;
    }
    if (m_image == nullptr || m_position == kNoRow || m_position >= m_image->size()) {
        return {};
    }
    if (m_record.empty()) {
        m_record = recordAtPosition(m_position);
    }
    return m_record;
}

int Table::compareAtPosition(std::size_t position, const std::vector<std::uint8_t>& key,
                             std::size_t fieldCount) const {
    const auto record = recordAtPosition(position);
    const auto& schema = m_image->schema();
    const auto& offsets = m_image->fieldOffsets();
    if (m_orderIsKeyPrefix) {
        return std::memcmp(record.data(), key.data(), key.size());
    }
    std::size_t keyOffset = 0;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const auto index = m_orderFields[i];
        const auto& field = schema.fields[index];
        const int result =
            compareStoredField(field, record.data() + offsets[index], key.data() + keyOffset, true);
        if (result != 0) {
            return result;
        }
        keyOffset += static_cast<std::size_t>(field.size);
    }
    return 0;
}

std::size_t Table::lowerBoundKey(const std::vector<std::uint8_t>& key, std::size_t fieldCount) const {
    return partitionPoint(m_rangeBegin, m_rangeEnd, m_position, [&](std::size_t position) {
        return compareAtPosition(position, key, fieldCount) < 0;
    });
}

std::size_t Table::upperBoundKey(const std::vector<std::uint8_t>& key, std::size_t fieldCount) const {
    return partitionPoint(m_rangeBegin, m_rangeEnd, m_position, [&](std::size_t position) {
        return compareAtPosition(position, key, fieldCount) <= 0;
    });
}

std::vector<std::uint8_t> Table::encodeKey(const std::vector<Value>& values) const {
    if (values.size() > m_orderFields.size()) {
        throw TableError("Für die Tabelle " + describe() + " sind " + std::to_string(values.size()) +
                         " Schlüsselwerte angegeben, die Sortierung hat aber nur " +
                         std::to_string(m_orderFields.size()) + " Felder.");
    }
    std::vector<std::uint8_t> key;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto& field = m_image->schema().fields[m_orderFields[i]];
        const auto start = key.size();
        key.resize(start + static_cast<std::size_t>(field.size));
        encodeField(field, toStoredValue(field, values[i]), std::span<std::uint8_t>(key).subspan(start));
    }
    return key;
}

void Table::computeRange() {
    m_rangeBegin = 0;
    m_rangeEnd = m_image->size();
    if (m_master == nullptr || m_masterFields.empty()) {
        return;
    }
    if (!m_master->active() || m_master->isEmpty() || m_masterFields.size() > m_orderFields.size()) {
        m_rangeEnd = 0;
        return;
    }
    std::vector<Value> values;
    for (const auto& name : m_masterFields) {
        values.push_back(m_master->field(name).value());
    }
    // The master's stored values are converted to user values so the detail's field types apply.
    std::vector<Value> userValues;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto masterIndex = *m_master->findField(m_masterFields[i]);
        userValues.push_back(toUserValue(m_master->fieldDef(masterIndex), values[i]));
    }
    const auto key = encodeKey(userValues);
    const auto begin = lowerBoundKey(key, userValues.size());
    const auto end = upperBoundKey(key, userValues.size());
    m_rangeBegin = begin;
    m_rangeEnd = end;
}

bool Table::accepts(std::size_t position) {
    if (!m_filtered || !m_filter) {
        return true;
    }
    m_probe = position;
    bool accepted = false;
    try {
        accepted = m_filter(*this);
    } catch (...) {
        m_probe = kNoRow;
        throw;
    }
    m_probe = kNoRow;
    return accepted;
}

std::size_t Table::firstAcceptedFrom(std::size_t position) {
    for (; position < m_rangeEnd; ++position) {
        if (accepts(position)) {
            return position;
        }
    }
    return kNoRow;
}

std::size_t Table::lastAcceptedBefore(std::size_t end) {
    while (end > m_rangeBegin) {
        --end;
        if (accepts(end)) {
            return end;
        }
    }
    return kNoRow;
}

void Table::checkNotEditing(const char* operation) {
    requireActive(operation);
    if (m_state != DataSetState::Browse) {
        throw TableError(withName(operation, describe()) + ": ein Datensatz wird gerade bearbeitet.");
    }
}

void Table::moveTo(std::size_t position) {
    m_position = position;
    m_record = {};
    fetched();
}

void Table::fetched() {
    std::fill(m_calcValues.begin(), m_calcValues.end(), Value{Null{}});
    if (m_calc && m_position != kNoRow) {
        m_calc(*this);
    }
    for (auto* detail : m_details) {
        if (detail->active()) {
            detail->masterMoved();
        }
    }
    notifyChange();
}

void Table::masterMoved() {
    if (m_state != DataSetState::Browse) {
        return;
    }
    computeRange();
    first();
}

void Table::first() {
    checkNotEditing("In der Tabelle {} kann nicht geblättert werden");
    const auto position = firstAcceptedFrom(m_rangeBegin);
    m_bof = true;
    m_eof = position == kNoRow;
    moveTo(position);
}

void Table::last() {
    checkNotEditing("In der Tabelle {} kann nicht geblättert werden");
    const auto position = lastAcceptedBefore(m_rangeEnd);
    m_eof = true;
    m_bof = position == kNoRow;
    moveTo(position);
}

void Table::next() {
    checkNotEditing("In der Tabelle {} kann nicht geblättert werden");
    if (m_position == kNoRow) {
        m_eof = true;
        return;
    }
    const auto position = firstAcceptedFrom(m_position + 1);
    if (position == kNoRow) {
        m_eof = true;
        return;
    }
    m_eof = false;
    m_bof = false;
    moveTo(position);
}

void Table::prior() {
    checkNotEditing("In der Tabelle {} kann nicht geblättert werden");
    if (m_position == kNoRow) {
        m_bof = true;
        return;
    }
    const auto position = lastAcceptedBefore(m_position);
    if (position == kNoRow) {
        m_bof = true;
        return;
    }
    m_bof = false;
    m_eof = false;
    moveTo(position);
}

bool Table::isEmpty() const {
    return !active() || m_position == kNoRow;
}

std::size_t Table::recordCount() const {
    return active() ? m_rangeEnd - m_rangeBegin : 0;
}

void Table::readRows(std::size_t from, std::size_t to, const std::function<void(Table&)>& read) {
    checkNotEditing("In der Tabelle {} kann nicht gelesen werden");
    const std::size_t end = std::min(to, m_rangeEnd - m_rangeBegin);
    try {
        for (std::size_t offset = from; offset < end; ++offset) {
            m_probe = m_rangeBegin + offset;
            read(*this);
        }
    } catch (...) {
        m_probe = kNoRow;
        throw;
    }
    m_probe = kNoRow;
}

bool Table::findKey(const std::vector<Value>& values) {
    checkNotEditing("In der Tabelle {} kann nicht gesucht werden");
    const auto key = encodeKey(values);
    for (auto position = lowerBoundKey(key, values.size()); position < m_rangeEnd; ++position) {
        if (compareAtPosition(position, key, values.size()) != 0) {
            break;
        }
        if (accepts(position)) {
            m_eof = m_bof = false;
            moveTo(position);
            return true;
        }
    }
    return false;
}

void Table::findNearest(const std::vector<Value>& values) {
    checkNotEditing("In der Tabelle {} kann nicht gesucht werden");
    const auto key = encodeKey(values);
    const auto position = firstAcceptedFrom(lowerBoundKey(key, values.size()));
    if (position == kNoRow) {
        last();
        return;
    }
    m_eof = m_bof = false;
    moveTo(position);
}

void Table::disableControls() {
    ++m_disableCount;
}

void Table::enableControls() {
    if (m_disableCount > 0 && --m_disableCount == 0 && m_changePending) {
        m_changePending = false;
        for (const auto& listener : m_listeners) {
            listener();
        }
    }
}

void Table::addChangeListener(ChangeListener listener) {
    m_listeners.push_back(std::move(listener));
}

void Table::notifyChange() {
    if (m_disableCount > 0) {
        m_changePending = true;
        return;
    }
    for (const auto& listener : m_listeners) {
        listener();
    }
}

} // namespace marlovex::paradox
