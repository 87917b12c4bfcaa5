// The primary index (.PX) of a keyed table: one entry per data block with the key of the
// block's first record, the block number and the block's record count, in a tree of index
// blocks whose upper levels index the first key of each lower block.

#include "platform/paradox/errors.h"
#include "platform/paradox/table_image.h"

#include <cstring>

namespace marlovex::paradox {

namespace {

constexpr std::size_t kBlockHeader = layout::kBlockHeaderSize;
constexpr std::size_t kEntryTrailer = 6;
constexpr std::size_t kIndexFieldInfoOffset = 0x58;
constexpr std::size_t kRootBlockOffset = 0x1E;
constexpr std::size_t kLevelCountOffset = 0x20;
constexpr std::uint16_t kMaxStatistic = 0x7FFF;

struct IndexEntry {
    std::vector<std::uint8_t> key;
    std::uint16_t block = 0;
    std::uint32_t count = 0;
};

// Index numbers are stored like short fields: big-endian with the sign bit flipped.
void putIndexShort(std::uint8_t* out, std::uint16_t value) {
    const auto stored = static_cast<std::uint16_t>(value ^ 0x8000);
    out[0] = static_cast<std::uint8_t>(stored >> 8);
    out[1] = static_cast<std::uint8_t>(stored & 0xFF);
}

std::uint16_t getIndexShort(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(((in[0] << 8) | in[1]) ^ 0x8000);
}

} // namespace

std::vector<std::uint8_t> TableImage::buildPrimaryIndex() const {
    const auto keyLength = static_cast<std::size_t>(m_keySize);
    const auto entrySize = keyLength + kEntryTrailer;
    const auto blockSize = static_cast<std::size_t>(m_header.blockSize);
    const auto perBlock = (blockSize - kBlockHeader) / entrySize;

    std::vector<IndexEntry> level;
    for (std::size_t i = 0; i < m_chain.size(); ++i) {
        if (m_chain[i].count == 0) {
            continue;
        }
        const auto* first = slot(m_chain[i].number, 0);
        level.push_back(
            {std::vector<std::uint8_t>(first, first + keyLength), m_chain[i].number, m_chain[i].count});
    }

    std::vector<std::uint8_t> file(layout::kHeaderSize, 0);
    std::uint16_t blockCount = 0;
    std::uint16_t root = 0;
    std::uint8_t levels = 0;
    std::uint32_t leafEntries = static_cast<std::uint32_t>(level.size());
    // Writes one level's entries into fresh blocks and returns the entries of the level above.
    const auto writeLevel = [&](const std::vector<IndexEntry>& entries) {
        std::vector<IndexEntry> above;
        const auto firstNumber = static_cast<std::uint16_t>(blockCount + 1);
        const auto blocksNeeded = static_cast<std::uint16_t>((entries.size() + perBlock - 1) / perBlock);
        for (std::uint16_t b = 0; b < blocksNeeded; ++b) {
            const auto number = static_cast<std::uint16_t>(firstNumber + b);
            const auto begin = b * perBlock;
            const auto end = std::min(entries.size(), begin + perBlock);
            std::vector<std::uint8_t> block(blockSize, 0);
            writeU16(block, 0, b + 1 < blocksNeeded ? static_cast<std::uint16_t>(number + 1) : 0);
            writeU16(block, 2, b > 0 ? static_cast<std::uint16_t>(number - 1) : 0);
            writeU16(block, 4, static_cast<std::uint16_t>((end - begin - 1) * entrySize));
            std::uint32_t sum = 0;
            for (std::size_t e = begin; e < end; ++e) {
                auto* out = block.data() + kBlockHeader + (e - begin) * entrySize;
                std::memcpy(out, entries[e].key.data(), keyLength);
                putIndexShort(out + keyLength, entries[e].block);
                putIndexShort(out + keyLength + 2, static_cast<std::uint16_t>(std::min<std::uint32_t>(
                                                       entries[e].count, kMaxStatistic)));
                sum += entries[e].count;
            }
            above.push_back({entries[begin].key, number, sum});
            file.insert(file.end(), block.begin(), block.end());
        }
        blockCount = static_cast<std::uint16_t>(blockCount + blocksNeeded);
        ++levels;
        return above;
    };
    if (!level.empty()) {
        for (;;) {
            auto above = writeLevel(level);
            if (above.size() == 1) {
                root = above.front().block;
                break;
            }
            level = std::move(above);
        }
    }

    writeU16(file, 0x00, static_cast<std::uint16_t>(entrySize));
    writeU16(file, 0x02, layout::kHeaderSize);
    file[0x04] = layout::kIndexFile;
    file[0x05] = m_header.blockSizeCode;
    writeU32(file, 0x06, leafEntries);
    writeU16(file, 0x0A, blockCount);
    writeU16(file, 0x0C, blockCount);
    writeU16(file, 0x0E, blockCount > 0 ? 1 : 0);
    writeU16(file, 0x10, blockCount);
    writeU16(file, kRootBlockOffset, root);
    file[kLevelCountOffset] = levels;
    writeU16(file, 0x21, static_cast<std::uint16_t>(m_header.schema.keyFieldCount));
    file[0x39] = m_bytes[0x39];
    writeU16(file, 0x3A, blockCount);
    writeU16(file, 0x3E, 0x0F1F);
    for (int i = 0; i < m_header.schema.keyFieldCount; ++i) {
        const auto& field = m_header.schema.fields[static_cast<std::size_t>(i)];
        file[kIndexFieldInfoOffset + 2 * static_cast<std::size_t>(i)] = field.typeCode;
        file[kIndexFieldInfoOffset + 2 * static_cast<std::size_t>(i) + 1] =
            static_cast<std::uint8_t>(field.size);
    }
    const auto nameOffset =
        kIndexFieldInfoOffset + 2 * static_cast<std::size_t>(m_header.schema.keyFieldCount) + 4;
    const auto name = utf8ToWindows1252(m_header.tableName).substr(0, 78);
    std::memcpy(file.data() + nameOffset, name.data(), name.size());
    return file;
}

std::optional<std::string> TableImage::primaryIndexFault(std::span<const std::uint8_t> px) const {
    const auto keyLength = static_cast<std::size_t>(m_keySize);
    const auto entrySize = keyLength + kEntryTrailer;
    if (px.size() < kIndexFieldInfoOffset) {
        return "der Primärindex ist zu kurz";
    }
    if (px[0x04] != layout::kIndexFile || readU16(px, 0x00) != entrySize ||
        readU16(px, 0x21) != m_header.schema.keyFieldCount) {
        return "der Kopf des Primärindex passt nicht zum Schlüssel der Tabelle";
    }
    const std::size_t headerSize = readU16(px, 0x02);
    const std::size_t blockSize = std::size_t{px[0x05]} * 1024;
    const std::uint16_t fileBlocks = readU16(px, 0x0C);
    if (blockSize <= kBlockHeader + entrySize || headerSize + fileBlocks * blockSize > px.size()) {
        return "der Primärindex ist abgeschnitten";
    }
    std::vector<IndexEntry> leaves;
    std::vector<bool> visited(std::size_t{fileBlocks} + 1, false);
    std::optional<std::string> fault;
    // Walks the tree from the root; returns the entries that level 1 holds, in order.
    const auto walk = [&](auto&& self, std::uint16_t number, int level) -> void {
        if (fault) {
            return;
        }
        if (number == 0 || number > fileBlocks || visited[number]) {
            fault = "der Primärindex verweist auf den ungültigen Block " + std::to_string(number);
            return;
        }
        visited[number] = true;
        const auto* block = px.data() + headerSize + (number - 1u) * blockSize;
        const auto lastOffset =
            static_cast<std::int16_t>(readU16(std::span<const std::uint8_t>(block, 6), 4));
        const int used = lastOffset + static_cast<int>(entrySize);
        if (used <= 0 || used % static_cast<int>(entrySize) != 0 ||
            static_cast<std::size_t>(used) > blockSize - kBlockHeader) {
            fault = "der Indexblock " + std::to_string(number) + " hat eine ungültige Eintragsanzahl";
            return;
        }
        for (int e = 0; e < used / static_cast<int>(entrySize); ++e) {
            const auto* entry = block + kBlockHeader + static_cast<std::size_t>(e) * entrySize;
            const auto target = getIndexShort(entry + keyLength);
            if (level == 1) {
                leaves.push_back({std::vector<std::uint8_t>(entry, entry + keyLength), target,
                                  getIndexShort(entry + keyLength + 2)});
            } else {
                self(self, target, level - 1);
            }
        }
    };
    const int levels = px[kLevelCountOffset];
    if (fileBlocks > 0) {
        if (levels < 1) {
            return "der Primärindex hat keine Ebenen";
        }
        walk(walk, readU16(px, kRootBlockOffset), levels);
    }
    if (fault) {
        return fault;
    }
    std::size_t leaf = 0;
    for (const auto& block : m_chain) {
        if (block.count == 0) {
            continue;
        }
        if (leaf >= leaves.size()) {
            return "dem Primärindex fehlt der Datenblock " + std::to_string(block.number);
        }
        const auto& entry = leaves[leaf++];
        if (entry.block != block.number ||
            entry.count != std::min<std::uint32_t>(block.count, kMaxStatistic) ||
            std::memcmp(entry.key.data(), slot(block.number, 0), keyLength) != 0) {
            return "der Eintrag des Primärindex für den Datenblock " + std::to_string(block.number) +
                   " passt nicht zum Block";
        }
    }
    if (leaf != leaves.size()) {
        return "der Primärindex führt mehr Blöcke auf, als die Tabelle enthält";
    }
    return std::nullopt;
}

} // namespace marlovex::paradox
