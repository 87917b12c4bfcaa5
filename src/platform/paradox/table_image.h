// A table file held in memory: the .DB bytes, its block chain in key order and the edits that a
// write makes to it (insert, replace, erase), tracked page by page so that a commit writes and
// journals only the pages it changed.
//
// Rows are numbered 0..size()-1 in table order (key order for keyed tables). Keyed tables keep
// their key order and unique keys: a record goes into the block of its predecessor, a full block
// is split, an emptied block joins the free list. The primary index (.PX) is derived from the
// chain on demand.
//
// Not thread-safe: one owner at a time.
#pragma once

#include "platform/paradox/errors.h"
#include "platform/paradox/file_bytes.h"
#include "platform/paradox/table_format.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marlovex::paradox {

class TableImage {
public:
    // Blocks checked before, by block number, in a file of the given layout: their records are
    // in key order and their headers hold `links`. A reader that follows another program's
    // commits reads and checks only what they wrote.
    struct BlockLink {
        std::uint16_t next = 0;
        std::uint16_t back = 0;
        std::int16_t lastOffset = 0;
    };
    struct CheckedBlocks {
        int headerSize = 0;
        int blockSize = 0;
        int recordSize = 0;
        std::vector<bool> blocks;
        std::vector<BlockLink> links;
    };

    // Parses and validates a whole .DB file. Throws CorruptTableError naming `fileName` when the
    // header, the block chain, the record count or the key order is unsound; inside the blocks
    // of `checked` only where they meet their neighbours.
    TableImage(FileBytes dbBytes, std::string fileName, const CheckedBlocks* checked = nullptr);
    TableImage(std::span<const std::uint8_t> dbBytes, std::string fileName);

    // The bytes of a new, empty table.
    static std::vector<std::uint8_t> emptyTable(const TableSchema& schema, const std::string& tableName);

    const DbHeader& header() const { return m_header; }
    const TableSchema& schema() const { return m_header.schema; }
    const std::string& fileName() const { return m_fileName; }
    std::size_t size() const { return m_rowCount; }
    int recordSize() const { return m_header.recordSize; }
    int keySize() const { return m_keySize; }
    bool isKeyed() const { return m_header.schema.keyFieldCount > 0; }
    // Byte offset of each field inside a record.
    const std::vector<int>& fieldOffsets() const { return m_fieldOffsets; }

    std::span<const std::uint8_t> record(std::size_t row) const;

    // First row whose key starts at or after `keyPrefix` (compared over the prefix's length).
    std::size_t lowerBound(std::span<const std::uint8_t> keyPrefix) const;
    // First row whose key prefix is greater than `keyPrefix`.
    std::size_t upperBound(std::span<const std::uint8_t> keyPrefix) const;

    // Each returns the row at which the record now stands. Throw KeyViolationError when the key
    // is taken by another row.
    std::size_t insert(std::span<const std::uint8_t> record);
    std::size_t replace(std::size_t row, std::span<const std::uint8_t> record);
    void erase(std::size_t row);

    // The .PX file that indexes the current chain.
    std::vector<std::uint8_t> buildPrimaryIndex() const;
    // The first fault of a .PX file against the chain, or nullopt when it indexes it exactly.
    // The fault is a German clause that can follow "Die Tabelle … ist beschädigt: ".
    std::optional<std::string> primaryIndexFault(std::span<const std::uint8_t> pxBytes) const;

    // The file's bytes; the data blocks of a protected table are held decrypted.
    const FileBytes& bytes() const { return m_bytes; }
    // The blocks of this image's chain (an image without changes of its own) that `later`, a
    // later read of the same file as stored, holds unchanged.
    CheckedBlocks unchangedIn(std::span<const std::uint8_t> later) const;
    // The blocks of this image's chain that none of the byte ranges [offset, offset + length)
    // touches.
    CheckedBlocks untouchedBy(const std::vector<std::pair<std::uint64_t, std::size_t>>& ranges) const;
    // Hands the bytes over; the image is empty afterwards.
    FileBytes takeBytes() && { return std::move(m_bytes); }
    // The pages changed since the last markClean(), each with the bytes the file held before
    // the change (empty for pages beyond the file's former end) and the bytes it must hold now,
    // both as stored: encrypted for a protected table.
    struct PageChange {
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
        std::vector<std::uint8_t> before;
        std::vector<std::uint8_t> after;
    };
    std::vector<PageChange> changedPages() const;
    std::uint64_t sizeBeforeChanges() const { return m_cleanSize; }
    bool hasChanges() const { return !m_dirty.empty(); }
    void markClean();

private:
    struct ChainBlock {
        std::uint16_t number = 0;
        std::uint16_t count = 0;
    };

    // The cipher of a protected table: its stored blocks decrypted in place, and a page of the
    // file (header or block) as the file stores it.
    void decryptBlocks();
    void encryptPage(std::uint64_t offset, std::vector<std::uint8_t>& page) const;
    // `checked` only when it describes a file of this layout.
    void parseChain(const CheckedBlocks* checked);
    void checkKeyOrder(const CheckedBlocks* checked) const;
    CheckedBlocks chainBlocksWhere(const std::function<bool(std::uint64_t offset)>& keep) const;
    void recomputeStarts();
    std::size_t chainIndexOfRow(std::size_t row) const;
    std::uint64_t blockOffset(std::uint16_t number) const;
    std::uint8_t* slot(std::uint16_t block, std::size_t index);
    const std::uint8_t* slot(std::uint16_t block, std::size_t index) const;
    int compareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) const;
    std::size_t capacity() const;
    void touch(std::uint64_t offset, std::uint32_t length);
    void touchBlock(std::uint16_t number);
    void writeBlockHeader(std::uint16_t number, std::uint16_t next, std::uint16_t previous, int count);
    std::uint16_t allocateBlock();
    void releaseBlock(std::uint16_t number);
    void relinkChain();
    void insertAt(std::size_t chainIndex, std::size_t position, std::span<const std::uint8_t> record);
    void assignAutoIncrement(std::vector<std::uint8_t>& record);
    void syncHeader();
    void checkRecordSize(std::span<const std::uint8_t> record) const;
    KeyViolationError keyViolation() const;
    TableError missingRecord(std::size_t row) const;

    std::string m_fileName;
    FileBytes m_bytes;
    DbHeader m_header;
    std::vector<int> m_fieldOffsets;
    int m_keySize = 0;
    std::vector<ChainBlock> m_chain;
    std::vector<std::size_t> m_starts;
    // The chain block of the last row looked up: scans then find each row in constant time.
    mutable std::size_t m_lastChainIndex = 0;
    std::size_t m_rowCount = 0;
    // Dirty pages by offset, with their bytes before the first change.
    std::map<std::uint64_t, std::pair<std::uint32_t, std::vector<std::uint8_t>>> m_dirty;
    std::uint64_t m_cleanSize = 0;
};

} // namespace marlovex::paradox
