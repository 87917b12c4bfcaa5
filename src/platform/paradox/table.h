// A table view: a cursor over one Paradox table, as the windows use it. It names the table by
// directory and file name, orders the rows by the primary key or by other fields, can follow
// the current row of a master view (showing only the rows whose link fields match), can hide
// rows through a filter callback, computes calculated fields through a callback for each row it
// moves to, searches keys exactly (findKey) and by nearest match (findNearest), and edits rows
// (append / edit / post / cancel / deleteRecord), each post being one atomic commit, and appends
// several records in one atomic commit (appendRecords).
//
// Date-time values are the program's doubles (days since 1899-12-30); the view converts them to
// and from the table's date, time and timestamp fields.
//
// Not thread-safe: a view and its master and details belong to one thread. Views in other
// threads or processes may use the same table at the same time.
#pragma once

#include "platform/env/env.h"
#include "platform/paradox/field.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table_format.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marlovex::paradox {

class TableImage;
class TableStorage;
class Table;

enum class TableType { Default, Paradox };
enum class DataSetState { Inactive, Browse, Edit, Insert };

// An index definition for createTable: a name, the fields ("FIRMA;ZEIT") and whether it is the
// primary index (the only kind the engine creates).
struct IndexDef {
    std::string name;
    std::string fields;
    bool primary = true;
};

// A field of the view's current row, or of the row being edited.
class FieldRef {
public:
    FieldRef(Table& table, std::size_t index);

    const std::string& name() const;
    bool isNull() const;
    // Empty values read as 0, 0.0, "" and false.
    std::int64_t asInteger() const;
    double asFloat() const;
    double asDateTime() const;
    std::string asString() const;
    bool asBoolean() const;
    Value value() const;

    void setInteger(std::int64_t value);
    void setFloat(double value);
    void setDateTime(double value);
    void setString(const std::string& value);
    void setBoolean(bool value);
    void setValue(const Value& value);
    void clear();

private:
    Table& m_table;
    std::size_t m_index;
};

class Table {
public:
    using FilterCallback = std::function<bool(Table&)>;
    using CalcCallback = std::function<void(Table&)>;
    using ChangeListener = std::function<void()>;

    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Configuration; changes of directory, name and type take effect at the next open().
    void setDatabaseName(const std::filesystem::path& directory);
    const std::filesystem::path& databaseName() const { return m_directory; }
    void setTableName(const std::string& name);
    const std::string& tableName() const { return m_tableName; }
    void setTableType(TableType type) { m_type = type; }
    TableType tableType() const { return m_type; }
    // The path the view resolves its table name to (case-insensitively when it exists).
    std::filesystem::path tablePath() const;
    // The file system the view and its table files use; the real one unless set. `env` must
    // outlive the view. Takes effect at the next open().
    void setEnv(Env& env) { m_env = &env; }

    // The order: an index name ("" = primary) or field names separated by ';'.
    void setIndexName(const std::string& name);
    void setIndexFieldNames(const std::string& fieldNames);

    // Links the view to a master view: only rows whose leading order fields equal the master's
    // `masterFields` (';'-separated) are shown, and the view returns to its first such row
    // whenever the master moves. nullptr unlinks.
    void setMasterSource(Table* master, const std::string& masterFields);

    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    void setOnFilterRecord(FilterCallback callback);
    void setOnCalcFields(CalcCallback callback);
    // Declares a calculated field; its value is empty until the calc callback sets it.
    void addCalculatedField(const std::string& name, FieldType type);

    void open();
    void close();
    void setActive(bool active);
    bool active() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }

    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    // Rows in the view's range (master link applied, filter not counted).
    std::size_t recordCount() const;
    // Hands `read` the view standing on each row of its range from position `from` up to `to`
    // (clamped to the range; master link applied, filter not), for reads of stored fields. The
    // cursor stays and no row is calculated: for readers that keep their own copy of the rows
    // and read only those added since.
    void readRows(std::size_t from, std::size_t to, const std::function<void(Table&)>& read);

    // Moves to the row whose leading order fields equal `values` and returns true; returns
    // false and leaves the cursor where it was when there is none.
    bool findKey(const std::vector<Value>& values);
    // Moves to the first row whose leading order fields are at or after `values`, or to the
    // last row when there is none.
    void findNearest(const std::vector<Value>& values);

    std::size_t fieldCount() const;
    FieldRef field(const std::string& name);
    FieldRef field(std::size_t index);
    std::optional<std::size_t> findField(const std::string& name) const;
    const FieldDef& fieldDef(std::size_t index) const;

    void append();
    void edit();
    void post();
    // Appends `records` in one commit: every record is stored, or on any failure (a value that
    // does not fit, a taken key, another writer's lock) none is. Values in field order as
    // FieldRef::setValue takes them: date-times as days since 1899-12-30, Null for an empty
    // field. The view must be browsing; afterwards it stands on the last record appended.
    void appendRecords(const std::vector<std::vector<Value>>& records);
    void cancel();
    void deleteRecord();
    // Re-reads the table when another view or process committed since the last read.
    void refresh();
    // As refresh(), but takes a copy of `other`'s rows when `other` views the same table file
    // and has read the commit that is current: several views of one table in a window then read
    // and check each commit once.
    void refreshLike(const Table& other);

    // While disabled (calls nest), listeners are not told; enabling tells them once if anything
    // changed meanwhile.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }
    void addChangeListener(ChangeListener listener);

    // Table files. createTable replaces an existing table of that name.
    void createTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes);
    void renameTable(const std::string& newName);
    void deleteTable();
    static void createTable(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                            const std::vector<IndexDef>& indexes, int level = 7, Env& env = Env::posix());
    static void renameTable(const std::filesystem::path& path, const std::filesystem::path& newPath,
                            Env& env = Env::posix());
    static void deleteTable(const std::filesystem::path& path, Env& env = Env::posix());

private:
    friend class FieldRef;

    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

    // `operation` is the start of the error sentence with "{}" for the table ("Die Tabelle {}
    // kann nicht umbenannt werden"); the check adds the reason.
    void requireActive(const char* operation) const;
    void requireInactive(const char* operation) const;
    void load();
    struct LoadedState {
        std::shared_ptr<TableImage> image;
        std::optional<std::vector<std::uint8_t>> px;
        std::optional<std::vector<std::uint8_t>> blobs;
        std::uint64_t sequence = 0;
        FileIdentity file;
    };
    // The spare image brought up to the current commit through the change log; empty when the
    // log cannot do that. The spare is used up either way.
    std::optional<LoadedState> loadChanges();
    void buildOrder();
    void computeRange();
    std::size_t rowAt(std::size_t position) const;
    std::span<const std::uint8_t> currentRecord() const;
    std::span<const std::uint8_t> recordAtPosition(std::size_t position) const;
    bool accepts(std::size_t position);
    std::size_t firstAcceptedFrom(std::size_t position);
    std::size_t lastAcceptedBefore(std::size_t end);
    void moveTo(std::size_t position);
    void fetched();
    void notifyChange();
    void masterMoved();
    int compareAtPosition(std::size_t position, const std::vector<std::uint8_t>& key,
                          std::size_t fieldCount) const;
    std::size_t lowerBoundKey(const std::vector<std::uint8_t>& key, std::size_t fieldCount) const;
    std::size_t upperBoundKey(const std::vector<std::uint8_t>& key, std::size_t fieldCount) const;
    std::vector<std::uint8_t> encodeKey(const std::vector<Value>& values) const;
    void checkNotEditing(const char* operation);
    void reloadAfterFailure();
    // Replaces the rows through `reload` and returns to the current row, or to the first.
    void reloadKeepingPosition(const std::function<void()>& reload);
    // Commits the image's changes with a primary index that matches them; the write lock is held.
    void commitImage();
    // Takes the write lock, brings the image up to what is committed, applies `change` to it and
    // commits; a failure restores the committed state before it is passed on.
    void commitUnderWriteLock(const std::function<void()>& change);
    void relocate(std::span<const std::uint8_t> record);
    void fillMasterLink();
    std::size_t locateForWrite(const std::vector<std::uint8_t>& original) const;
    std::string describe() const;

    Value readValue(std::size_t index) const;
    // The stored bytes of field `index` in the current row; empty for calculated fields and when
    // there is no row.
    std::span<const std::uint8_t> fieldBytes(std::size_t index) const;
    void writeValue(std::size_t index, const Value& value);

    Env* m_env = &Env::posix();
    std::filesystem::path m_directory;
    std::string m_tableName;
    TableType m_type = TableType::Default;
    std::string m_indexName;
    std::string m_indexFieldNames;

    Table* m_master = nullptr;
    std::vector<std::string> m_masterFields;
    std::vector<Table*> m_details;

    bool m_filtered = false;
    FilterCallback m_filter;
    CalcCallback m_calc;
    std::vector<FieldDef> m_calcDefs;
    std::vector<Value> m_calcValues;

    std::unique_ptr<TableStorage> m_storage;
    // Views of one file may share an image (see refreshLike); a write copies it first.
    std::shared_ptr<TableImage> m_image;
    std::optional<std::vector<std::uint8_t>> m_px;
    // The blob file, read with the table so that memo texts match the records.
    std::optional<std::vector<std::uint8_t>> m_blobs;
    std::uint64_t m_sequence = 0;
    // The .DB file the image was read from.
    FileIdentity m_file;
    // The image this view showed before the current one, with its count: once no other view
    // shows it either, the next reload patches it with what the commits since then wrote.
    std::shared_ptr<TableImage> m_spare;
    std::uint64_t m_spareSequence = 0;
    FileIdentity m_spareFile;

    std::vector<std::size_t> m_orderFields;
    bool m_orderIsKeyPrefix = true;
    std::vector<std::uint32_t> m_order;
    std::size_t m_rangeBegin = 0;
    std::size_t m_rangeEnd = 0;
    std::size_t m_position = kNoRow;
    // The current row's bytes, found once per move; empty until needed.
    mutable std::span<const std::uint8_t> m_record;
    std::size_t m_probe = kNoRow;
    bool m_eof = true;
    bool m_bof = true;

    DataSetState m_state = DataSetState::Inactive;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_original;

    std::vector<ChangeListener> m_listeners;
    int m_disableCount = 0;
    bool m_changePending = false;
};

// Fills the row being edited or appended through `fill` and posts it. Any failure cancels the row
// before it goes on to the caller, so a half-filled row is never stored.
void postOrCancel(Table& table, const std::function<void()>& fill);

} // namespace marlovex::paradox
