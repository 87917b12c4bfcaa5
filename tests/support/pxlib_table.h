// Reading Paradox tables through pxlib, an implementation independent of ours, so that tests can
// prove that what our engine writes is what the family's other programs read.
//
// Not thread-safe: pxlib keeps global state; use from one test thread.
#pragma once

// pxlib's header declares C functions without C linkage for C++ callers.
extern "C" {
#include <paradox.h>
}

#include <filesystem>
#include <string>
#include <vector>

namespace marlovex::testing_support {

// One value as pxlib reports it. Alpha fields and blob fields (memo, formatted memo, binary: the
// bytes as stored) fill `text`; short, long, date, time and logical
// fields `integer`; number, currency and timestamp fields `number`.
struct OracleValue {
    bool null = true;
    long integer = 0;
    double number = 0;
    std::string text;
};

// A field of a table that pxlib creates: its name, pxlib's type code and its size in bytes.
struct PxlibColumn {
    const char* name;
    char type;
    int size;
};

// One pxlib document, closed and freed with the object.
class PxlibDocument {
public:
    PxlibDocument();
    ~PxlibDocument();
    PxlibDocument(const PxlibDocument&) = delete;
    PxlibDocument& operator=(const PxlibDocument&) = delete;

    pxdoc_t* get() { return m_doc; }
    void markOpen() { m_open = true; }

    // Creates the table at `path` as pxlib's `fileType` and keeps it open; false when pxlib
    // refuses.
    bool create(const std::vector<PxlibColumn>& columns, const std::filesystem::path& path, int fileType);
    // Appends one record, a value per field, through pxlib's own encoders; false when pxlib
    // refuses.
    bool insert(const std::vector<OracleValue>& row);

    // Reads every record through pxlib's own field decoders, which report empty fields.
    std::vector<std::vector<OracleValue>> readAll();

private:
    pxdoc_t* m_doc;
    bool m_open = false;
};

// A whole table as pxlib sees it: its field names and its records, in key order when the table
// has a primary index.
struct PxlibTable {
    std::vector<std::string> fields;
    std::vector<std::vector<OracleValue>> rows;

    // The value of field `name` in record `row`; fails the calling test when the field is missing.
    const OracleValue& at(std::size_t row, const std::string& name) const;
};

// Reads the table at `path` (and its primary index and blob file beside it, when there are
// some) through pxlib.
// Throws std::runtime_error when pxlib cannot open it.
PxlibTable readWithPxlib(const std::filesystem::path& path);

} // namespace marlovex::testing_support
