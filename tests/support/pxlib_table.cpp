#include "support/pxlib_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

// pxlib keeps some allocations of an opened primary index until exit; they are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpx.so\n";
}

namespace marlovex::testing_support {

PxlibDocument::PxlibDocument() {
    [[maybe_unused]] static const bool booted = (PX_boot(), true);
    m_doc = PX_new();
}

PxlibDocument::~PxlibDocument() {
    if (m_open) {
        PX_close(m_doc);
    }
    PX_delete(m_doc);
}

bool PxlibDocument::create(const std::vector<PxlibColumn>& columns, const std::filesystem::path& path,
                           int fileType) {
    // pxlib takes ownership of the field list.
    auto* fields = static_cast<pxfield_t*>(std::malloc(sizeof(pxfield_t) * columns.size()));
    for (std::size_t f = 0; f < columns.size(); ++f) {
        fields[f] = {::strdup(columns[f].name), columns[f].type, columns[f].size, 0};
    }
    if (PX_create_file(m_doc, fields, static_cast<int>(columns.size()), path.c_str(), fileType) != 0) {
        return false;
    }
    m_open = true;
    return true;
}

bool PxlibDocument::insert(const std::vector<OracleValue>& row) {
    std::vector<pxval_t> values(row.size());
    std::vector<std::string> texts(row.size());
    std::vector<pxval_t*> pointers;
    for (std::size_t f = 0; f < row.size(); ++f) {
        const char type = PX_get_field(m_doc, static_cast<int>(f))->px_ftype;
        values[f].isnull = row[f].null ? 1 : 0;
        values[f].type = type;
        if (type == pxfNumber || type == pxfCurrency || type == pxfTimestamp) {
            values[f].value.dval = row[f].number;
        } else if (type == pxfAlpha || type == pxfMemoBLOb || type == pxfFmtMemoBLOb || type == pxfBLOb) {
            texts[f] = row[f].text;
            values[f].value.str.val = texts[f].data();
            values[f].value.str.len = static_cast<int>(texts[f].size());
        } else {
            values[f].value.lval = row[f].integer;
        }
        pointers.push_back(&values[f]);
    }
    return PX_insert_record(m_doc, pointers.data()) >= 0;
}

std::vector<std::vector<OracleValue>> PxlibDocument::readAll() {
    std::vector<std::vector<OracleValue>> rows;
    const int count = PX_get_num_records(m_doc);
    const int fields = PX_get_num_fields(m_doc);
    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(m_doc)));
    for (int i = 0; i < count; ++i) {
        EXPECT_NE(PX_get_record(m_doc, i, record.data()), nullptr) << "record " << i;
        std::vector<OracleValue> row;
        int offset = 0;
        for (int f = 0; f < fields; ++f) {
            const pxfield_t* field = PX_get_field(m_doc, f);
            char* data = record.data() + offset;
            offset += field->px_flen;
            OracleValue value;
            switch (field->px_ftype) {
            case pxfAlpha: {
                char* text = nullptr;
                value.null = PX_get_data_alpha(m_doc, data, field->px_flen, &text) <= 0;
                if (text != nullptr) {
                    value.text = text;
                    m_doc->free(m_doc, text);
                }
                break;
            }
            case pxfShort: {
                short int number = 0;
                value.null = PX_get_data_short(m_doc, data, field->px_flen, &number) <= 0;
                value.integer = number;
                break;
            }
            case pxfLogical: {
                char flag = 0;
                value.null = PX_get_data_byte(m_doc, data, field->px_flen, &flag) <= 0;
                value.integer = flag;
                break;
            }
            case pxfMemoBLOb:
            case pxfFmtMemoBLOb:
            case pxfBLOb: {
                char* blob = nullptr;
                int modification = 0;
                int size = 0;
                const int result = PX_get_data_blob(m_doc, data, field->px_flen, &modification, &size, &blob);
                value.null = result <= 0 || blob == nullptr;
                if (blob != nullptr) {
                    value.text.assign(blob, static_cast<std::size_t>(size));
                    m_doc->free(m_doc, blob);
                }
                break;
            }
            case pxfNumber:
            case pxfCurrency:
            case pxfTimestamp:
                value.null = PX_get_data_double(m_doc, data, field->px_flen, &value.number) <= 0;
                break;
            default:
                // pxlib's long decoder does not report empty date and time fields; an empty
                // field is stored as all zero bytes.
                value.null = PX_get_data_long(m_doc, data, field->px_flen, &value.integer) <= 0 ||
                             std::all_of(data, data + field->px_flen, [](char c) { return c == 0; });
            }
            row.push_back(value);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const OracleValue& PxlibTable::at(std::size_t row, const std::string& name) const {
    static const OracleValue missing;
    const auto field = std::find(fields.begin(), fields.end(), name);
    if (field == fields.end() || row >= rows.size()) {
        ADD_FAILURE() << "pxlib read no field '" << name << "' in record " << row;
        return missing;
    }
    return rows[row][static_cast<std::size_t>(field - fields.begin())];
}

PxlibTable readWithPxlib(const std::filesystem::path& path) {
    PxlibDocument document;
    if (PX_open_file(document.get(), path.c_str()) != 0) {
        throw std::runtime_error("pxlib cannot open " + path.string());
    }
    document.markOpen();
    for (const auto* extension : {".MB", ".mb"}) {
        auto blobPath = path;
        blobPath.replace_extension(extension);
        if (std::filesystem::exists(blobPath)) {
            if (PX_set_blob_file(document.get(), blobPath.c_str()) != 0) {
                throw std::runtime_error("pxlib cannot open the blob file " + blobPath.string());
            }
            break;
        }
    }
    PxlibDocument index;
    std::filesystem::path indexPath = path;
    indexPath.replace_extension(".PX");
    if (!std::filesystem::exists(indexPath)) {
        indexPath.replace_extension(".px");
    }
    if (std::filesystem::exists(indexPath)) {
        if (PX_open_file(index.get(), indexPath.c_str()) != 0) {
            throw std::runtime_error("pxlib cannot open " + indexPath.string());
        }
        index.markOpen();
        if (PX_read_primary_index(index.get()) != 0 ||
            PX_add_primary_index(document.get(), index.get()) != 0) {
            throw std::runtime_error("pxlib cannot use the primary index " + indexPath.string());
        }
    }
    PxlibTable table;
    for (int f = 0; f < PX_get_num_fields(document.get()); ++f) {
        table.fields.emplace_back(PX_get_field(document.get(), f)->px_fname);
    }
    table.rows = document.readAll();
    return table;
}

} // namespace marlovex::testing_support
