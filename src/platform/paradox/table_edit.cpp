// The editing half of Table: field access, append / edit / post / cancel / delete, refresh, and
// creating, renaming and deleting table files.

#include "platform/common/error.h"
#include "platform/common/system_error_text.h"
#include "platform/paradox/blob_file.h"
#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "platform/paradox/value_conversion.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace marlovex::paradox {

FieldRef::FieldRef(Table& table, std::size_t index)
    : m_table(table)
    , m_index(index) {}

const std::string& FieldRef::name() const {
    return m_table.fieldDef(m_index).name;
}

Value FieldRef::value() const {
    return m_table.readValue(m_index);
}

bool FieldRef::isNull() const {
    return paradox::isNull(value());
}

std::int64_t FieldRef::asInteger() const {
    const auto& field = m_table.fieldDef(m_index);
    const auto bytes = m_table.fieldBytes(m_index);
    switch (bytes.empty() ? FieldType::Alpha : field.type()) {
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return decodeLongField(bytes.first<4>()).value_or(0);
    case FieldType::Short:
        return decodeIntegerField(bytes).value_or(0);
    default:
        break;
    }
    const auto stored = value();
    if (const auto* integer = std::get_if<std::int64_t>(&stored)) {
        return *integer;
    }
    if (const auto* number = std::get_if<double>(&stored)) {
        return static_cast<std::int64_t>(std::llround(*number));
    }
    if (const auto* flag = std::get_if<bool>(&stored)) {
        return *flag ? 1 : 0;
    }
    if (const auto* text = std::get_if<std::string>(&stored)) {
        std::int64_t parsed = 0;
        const auto result = std::from_chars(text->data(), text->data() + text->size(), parsed);
        if (result.ec != std::errc{} || result.ptr != text->data() + text->size()) {
            throw TableError("Der Wert " + quotedValue(*text) + " im Feld '" + name() + "' der Tabelle " +
                             m_table.describe() + " ist keine gültige Ganzzahl.");
        }
        return parsed;
    }
    return 0;
}

double FieldRef::asFloat() const {
    const auto& field = m_table.fieldDef(m_index);
    const auto bytes = m_table.fieldBytes(m_index);
    // Direct paths for the numeric types: scans read millions of these.
    switch (bytes.empty() ? FieldType::Alpha : field.type()) {
    case FieldType::Money:
    case FieldType::Number:
        return decodeDoubleField(bytes.first<8>()).value_or(0.0);
    case FieldType::Timestamp: {
        const auto stored = decodeDoubleField(bytes.first<8>());
        return stored ? timestampToDateTime(*stored) : 0.0;
    }
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return static_cast<double>(decodeLongField(bytes.first<4>()).value_or(0));
    case FieldType::Short:
        return static_cast<double>(decodeIntegerField(bytes).value_or(0));
    default:
        break;
    }
    const auto user = toUserValue(field, value());
    if (const auto* number = std::get_if<double>(&user)) {
        return *number;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&user)) {
        return static_cast<double>(*integer);
    }
    if (const auto* text = std::get_if<std::string>(&user)) {
        double parsed = 0;
        const auto result = std::from_chars(text->data(), text->data() + text->size(), parsed);
        if (result.ec != std::errc{} || result.ptr != text->data() + text->size()) {
            throw TableError("Der Wert " + quotedValue(*text) + " im Feld '" + name() + "' der Tabelle " +
                             m_table.describe() + " ist keine gültige Zahl.");
        }
        return parsed;
    }
    if (const auto* flag = std::get_if<bool>(&user)) {
        return *flag ? 1.0 : 0.0;
    }
    return 0.0;
}

double FieldRef::asDateTime() const {
    return asFloat();
}

std::string FieldRef::asString() const {
    return formatText(m_table.fieldDef(m_index), value());
}

bool FieldRef::asBoolean() const {
    const auto stored = value();
    if (const auto* flag = std::get_if<bool>(&stored)) {
        return *flag;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&stored)) {
        return *integer != 0;
    }
    if (paradox::isNull(stored)) {
        return false;
    }
    throw TableError("Das Feld '" + name() + "' der Tabelle " + m_table.describe() +
                     " ist kein logisches Feld.");
}

void FieldRef::setInteger(std::int64_t value) {
    setValue(value);
}
void FieldRef::setFloat(double value) {
    setValue(value);
}
void FieldRef::setDateTime(double value) {
    setValue(value);
}
void FieldRef::setString(const std::string& value) {
    setValue(value);
}
void FieldRef::setBoolean(bool value) {
    setValue(value);
}
void FieldRef::clear() {
    setValue(Null{});
}

void FieldRef::setValue(const Value& value) {
    m_table.writeValue(m_index, value);
}

std::size_t Table::fieldCount() const {
    return (m_image ? m_image->schema().fields.size() : 0) + m_calcDefs.size();
}

std::optional<std::size_t> Table::findField(const std::string& name) const {
    const std::size_t stored = m_image ? m_image->schema().fields.size() : 0;
    const auto nameAt = [&](std::size_t i) -> const std::string& {
        return i < stored ? m_image->schema().fields[i].name : m_calcDefs[i - stored].name;
    };
    const std::size_t count = stored + m_calcDefs.size();
    // Callers nearly always spell a name as the table does; the exact comparison finds it
    // cheaply, and only a differently cased name needs the slower one.
    for (std::size_t i = 0; i < count; ++i) {
        if (nameAt(i) == name) {
            return i;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (equalNames(nameAt(i), name)) {
            return i;
        }
    }
    return std::nullopt;
}

const FieldDef& Table::fieldDef(std::size_t index) const {
    const std::size_t stored = m_image ? m_image->schema().fields.size() : 0;
    return index < stored ? m_image->schema().fields[index] : m_calcDefs.at(index - stored);
}

FieldRef Table::field(const std::string& name) {
    requireActive("Ein Feld der Tabelle {} kann nicht gelesen werden");
    const auto index = findField(name);
    if (!index) {
        throw TableError("Die Tabelle " + describe() + " hat kein Feld '" + name + "'.");
    }
    return FieldRef(*this, *index);
}

FieldRef Table::field(std::size_t index) {
    requireActive("Ein Feld der Tabelle {} kann nicht gelesen werden");
    if (index >= fieldCount()) {
        throw TableError("Die Tabelle " + describe() + " hat kein Feld mit der Nummer " +
                         std::to_string(index + 1) + ".");
    }
    return FieldRef(*this, index);
}

std::span<const std::uint8_t> Table::fieldBytes(std::size_t index) const {
    const std::size_t stored = m_image->schema().fields.size();
    if (index >= stored) {
        return {};
    }
    const auto record = currentRecord();
    if (record.empty()) {
        return {};
    }
    return record.subspan(static_cast<std::size_t>(m_image->fieldOffsets()[index]),
                          static_cast<std::size_t>(m_image->schema().fields[index].size));
}

Value Table::readValue(std::size_t index) const {
    const std::size_t stored = m_image->schema().fields.size();
    if (index >= stored) {
        return toStoredValue(m_calcDefs[index - stored], m_calcValues[index - stored]);
    }
    const auto record = currentRecord();
    if (record.empty()) {
        return Null{};
    }
    const auto& field = m_image->schema().fields[index];
    const auto bytes = record.subspan(static_cast<std::size_t>(m_image->fieldOffsets()[index]),
                                      static_cast<std::size_t>(field.size));
    if (isMemoType(field.typeCode)) {
        const auto text = readBlob(bytes, m_blobs ? &*m_blobs : nullptr, m_storage->blobPath().string());
        if (text.empty()) {
            return Null{};
        }
        return windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }
    return decodeField(field, bytes);
}

void Table::writeValue(std::size_t index, const Value& value) {
    const std::size_t stored = m_image->schema().fields.size();
    if (index >= stored) {
        m_calcValues[index - stored] = value;
        return;
    }
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        throw TableError("Ein Feld der Tabelle " + describe() +
                         " kann nicht geändert werden: es wird kein Datensatz bearbeitet oder eingefügt.");
    }
    const auto& field = m_image->schema().fields[index];
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(field.size));
    encodeField(field, toStoredValue(field, value), bytes);
    std::memcpy(m_buffer.data() + m_image->fieldOffsets()[index], bytes.data(), bytes.size());
}

void Table::fillMasterLink() {
    if (m_master == nullptr || !m_master->active() || m_master->isEmpty()) {
        return;
    }
    for (std::size_t i = 0; i < m_masterFields.size() && i < m_orderFields.size(); ++i) {
        const auto masterIndex = m_master->findField(m_masterFields[i]);
        if (!masterIndex) {
            continue;
        }
        const auto user = toUserValue(m_master->fieldDef(*masterIndex), m_master->readValue(*masterIndex));
        writeValue(m_orderFields[i], user);
    }
}

void Table::append() {
    checkNotEditing("An die Tabelle {} kann kein Datensatz angefügt werden");
    m_buffer.assign(static_cast<std::size_t>(m_image->recordSize()), 0);
    m_state = DataSetState::Insert;
    fillMasterLink();
    notifyChange();
}

void Table::edit() {
    checkNotEditing("Die Tabelle {} kann nicht bearbeitet werden");
    if (m_position == kNoRow) {
        throw TableError("Die Tabelle " + describe() +
                         " kann nicht bearbeitet werden: es gibt keinen aktuellen Datensatz.");
    }
    const auto record = recordAtPosition(m_position);
    m_buffer.assign(record.begin(), record.end());
    m_original = m_buffer;
    m_state = DataSetState::Edit;
}

void postOrCancel(Table& table, const std::function<void()>& fill) {
    try {
        fill();
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
}

void Table::cancel() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        return;
    }
    m_state = DataSetState::Browse;
    m_buffer.clear();
    m_original.clear();
    fetched();
}

std::size_t Table::locateForWrite(const std::vector<std::uint8_t>& original) const {
    const auto notFound = [&] {
        return TableError("Der Datensatz in der Tabelle " + describe() +
                          " wurde von einem anderen Benutzer geändert oder gelöscht.");
    };
    if (m_image->isKeyed()) {
        const std::span<const std::uint8_t> key(original.data(),
                                                static_cast<std::size_t>(m_image->keySize()));
        const auto row = m_image->lowerBound(key);
        if (row >= m_image->size() || std::memcmp(m_image->record(row).data(), key.data(), key.size()) != 0) {
            throw notFound();
        }
        return row;
    }
    const auto hint = m_position == kNoRow ? 0 : rowAt(m_position);
    const auto matches = [&](std::size_t row) {
        return std::memcmp(m_image->record(row).data(), original.data(), original.size()) == 0;
    };
    if (hint < m_image->size() && matches(hint)) {
        return hint;
    }
    for (std::size_t row = 0; row < m_image->size(); ++row) {
        if (matches(row)) {
            return row;
        }
    }
    throw notFound();
}

void Table::reloadAfterFailure() {
    load();
    buildOrder();
    computeRange();
}

void Table::relocate(std::span<const std::uint8_t> record) {
    const std::vector<std::uint8_t> copy(record.begin(), record.end());
    buildOrder();
    computeRange();
    std::size_t target = kNoRow;
    if (m_orderIsKeyPrefix && m_image->isKeyed()) {
        const std::span<const std::uint8_t> key(copy.data(), static_cast<std::size_t>(m_image->keySize()));
        const auto row = m_image->lowerBound(key);
        if (row >= m_rangeBegin && row < m_rangeEnd &&
            std::memcmp(m_image->record(row).data(), key.data(), key.size()) == 0) {
            target = row;
        }
    } else {
        for (std::size_t position = m_rangeBegin; position < m_rangeEnd; ++position) {
            if (std::memcmp(recordAtPosition(position).data(), copy.data(), copy.size()) == 0) {
                target = position;
                break;
            }
        }
    }
    if (target != kNoRow && accepts(target)) {
        m_eof = m_bof = false;
        moveTo(target);
        return;
    }
    first();
}

void Table::commitImage() {
    if (m_image->isKeyed()) {
        auto index = m_image->buildPrimaryIndex();
        m_storage->commit(*m_image, index, m_px);
        m_px = std::move(index);
    } else {
        m_storage->commit(*m_image, {}, std::nullopt);
    }
    m_sequence = m_storage->sequence();
}

void Table::commitUnderWriteLock(const std::function<void()>& change) {
    TableStorage::WriteLock lock(*m_storage);
    // Another program may have written since this view last read the table.
    if (m_storage->sequence() != m_sequence) {
        load();
        buildOrder();
    } else if (m_image.use_count() > 1) {
        m_image = std::make_shared<TableImage>(*m_image);
    }
    try {
        change();
        commitImage();
    } catch (...) {
        reloadAfterFailure();
        throw;
    }
}

void Table::post() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        throw TableError("In der Tabelle " + describe() +
                         " kann nichts gespeichert werden: es wird kein Datensatz bearbeitet.");
    }
    const auto record = m_buffer;
    commitUnderWriteLock([&] {
        std::size_t row = 0;
        if (m_state == DataSetState::Insert) {
            row = m_image->insert(record);
        } else {
            row = m_image->replace(locateForWrite(m_original), record);
        }
        m_record = {};
        const auto stored = m_image->record(row);
        m_buffer.assign(stored.begin(), stored.end());
    });
    const auto written = m_buffer;
    m_state = DataSetState::Browse;
    m_buffer.clear();
    m_original.clear();
    relocate(written);
}

void Table::appendRecords(const std::vector<std::vector<Value>>& records) {
    checkNotEditing("An die Tabelle {} können keine Datensätze angefügt werden");
    if (records.empty()) {
        return;
    }
    // Every record is encoded before the lock is taken, so a value that does not fit fails
    // without touching the table.
    const auto& fields = m_image->schema().fields;
    std::vector<std::vector<std::uint8_t>> encoded;
    encoded.reserve(records.size());
    for (const auto& values : records) {
        if (values.size() != fields.size()) {
            throw TableError("An die Tabelle " + describe() +
                             " können keine Datensätze angefügt werden: " + std::to_string(values.size()) +
                             " Werte für " + std::to_string(fields.size()) + " Felder.");
        }
        std::vector<std::uint8_t> record(static_cast<std::size_t>(m_image->recordSize()), 0);
        for (std::size_t index = 0; index < fields.size(); ++index) {
            const auto& field = fields[index];
            const std::span<std::uint8_t> bytes(record.data() + m_image->fieldOffsets()[index],
                                                static_cast<std::size_t>(field.size));
            encodeField(field, toStoredValue(field, values[index]), bytes);
        }
        encoded.push_back(std::move(record));
    }
    std::vector<std::uint8_t> written;
    commitUnderWriteLock([&] {
        std::size_t row = 0;
        for (const auto& record : encoded) {
            row = m_image->insert(record);
        }
        m_record = {};
        const auto stored = m_image->record(row);
        written.assign(stored.begin(), stored.end());
    });
    relocate(written);
}

void Table::deleteRecord() {
    checkNotEditing("Aus der Tabelle {} kann kein Datensatz gelöscht werden");
    if (m_position == kNoRow) {
        throw TableError("Aus der Tabelle " + describe() +
                         " kann kein Datensatz gelöscht werden: es gibt keinen aktuellen Datensatz.");
    }
    const auto current = recordAtPosition(m_position);
    const std::vector<std::uint8_t> original(current.begin(), current.end());
    const auto oldPosition = m_position;
    commitUnderWriteLock([&] {
        m_image->erase(locateForWrite(original));
        m_record = {};
    });
    buildOrder();
    computeRange();
    // The cursor moves to the row that followed the deleted one, or to the new last row.
    auto position = firstAcceptedFrom(std::max(oldPosition, m_rangeBegin));
    m_eof = position == kNoRow;
    if (position == kNoRow) {
        position = lastAcceptedBefore(m_rangeEnd);
    }
    m_bof = position == kNoRow;
    moveTo(position);
}

void Table::refresh() {
    checkNotEditing("Die Tabelle {} kann nicht neu gelesen werden");
    if (m_storage->sequence() == m_sequence) {
        fetched();
        return;
    }
    reloadKeepingPosition([this] { load(); });
}

void Table::refreshLike(const Table& other) {
    checkNotEditing("Die Tabelle {} kann nicht neu gelesen werden");
    const std::uint64_t current = m_storage->sequence();
    const bool otherHoldsIt = other.active() && other.m_state == DataSetState::Browse &&
                              other.m_env == m_env && other.m_storage->dbPath() == m_storage->dbPath() &&
                              other.m_sequence == current && !other.m_image->hasChanges();
    if (current == m_sequence || !otherHoldsIt) {
        refresh();
        return;
    }
    reloadKeepingPosition([this, &other] {
        m_image = other.m_image;
        m_file = other.m_file;
        m_px = other.m_px;
        m_blobs = other.m_blobs;
        m_sequence = other.m_sequence;
        m_record = {};
    });
}

void Table::reloadKeepingPosition(const std::function<void()>& reload) {
    std::vector<std::uint8_t> current;
    if (m_position != kNoRow) {
        const auto record = recordAtPosition(m_position);
        current.assign(record.begin(), record.end());
    }
    reload();
    if (current.empty()) {
        buildOrder();
        computeRange();
        first();
        return;
    }
    relocate(current);
}

void Table::createTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
    requireInactive("Die Tabelle {} kann nicht angelegt werden");
    createTable(tablePath(), fields, indexes, TableSchema{}.level, *m_env);
}

void Table::renameTable(const std::string& newName) {
    requireInactive("Die Tabelle {} kann nicht umbenannt werden");
    std::filesystem::path target(newName);
    if (target.is_relative()) {
        target = m_directory / target;
    }
    target = withTableExtension(target);
    renameTable(tablePath(), target, *m_env);
    m_tableName = target.filename().string();
}

void Table::deleteTable() {
    requireInactive("Die Tabelle {} kann nicht gelöscht werden");
    deleteTable(tablePath(), *m_env);
}

void Table::createTable(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                        const std::vector<IndexDef>& indexes, int level, Env& env) {
    TableSchema schema;
    schema.level = level;
    schema.fields = fields;
    for (const auto& index : indexes) {
        if (!index.primary) {
            throw TableError("Der Sekundärindex '" + index.name + "' der Tabelle " + path.string() +
                             " wird nicht unterstützt.");
        }
        const auto names = splitFieldNames(index.fields);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i >= fields.size() || !equalNames(fields[i].name, names[i])) {
                throw TableError("Der Primärindex '" + index.name + "' der Tabelle " + path.string() +
                                 " muss die vorderen Felder in ihrer Reihenfolge umfassen.");
            }
        }
        schema.keyFieldCount = static_cast<int>(names.size());
    }
    const auto target = resolveForCreate(env, path);
    if (const auto directory = target.parent_path(); !directory.empty()) {
        if (!isDirectory(env, directory)) {
            throw TableError("Die Tabelle " + target.string() +
                             " kann nicht angelegt werden: das Verzeichnis " + directory.string() +
                             " fehlt.");
        }
    }
    // Checked before the header is built, so that a message names the file and not only the
    // name that the header stores.
    validateSchema(schema, target.string());
    const auto tableName = target.stem().string();
    auto db = TableImage::emptyTable(schema, tableName);
    std::optional<std::vector<std::uint8_t>> px;
    if (schema.keyFieldCount > 0) {
        px = TableImage(db, target.string()).buildPrimaryIndex();
    }
    TableStorage::createFiles(target, db, px, env);
}

void Table::renameTable(const std::filesystem::path& path, const std::filesystem::path& newPath, Env& env) {
    const auto source = resolveExisting(env, path);
    if (!source) {
        throw missingTableError(env, path);
    }
    if (resolveExisting(env, newPath)) {
        throw TableError("Die Tabelle " + source->string() +
                         " kann nicht umbenannt werden: " + newPath.string() + " existiert bereits.");
    }
    TableStorage storage(*source, env);
    TableStorage::WriteLock lock(storage);
    // The table, its index and its blob file move together or not at all: a table whose
    // companions stayed behind (or went ahead) would no longer open or lose its memos.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> moves;
    for (const auto& companion : {resolveExisting(env, TableStorage::indexPathFor(*source, env)),
                                  resolveExisting(env, TableStorage::blobPathFor(*source, env))}) {
        if (companion) {
            auto target = newPath;
            target.replace_extension(companion->extension());
            moves.emplace_back(*companion, target);
        }
    }
    moves.emplace_back(*source, newPath);
    std::error_code error;
    std::size_t moved = 0;
    for (; moved < moves.size() && !error; ++moved) {
        error = renameFile(env, moves[moved].first, moves[moved].second);
    }
    if (error) {
        // The failed move is the last counted; the ones before it go back.
        for (std::size_t i = moved - 1; i-- > 0;) {
            renameFile(env, moves[i].second, moves[i].first);
        }
        throw TableError("Die Tabelle " + source->string() + " kann nicht in " + newPath.string() +
                         " umbenannt werden: " + systemErrorText(error) + ".");
    }
    removeFile(env, TableStorage::journalPathFor(*source));
    syncDirectory(env, newPath.parent_path());
}

void Table::deleteTable(const std::filesystem::path& path, Env& env) {
    const auto source = resolveExisting(env, path);
    if (!source) {
        throw missingTableError(env, path);
    }
    {
        TableStorage storage(*source, env);
        TableStorage::WriteLock lock(storage);
        std::error_code error;
        for (const auto& companion : {resolveExisting(env, TableStorage::indexPathFor(*source, env)),
                                      resolveExisting(env, TableStorage::blobPathFor(*source, env))}) {
            if (companion && !error) {
                error = removeFile(env, *companion);
            }
        }
        if (!error) {
            error = removeFile(env, *source);
        }
        if (error) {
            throw TableError("Die Tabelle " + source->string() +
                             " kann nicht gelöscht werden: " + systemErrorText(error) + ".");
        }
        removeFile(env, TableStorage::journalPathFor(*source));
    }
    syncDirectory(env, source->parent_path());
}

} // namespace marlovex::paradox
