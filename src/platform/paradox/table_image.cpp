#include "platform/paradox/table_image.h"

#include "platform/paradox/errors.h"

#include <algorithm>
#include <cstring>

namespace marlovex::paradox {

namespace {

constexpr std::size_t kBlockHeader = layout::kBlockHeaderSize;

} // namespace

TableImage::TableImage(std::span<const std::uint8_t> dbBytes, std::string fileName)
    : TableImage(FileBytes(dbBytes.begin(), dbBytes.end()), std::move(fileName)) {}

TableImage::TableImage(FileBytes dbBytes, std::string fileName, const CheckedBlocks* checked)
    : m_fileName(std::move(fileName))
    , m_bytes(std::move(dbBytes))
    , m_header(parseDbHeader(m_bytes, m_fileName)) {
    int offset = 0;
    for (const auto& field : m_header.schema.fields) {
        m_fieldOffsets.push_back(offset);
        offset += field.size;
    }
    for (int i = 0; i < m_header.schema.keyFieldCount; ++i) {
        m_keySize += m_header.schema.fields[static_cast<std::size_t>(i)].size;
    }
    if (m_header.encryptionKey) {
        decryptBlocks();
    }
    if (checked != nullptr &&
        (checked->headerSize != m_header.headerSize || checked->blockSize != m_header.blockSize ||
         checked->recordSize != m_header.recordSize)) {
        checked = nullptr;
    }
    parseChain(checked);
    checkKeyOrder(checked);
    m_cleanSize = m_bytes.size();
}

std::vector<std::uint8_t> TableImage::emptyTable(const TableSchema& schema, const std::string& tableName) {
    return buildDbHeader(newDbHeader(schema, tableName));
}

void TableImage::decryptBlocks() {
    const auto blockSize = static_cast<std::size_t>(m_header.blockSize);
    for (std::size_t index = 0;; ++index) {
        const std::size_t offset = static_cast<std::size_t>(m_header.headerSize) + index * blockSize;
        if (offset + blockSize > m_bytes.size()) {
            return;
        }
        decryptBlock(std::span<std::uint8_t>(m_bytes.data() + offset, blockSize), index,
                     *m_header.encryptionKey);
    }
}

void TableImage::encryptPage(std::uint64_t offset, std::vector<std::uint8_t>& page) const {
    const auto headerSize = static_cast<std::uint64_t>(m_header.headerSize);
    if (!m_header.encryptionKey || page.empty() || offset < headerSize) {
        return;
    }
    const auto index =
        static_cast<std::size_t>((offset - headerSize) / static_cast<std::uint64_t>(m_header.blockSize));
    encryptBlock(page, index, *m_header.encryptionKey);
}

void TableImage::parseChain(const CheckedBlocks* checked) {
    const auto corrupt = [&](const std::string& what) {
        return CorruptTableError("Die Tabelle " + m_fileName + " ist beschädigt: " + what + ".");
    };
    const auto expectedSize = static_cast<std::uint64_t>(m_header.headerSize) +
                              std::uint64_t{m_header.fileBlocks} * m_header.blockSize;
    if (m_bytes.size() < expectedSize) {
        throw corrupt("die Datei ist abgeschnitten (" + std::to_string(m_bytes.size()) + " von " +
                      std::to_string(expectedSize) + " Bytes)");
    }
    m_bytes.resize(expectedSize);
    std::vector<bool> visited(std::size_t{m_header.fileBlocks} + 1, false);
    std::uint16_t previous = 0;
    for (std::uint16_t number = m_header.firstBlock; number != 0;) {
        if (number > m_header.fileBlocks) {
            throw corrupt("die Blockkette verweist auf den Block " + std::to_string(number) +
                          " hinter dem Dateiende");
        }
        if (visited[number]) {
            throw corrupt("die Blockkette läuft beim Block " + std::to_string(number) + " im Kreis");
        }
        visited[number] = true;
        BlockLink link;
        if (checked != nullptr && number < checked->blocks.size() && checked->blocks[number]) {
            // Spares a look at a header that may not have been in the cache for a while.
            link = checked->links[number];
        } else {
            const std::span<const std::uint8_t> block(m_bytes.data() + blockOffset(number), kBlockHeader);
            link = {.next = readU16(block, 0),
                    .back = readU16(block, 2),
                    .lastOffset = static_cast<std::int16_t>(readU16(block, 4))};
        }
        const auto [next, back, lastOffset] = link;
        if (back != previous) {
            throw corrupt("Block " + std::to_string(number) + " verweist zurück auf Block " +
                          std::to_string(back) + " statt auf Block " + std::to_string(previous));
        }
        const int used = lastOffset + m_header.recordSize;
        if (used < 0 || used % m_header.recordSize != 0 ||
            used > static_cast<int>(m_header.blockSize - kBlockHeader)) {
            throw corrupt("Block " + std::to_string(number) + " hat eine ungültige Satzanzahl");
        }
        m_chain.push_back({number, static_cast<std::uint16_t>(used / m_header.recordSize)});
        previous = number;
        number = next;
    }
    if (!m_chain.empty() && m_chain.back().number != m_header.lastBlock) {
        throw corrupt("die Blockkette endet nicht beim letzten Block " + std::to_string(m_header.lastBlock));
    }
    recomputeStarts();
    if (m_rowCount != m_header.recordCount) {
        throw corrupt("der Tabellenkopf zählt " + std::to_string(m_header.recordCount) +
                      " Datensätze, die Blöcke enthalten " + std::to_string(m_rowCount));
    }
}

TableImage::CheckedBlocks
TableImage::chainBlocksWhere(const std::function<bool(std::uint64_t offset)>& keep) const {
    CheckedBlocks checked{.headerSize = m_header.headerSize,
                          .blockSize = m_header.blockSize,
                          .recordSize = m_header.recordSize,
                          .blocks = std::vector<bool>(std::size_t{m_header.fileBlocks} + 1, false),
                          .links = std::vector<BlockLink>(std::size_t{m_header.fileBlocks} + 1)};
    if (hasChanges()) {
        return checked;
    }
    for (std::size_t i = 0; i < m_chain.size(); ++i) {
        const auto number = m_chain[i].number;
        checked.blocks[number] = keep(blockOffset(number));
        checked.links[number] = {.next = i + 1 < m_chain.size() ? m_chain[i + 1].number : std::uint16_t{0},
                                 .back = i > 0 ? m_chain[i - 1].number : std::uint16_t{0},
                                 .lastOffset =
                                     static_cast<std::int16_t>((m_chain[i].count - 1) * m_header.recordSize)};
    }
    return checked;
}

TableImage::CheckedBlocks TableImage::unchangedIn(std::span<const std::uint8_t> later) const {
    const auto blockSize = static_cast<std::size_t>(m_header.blockSize);
    // A protected table's stored blocks differ from the decrypted ones here: all are checked.
    return chainBlocksWhere([&](std::uint64_t offset) {
        return !m_header.encryptionKey && offset + blockSize <= later.size() &&
               std::memcmp(later.data() + offset, m_bytes.data() + offset, blockSize) == 0;
    });
}

TableImage::CheckedBlocks
TableImage::untouchedBy(const std::vector<std::pair<std::uint64_t, std::size_t>>& ranges) const {
    const auto blockSize = static_cast<std::uint64_t>(m_header.blockSize);
    return chainBlocksWhere([&](std::uint64_t offset) {
        return std::none_of(ranges.begin(), ranges.end(), [&](const auto& range) {
            return range.first < offset + blockSize && offset < range.first + range.second;
        });
    });
}

void TableImage::checkKeyOrder(const CheckedBlocks* checked) const {
    if (!isKeyed()) {
        return;
    }
    const auto wasChecked = [&](std::uint16_t number) {
        return checked != nullptr && number < checked->blocks.size() && checked->blocks[number];
    };
    const std::uint8_t* previous = nullptr;
    const ChainBlock* before = nullptr;
    std::size_t row = 0;
    for (const auto& block : m_chain) {
        // A block checked before is in order inside. Its first record must still follow whatever
        // now precedes it, unless that is the same checked block as then.
        const bool orderedInside = wasChecked(block.number);
        const bool seamChecked = orderedInside && before != nullptr && before->count > 0 &&
                                 wasChecked(before->number) &&
                                 checked->links[block.number].back == before->number;
        const std::size_t compared = seamChecked     ? 0
                                     : orderedInside ? std::min<std::size_t>(1, block.count)
                                                     : block.count;
        for (std::size_t i = 0; i < compared; ++i) {
            const auto* current = slot(block.number, i);
            if (previous != nullptr &&
                compareKeys(previous, current, static_cast<std::size_t>(m_keySize)) >= 0) {
                throw CorruptTableError("Die Tabelle " + m_fileName + " ist beschädigt: Datensatz " +
                                        std::to_string(row + i + 1) +
                                        " steht nicht in Schlüsselreihenfolge.");
            }
            previous = current;
        }
        if (block.count > 0) {
            previous = slot(block.number, block.count - 1u);
        }
        row += block.count;
        before = &block;
    }
}

void TableImage::recomputeStarts() {
    m_lastChainIndex = 0;
    m_starts.resize(m_chain.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < m_chain.size(); ++i) {
        m_starts[i] = total;
        total += m_chain[i].count;
    }
    m_rowCount = total;
}

std::size_t TableImage::chainIndexOfRow(std::size_t row) const {
    for (auto candidate = m_lastChainIndex; candidate < m_chain.size() && candidate <= m_lastChainIndex + 1;
         ++candidate) {
        if (row >= m_starts[candidate] && row < m_starts[candidate] + m_chain[candidate].count) {
            m_lastChainIndex = candidate;
            return candidate;
        }
    }
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    m_lastChainIndex = static_cast<std::size_t>(it - m_starts.begin()) - 1;
    return m_lastChainIndex;
}

std::uint64_t TableImage::blockOffset(std::uint16_t number) const {
    return static_cast<std::uint64_t>(m_header.headerSize) + std::uint64_t{number - 1u} * m_header.blockSize;
}

std::uint8_t* TableImage::slot(std::uint16_t block, std::size_t index) {
    return m_bytes.data() + blockOffset(block) + kBlockHeader +
           index * static_cast<std::size_t>(m_header.recordSize);
}

const std::uint8_t* TableImage::slot(std::uint16_t block, std::size_t index) const {
    return m_bytes.data() + blockOffset(block) + kBlockHeader +
           index * static_cast<std::size_t>(m_header.recordSize);
}

std::span<const std::uint8_t> TableImage::record(std::size_t row) const {
    const auto index = chainIndexOfRow(row);
    return {slot(m_chain[index].number, row - m_starts[index]),
            static_cast<std::size_t>(m_header.recordSize)};
}

int TableImage::compareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) const {
    return std::memcmp(a, b, length);
}

std::size_t TableImage::capacity() const {
    return (static_cast<std::size_t>(m_header.blockSize) - kBlockHeader) /
           static_cast<std::size_t>(m_header.recordSize);
}

std::size_t TableImage::lowerBound(std::span<const std::uint8_t> keyPrefix) const {
    std::size_t low = 0;
    std::size_t high = m_rowCount;
    while (low < high) {
        const auto middle = low + (high - low) / 2;
        if (compareKeys(record(middle).data(), keyPrefix.data(), keyPrefix.size()) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::size_t TableImage::upperBound(std::span<const std::uint8_t> keyPrefix) const {
    std::size_t low = 0;
    std::size_t high = m_rowCount;
    while (low < high) {
        const auto middle = low + (high - low) / 2;
        if (compareKeys(record(middle).data(), keyPrefix.data(), keyPrefix.size()) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

void TableImage::touch(std::uint64_t offset, std::uint32_t length) {
    if (m_dirty.count(offset) != 0) {
        return;
    }
    std::vector<std::uint8_t> before;
    if (offset < m_cleanSize) {
        before.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                      m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }
    m_dirty.emplace(offset, std::make_pair(length, std::move(before)));
}

void TableImage::touchBlock(std::uint16_t number) {
    touch(blockOffset(number), static_cast<std::uint32_t>(m_header.blockSize));
}

void TableImage::writeBlockHeader(std::uint16_t number, std::uint16_t next, std::uint16_t previous,
                                  int count) {
    touchBlock(number);
    const std::span<std::uint8_t> block(m_bytes.data() + blockOffset(number), kBlockHeader);
    writeU16(block, 0, next);
    writeU16(block, 2, previous);
    writeU16(block, 4, static_cast<std::uint16_t>((count - 1) * m_header.recordSize));
}

std::uint16_t TableImage::allocateBlock() {
    // A free list that points into the chain or beyond the file is ignored rather than trusted:
    // taking such a block would overwrite records.
    const auto isFree = [&](std::uint16_t number) {
        return number != 0 && number <= m_header.fileBlocks &&
               std::none_of(m_chain.begin(), m_chain.end(),
                            [&](const ChainBlock& block) { return block.number == number; });
    };
    if (m_header.firstFreeBlock != 0 && !isFree(m_header.firstFreeBlock)) {
        m_header.firstFreeBlock = 0;
    }
    if (m_header.firstFreeBlock != 0) {
        const auto number = m_header.firstFreeBlock;
        touchBlock(number);
        m_header.firstFreeBlock =
            readU16(std::span<const std::uint8_t>(m_bytes.data() + blockOffset(number), 2), 0);
        ++m_header.usedBlocks;
        return number;
    }
    if (m_header.fileBlocks == 0xFFFF) {
        throw TableError("Die Tabelle " + m_fileName + " ist voll.");
    }
    const auto number = static_cast<std::uint16_t>(m_header.fileBlocks + 1);
    m_header.fileBlocks = number;
    ++m_header.usedBlocks;
    m_bytes.resize(m_bytes.size() + static_cast<std::size_t>(m_header.blockSize), 0);
    touchBlock(number);
    return number;
}

void TableImage::releaseBlock(std::uint16_t number) {
    touchBlock(number);
    std::memset(m_bytes.data() + blockOffset(number), 0, static_cast<std::size_t>(m_header.blockSize));
    writeBlockHeader(number, m_header.firstFreeBlock, 0, 0);
    m_header.firstFreeBlock = number;
    --m_header.usedBlocks;
}

void TableImage::relinkChain() {
    for (std::size_t i = 0; i < m_chain.size(); ++i) {
        const std::uint16_t next = i + 1 < m_chain.size() ? m_chain[i + 1].number : 0;
        const std::uint16_t previous = i > 0 ? m_chain[i - 1].number : 0;
        const auto number = m_chain[i].number;
        const std::span<const std::uint8_t> block(m_bytes.data() + blockOffset(number), kBlockHeader);
        const auto lastOffset = static_cast<std::uint16_t>((m_chain[i].count - 1) * m_header.recordSize);
        if (readU16(block, 0) != next || readU16(block, 2) != previous || readU16(block, 4) != lastOffset) {
            writeBlockHeader(number, next, previous, m_chain[i].count);
        }
    }
    recomputeStarts();
    syncHeader();
}

void TableImage::syncHeader() {
    m_header.recordCount = static_cast<std::uint32_t>(m_rowCount);
    m_header.firstBlock = m_chain.empty() ? 0 : m_chain.front().number;
    m_header.lastBlock = m_chain.empty() ? 0 : m_chain.back().number;
    touch(0, static_cast<std::uint32_t>(m_header.headerSize));
    updateDbHeaderCounters(
        m_header, std::span<std::uint8_t>(m_bytes.data(), static_cast<std::size_t>(m_header.headerSize)));
}

void TableImage::checkRecordSize(std::span<const std::uint8_t> record) const {
    if (record.size() != static_cast<std::size_t>(m_header.recordSize)) {
        throw TableError("Ein Datensatz der Tabelle " + m_fileName + " muss " +
                         std::to_string(m_header.recordSize) + " Bytes lang sein.");
    }
}

KeyViolationError TableImage::keyViolation() const {
    return KeyViolationError("Schlüsselverletzung in der Tabelle " + m_fileName +
                             ": der Schlüssel ist schon vergeben.");
}

TableError TableImage::missingRecord(std::size_t row) const {
    return TableError("Der Datensatz " + std::to_string(row + 1) + " der Tabelle " + m_fileName +
                      " existiert nicht.");
}

void TableImage::assignAutoIncrement(std::vector<std::uint8_t>& record) {
    for (std::size_t i = 0; i < m_header.schema.fields.size(); ++i) {
        const auto& field = m_header.schema.fields[i];
        if (field.type() != FieldType::AutoIncrement) {
            continue;
        }
        const std::span<std::uint8_t> bytes(record.data() + m_fieldOffsets[i],
                                            static_cast<std::size_t>(field.size));
        const auto value = decodeField(field, bytes);
        if (isNull(value)) {
            const auto next = static_cast<std::int64_t>(m_header.autoIncrement) + 1;
            encodeField(field, next, bytes);
            m_header.autoIncrement = static_cast<std::uint32_t>(next);
        } else if (const auto* given = std::get_if<std::int64_t>(&value);
                   given && *given > m_header.autoIncrement) {
            m_header.autoIncrement = static_cast<std::uint32_t>(*given);
        }
    }
}

void TableImage::insertAt(std::size_t chainIndex, std::size_t position,
                          std::span<const std::uint8_t> record) {
    const auto recordSize = static_cast<std::size_t>(m_header.recordSize);
    auto& target = m_chain[chainIndex];
    if (target.count < capacity()) {
        touchBlock(target.number);
        auto* at = slot(target.number, position);
        std::memmove(at + recordSize, at, (target.count - position) * recordSize);
        std::memcpy(at, record.data(), recordSize);
        ++target.count;
        return;
    }
    const auto fresh = allocateBlock();
    const bool appendAtEnd = chainIndex + 1 == m_chain.size() && position == target.count;
    m_chain.insert(m_chain.begin() + static_cast<std::ptrdiff_t>(chainIndex) + 1, ChainBlock{fresh, 0});
    auto& full = m_chain[chainIndex];
    auto& added = m_chain[chainIndex + 1];
    if (appendAtEnd) {
        std::memcpy(slot(fresh, 0), record.data(), recordSize);
        added.count = 1;
        return;
    }
    // Split: the upper half moves to the new block, then the record goes where it belongs.
    const std::size_t keep = full.count / 2;
    const std::size_t moved = full.count - keep;
    touchBlock(full.number);
    std::memcpy(slot(fresh, 0), slot(full.number, keep), moved * recordSize);
    std::memset(slot(full.number, keep), 0, moved * recordSize);
    full.count = static_cast<std::uint16_t>(keep);
    added.count = static_cast<std::uint16_t>(moved);
    if (position <= keep) {
        insertAt(chainIndex, position, record);
    } else {
        insertAt(chainIndex + 1, position - keep, record);
    }
}

std::size_t TableImage::insert(std::span<const std::uint8_t> input) {
    checkRecordSize(input);
    std::vector<std::uint8_t> record(input.begin(), input.end());
    assignAutoIncrement(record);
    std::size_t row = m_rowCount;
    if (isKeyed()) {
        const std::span<const std::uint8_t> key(record.data(), static_cast<std::size_t>(m_keySize));
        row = lowerBound(key);
        if (row < m_rowCount && compareKeys(this->record(row).data(), key.data(), key.size()) == 0) {
            throw keyViolation();
        }
    }
    if (m_chain.empty()) {
        m_chain.push_back({allocateBlock(), 0});
    }
    std::size_t chainIndex = 0;
    std::size_t position = 0;
    if (row > 0) {
        chainIndex = chainIndexOfRow(row - 1);
        position = row - m_starts[chainIndex];
    }
    insertAt(chainIndex, position, record);
    relinkChain();
    return row;
}

void TableImage::erase(std::size_t row) {
    if (row >= m_rowCount) {
        throw missingRecord(row);
    }
    const auto recordSize = static_cast<std::size_t>(m_header.recordSize);
    const auto chainIndex = chainIndexOfRow(row);
    auto& block = m_chain[chainIndex];
    const auto position = row - m_starts[chainIndex];
    touchBlock(block.number);
    auto* at = slot(block.number, position);
    std::memmove(at, at + recordSize, (block.count - position - 1) * recordSize);
    std::memset(slot(block.number, block.count - 1u), 0, recordSize);
    --block.count;
    if (block.count == 0 && m_chain.size() > 1) {
        if (chainIndex == 0) {
            // The first block stays first: it takes over its successor's records.
            auto& successor = m_chain[1];
            std::memcpy(slot(block.number, 0), slot(successor.number, 0), successor.count * recordSize);
            block.count = successor.count;
            releaseBlock(successor.number);
            m_chain.erase(m_chain.begin() + 1);
        } else {
            releaseBlock(block.number);
            m_chain.erase(m_chain.begin() + static_cast<std::ptrdiff_t>(chainIndex));
        }
    }
    relinkChain();
}

std::size_t TableImage::replace(std::size_t row, std::span<const std::uint8_t> input) {
    checkRecordSize(input);
    if (row >= m_rowCount) {
        throw missingRecord(row);
    }
    const auto current = record(row);
    const auto keyLength = static_cast<std::size_t>(m_keySize);
    if (!isKeyed() || compareKeys(current.data(), input.data(), keyLength) == 0) {
        const auto chainIndex = chainIndexOfRow(row);
        touchBlock(m_chain[chainIndex].number);
        std::memcpy(slot(m_chain[chainIndex].number, row - m_starts[chainIndex]), input.data(), input.size());
        touch(0, static_cast<std::uint32_t>(m_header.headerSize));
        syncHeader();
        return row;
    }
    const auto existing = lowerBound(input.first(keyLength));
    if (existing < m_rowCount && compareKeys(record(existing).data(), input.data(), keyLength) == 0) {
        throw keyViolation();
    }
    const std::vector<std::uint8_t> copy(input.begin(), input.end());
    erase(row);
    return insert(copy);
}

std::vector<TableImage::PageChange> TableImage::changedPages() const {
    std::vector<PageChange> pages;
    pages.reserve(m_dirty.size());
    for (const auto& [offset, entry] : m_dirty) {
        PageChange page{
            offset, entry.first, entry.second,
            std::vector<std::uint8_t>(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                      m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + entry.first))};
        encryptPage(offset, page.before);
        encryptPage(offset, page.after);
        pages.push_back(std::move(page));
    }
    return pages;
}

void TableImage::markClean() {
    m_dirty.clear();
    m_cleanSize = m_bytes.size();
}

} // namespace marlovex::paradox
