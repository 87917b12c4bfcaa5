// The layout of Paradox table files: the .DB header (level, fields, key, block geometry, block
// chain ends) and the .PX primary index header, parsed from and written to bytes.
//
// Pure functions and value types; thread-safe.
#pragma once

#include "platform/paradox/block_cipher.h"
#include "platform/paradox/field.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marlovex::paradox {

struct TableSchema {
    // Paradox table level: 4, 5 or 7.
    int level = 7;
    std::vector<FieldDef> fields;
    // The first keyFieldCount fields form the primary key; 0 for a table without key.
    int keyFieldCount = 0;
};

// Offsets and constants of the file headers that the engine reads or writes.
namespace layout {
constexpr std::size_t kBlockHeaderSize = 6;
constexpr std::uint16_t kHeaderSize = 0x0800;
constexpr std::uint8_t kKeyedTable = 0;
constexpr std::uint8_t kIndexFile = 1;
constexpr std::uint8_t kUnkeyedTable = 2;
// Block size code written for new tables: 4 KB blocks.
constexpr std::uint8_t kDefaultBlockSizeCode = 4;
} // namespace layout

struct DbHeader {
    TableSchema schema;
    std::string tableName;
    int recordSize = 0;
    int headerSize = layout::kHeaderSize;
    int blockSize = 4096;
    std::uint8_t blockSizeCode = layout::kDefaultBlockSizeCode;
    std::uint32_t recordCount = 0;
    std::uint16_t usedBlocks = 0;
    std::uint16_t fileBlocks = 0;
    std::uint16_t firstBlock = 0;
    std::uint16_t lastBlock = 0;
    std::uint16_t firstFreeBlock = 0;
    std::uint32_t autoIncrement = 0;
    // For a password-protected table, whose data blocks are stored encrypted: the check value
    // of its password and the key taken from it; 0 and none for an unprotected table.
    std::uint32_t passwordCheck = 0;
    std::optional<BlockKey> encryptionKey;
};

// Parses and validates the header of a .DB file; `fileName` names the file in errors. Throws
// CorruptTableError for a damaged header and TableError for tables the engine cannot open
// (other levels).
DbHeader parseDbHeader(std::span<const std::uint8_t> file, const std::string& fileName);

// A complete header block for `header` (headerSize bytes).
std::vector<std::uint8_t> buildDbHeader(const DbHeader& header);
// Rewrites the counters of an existing header block in place, keeping every byte the engine
// does not own (other tools' settings survive our writes).
void updateDbHeaderCounters(const DbHeader& header, std::span<std::uint8_t> headerBytes);

// Validates a schema for creation; throws TableError naming the offending field.
void validateSchema(const TableSchema& schema, const std::string& tableName);
// The header of a new, empty table.
DbHeader newDbHeader(const TableSchema& schema, const std::string& tableName);

// Little-endian helpers for headers and block headers.
std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset);
void writeU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void writeU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

} // namespace marlovex::paradox
