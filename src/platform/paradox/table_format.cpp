#include "platform/paradox/table_format.h"

#include "platform/paradox/errors.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace marlovex::paradox {

namespace {

constexpr std::size_t kFieldInfoOffset = 0x78;
constexpr std::size_t kPointerSize = 4;
constexpr std::size_t kShortTableNameLength = 79;
constexpr std::size_t kLongTableNameLength = 261;
constexpr std::uint32_t kModernEncryptionMarker = 0xFF00FF00;
constexpr std::uint16_t kWindows1252CodePage = 0x04E4;
constexpr std::array<std::uint8_t, 7> kBlockSizeCodes{1, 2, 3, 4, 8, 16, 32};
constexpr char kSortOrderName[] = "ascii";

std::size_t tableNameLength(int level) {
    return level >= 7 ? kLongTableNameLength : kShortTableNameLength;
}

std::uint8_t versionId(int level) {
    switch (level) {
    case 4:
        return 0x09;
    case 5:
        return 0x0B;
    default:
        return 0x0C;
    }
}

int levelOfVersionId(std::uint8_t id) {
    if (id >= 0x05 && id <= 0x09) {
        return 4;
    }
    if (id == 0x0A || id == 0x0B) {
        return 5;
    }
    if (id == 0x0C) {
        return 7;
    }
    return 0;
}

std::size_t namesOffset(std::size_t fieldCount, int level) {
    return kFieldInfoOffset + 2 * fieldCount + kPointerSize + kPointerSize * fieldCount +
           tableNameLength(level);
}

} // namespace

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

void writeU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void writeU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

DbHeader parseDbHeader(std::span<const std::uint8_t> file, const std::string& fileName) {
    const auto corrupt = [&](const std::string& what) {
        return CorruptTableError("Die Tabelle " + fileName + " ist beschädigt: " + what + ".");
    };
    if (file.size() < kFieldInfoOffset) {
        throw corrupt("die Datei ist zu kurz für einen Tabellenkopf");
    }
    DbHeader header;
    const auto fileType = file[0x04];
    if (fileType != layout::kKeyedTable && fileType != layout::kUnkeyedTable) {
        throw TableError("Die Datei " + fileName + " ist keine Paradox-Tabelle (Dateityp " +
                         std::to_string(fileType) + ").");
    }
    header.recordSize = readU16(file, 0x00);
    header.headerSize = readU16(file, 0x02);
    header.blockSizeCode = file[0x05];
    if (std::find(kBlockSizeCodes.begin(), kBlockSizeCodes.end(), header.blockSizeCode) ==
        kBlockSizeCodes.end()) {
        throw corrupt("unbekannte Blockgröße (Code " + std::to_string(header.blockSizeCode) + ")");
    }
    header.blockSize = header.blockSizeCode * 1024;
    header.recordCount = readU32(file, 0x06);
    header.usedBlocks = readU16(file, 0x0A);
    header.fileBlocks = readU16(file, 0x0C);
    header.firstBlock = readU16(file, 0x0E);
    header.lastBlock = readU16(file, 0x10);
    header.firstFreeBlock = readU16(file, 0x4D);
    header.autoIncrement = readU32(file, 0x49);
    const int fieldCount = readU16(file, 0x21);
    header.schema.keyFieldCount = readU16(file, 0x23);
    header.schema.level = levelOfVersionId(file[0x39]);
    if (header.schema.level == 0) {
        throw TableError("Die Tabelle " + fileName + " hat die Versionskennung " +
                         std::to_string(file[0x39]) + "; gelesen werden nur Tabellen der Stufen 4, 5 und 7.");
    }
    header.passwordCheck = readU32(file, 0x5C);
    if (header.passwordCheck != 0) {
        header.encryptionKey = BlockKey{file[0x5C], file[0x5D]};
    }
    if (header.recordSize == 0 || fieldCount == 0 || fieldCount > 255) {
        throw corrupt("ungültige Satzlänge oder Feldanzahl");
    }
    if (header.schema.keyFieldCount > fieldCount) {
        throw corrupt("mehr Schlüsselfelder als Felder");
    }
    if ((fileType == layout::kKeyedTable) != (header.schema.keyFieldCount > 0)) {
        throw corrupt("der Dateityp passt nicht zur Zahl der Schlüsselfelder");
    }
    if (static_cast<std::size_t>(header.headerSize) < kFieldInfoOffset ||
        static_cast<std::size_t>(header.headerSize) > file.size()) {
        throw corrupt("die Kopfgröße " + std::to_string(header.headerSize) + " übersteigt die Datei");
    }
    const auto headerBytes = file.first(static_cast<std::size_t>(header.headerSize));
    std::size_t position = namesOffset(static_cast<std::size_t>(fieldCount), header.schema.level);
    if (position >= headerBytes.size()) {
        throw corrupt("die Feldliste reicht über den Tabellenkopf hinaus");
    }
    const auto tableNameOffset = position - tableNameLength(header.schema.level);
    const auto* tableNameBegin = reinterpret_cast<const char*>(headerBytes.data() + tableNameOffset);
    header.tableName = windows1252ToUtf8(
        std::string_view(tableNameBegin, ::strnlen(tableNameBegin, tableNameLength(header.schema.level))));
    int recordSize = 0;
    for (int i = 0; i < fieldCount; ++i) {
        FieldDef field;
        field.typeCode = headerBytes[kFieldInfoOffset + 2 * static_cast<std::size_t>(i)];
        const int declared = headerBytes[kFieldInfoOffset + 2 * static_cast<std::size_t>(i) + 1];
        const int expected = storedSize(field.typeCode, declared);
        if (field.isKnownType() && (expected != declared || declared == 0)) {
            throw corrupt("Feld " + std::to_string(i + 1) + " hat die ungültige Größe " +
                          std::to_string(declared));
        }
        // BCD declares its decimals, not its size; other unknown types declare their size.
        field.size = expected != 0 ? expected : declared;
        const auto* nameBegin = reinterpret_cast<const char*>(headerBytes.data() + position);
        const auto nameLength = ::strnlen(nameBegin, headerBytes.size() - position);
        if (position + nameLength >= headerBytes.size()) {
            throw corrupt("die Feldnamen reichen über den Tabellenkopf hinaus");
        }
        field.name = windows1252ToUtf8(std::string_view(nameBegin, nameLength));
        position += nameLength + 1;
        recordSize += field.size;
        header.schema.fields.push_back(std::move(field));
    }
    if (recordSize != header.recordSize) {
        throw corrupt("die Satzlänge " + std::to_string(header.recordSize) + " passt nicht zu den Feldern (" +
                      std::to_string(recordSize) + ")");
    }
    if (header.recordSize > header.blockSize - static_cast<int>(layout::kBlockHeaderSize)) {
        throw corrupt("ein Datensatz passt nicht in einen Block");
    }
    return header;
}

void validateSchema(const TableSchema& schema, const std::string& tableName) {
    if (schema.level != 4 && schema.level != 5 && schema.level != 7) {
        throw TableError("Die Tabelle " + tableName + " kann nicht mit der Stufe " +
                         std::to_string(schema.level) +
                         " angelegt werden; möglich sind die Stufen 4, 5 und 7.");
    }
    if (schema.fields.empty() || schema.fields.size() > 255) {
        throw TableError("Die Tabelle " + tableName + " braucht 1 bis 255 Felder.");
    }
    if (schema.keyFieldCount < 0 || schema.keyFieldCount > static_cast<int>(schema.fields.size())) {
        throw TableError("Der Schlüssel der Tabelle " + tableName + " hat mehr Felder als die Tabelle.");
    }
    int recordSize = 0;
    std::vector<std::string> seen;
    for (const auto& field : schema.fields) {
        if (field.name.empty() || field.name.size() > 25) {
            throw TableError("Der Feldname '" + field.name + "' der Tabelle " + tableName +
                             " muss 1 bis 25 Zeichen lang sein.");
        }
        if (!field.isKnownType()) {
            throw TableError("Das Feld '" + field.name + "' der Tabelle " + tableName +
                             " hat einen Typ, der nicht angelegt werden kann.");
        }
        if (field.type() == FieldType::Alpha && (field.size < 1 || field.size > 255)) {
            throw TableError("Das Alpha-Feld '" + field.name + "' der Tabelle " + tableName +
                             " braucht eine Größe von 1 bis 255.");
        }
        std::string lower = field.name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (std::find(seen.begin(), seen.end(), lower) != seen.end()) {
            throw TableError("Der Feldname '" + field.name + "' kommt in der Tabelle " + tableName +
                             " zweimal vor.");
        }
        seen.push_back(lower);
        recordSize += field.size;
    }
    if (recordSize > 4096 - static_cast<int>(layout::kBlockHeaderSize)) {
        throw TableError("Ein Datensatz der Tabelle " + tableName + " ist zu groß für einen Block.");
    }
}

DbHeader newDbHeader(const TableSchema& schema, const std::string& tableName) {
    validateSchema(schema, tableName);
    DbHeader header;
    header.schema = schema;
    header.tableName = tableName;
    header.recordSize = 0;
    for (const auto& field : schema.fields) {
        header.recordSize += field.size;
    }
    std::size_t needed = namesOffset(schema.fields.size(), schema.level);
    for (const auto& field : schema.fields) {
        needed += utf8ToWindows1252(field.name).size() + 1;
    }
    needed += 2 * schema.fields.size() + sizeof(kSortOrderName);
    header.headerSize =
        static_cast<int>((needed + layout::kHeaderSize - 1) / layout::kHeaderSize * layout::kHeaderSize);
    return header;
}

std::vector<std::uint8_t> buildDbHeader(const DbHeader& header) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(header.headerSize), 0);
    const auto& schema = header.schema;
    const auto fieldCount = schema.fields.size();
    writeU16(bytes, 0x00, static_cast<std::uint16_t>(header.recordSize));
    writeU16(bytes, 0x02, static_cast<std::uint16_t>(header.headerSize));
    bytes[0x04] = schema.keyFieldCount > 0 ? layout::kKeyedTable : layout::kUnkeyedTable;
    bytes[0x05] = header.blockSizeCode;
    writeU16(bytes, 0x21, static_cast<std::uint16_t>(fieldCount));
    writeU16(bytes, 0x23, static_cast<std::uint16_t>(schema.keyFieldCount));
    writeU32(bytes, 0x25, kModernEncryptionMarker);
    bytes[0x39] = versionId(schema.level);
    // Constant that genuine tables carry at 0x3E.
    writeU16(bytes, 0x3E, 0x0F1F);
    writeU16(bytes, 0x58, static_cast<std::uint16_t>(0x0100 | versionId(schema.level)));
    writeU16(bytes, 0x5A, static_cast<std::uint16_t>(0x0100 | versionId(schema.level)));
    writeU16(bytes, 0x64, static_cast<std::uint16_t>(fieldCount + 1));
    writeU16(bytes, 0x6A, kWindows1252CodePage);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const auto& field = schema.fields[i];
        bytes[kFieldInfoOffset + 2 * i] = field.typeCode;
        bytes[kFieldInfoOffset + 2 * i + 1] = static_cast<std::uint8_t>(field.size);
    }
    const auto tableNameOffset = namesOffset(fieldCount, schema.level) - tableNameLength(schema.level);
    const auto tableName = utf8ToWindows1252(header.tableName).substr(0, tableNameLength(schema.level) - 1);
    std::memcpy(bytes.data() + tableNameOffset, tableName.data(), tableName.size());
    std::size_t position = namesOffset(fieldCount, schema.level);
    for (const auto& field : schema.fields) {
        const auto name = utf8ToWindows1252(field.name);
        std::memcpy(bytes.data() + position, name.data(), name.size());
        position += name.size() + 1;
    }
    for (std::size_t i = 0; i < fieldCount; ++i) {
        writeU16(bytes, position, static_cast<std::uint16_t>(i + 1));
        position += 2;
    }
    std::memcpy(bytes.data() + position, kSortOrderName, sizeof(kSortOrderName));
    updateDbHeaderCounters(header, bytes);
    return bytes;
}

void updateDbHeaderCounters(const DbHeader& header, std::span<std::uint8_t> headerBytes) {
    writeU32(headerBytes, 0x06, header.recordCount);
    writeU16(headerBytes, 0x0A, header.usedBlocks);
    writeU16(headerBytes, 0x0C, header.fileBlocks);
    writeU16(headerBytes, 0x0E, header.firstBlock);
    writeU16(headerBytes, 0x10, header.lastBlock);
    writeU16(headerBytes, 0x3A, header.fileBlocks);
    writeU32(headerBytes, 0x49, header.autoIncrement);
    writeU16(headerBytes, 0x4D, header.firstFreeBlock);
    // Change counter that other tools use to notice a modified table.
    headerBytes[0x2D] = static_cast<std::uint8_t>(headerBytes[0x2D] + 1);
}

} // namespace marlovex::paradox
