#include "platform/paradox/blob_file.h"

#include "platform/paradox/errors.h"
#include "platform/paradox/table_format.h"

namespace marlovex::paradox {

namespace {

constexpr std::uint8_t kSingleBlobBlock = 0x02;
constexpr std::uint8_t kSharedBlock = 0x03;
constexpr std::uint32_t kOwnBlockIndex = 0xFF;
constexpr std::size_t kChunk = 4096;
constexpr std::size_t kSingleBlobData = 9;
constexpr std::size_t kSharedHeader = 12;
constexpr std::size_t kSharedEntry = 5;
constexpr std::uint32_t kSharedEntries = 64;
constexpr std::size_t kSharedUnit = 16;

} // namespace

bool isBlobType(std::uint8_t typeCode) {
    return typeCode >= 0x0C && typeCode <= 0x10;
}

bool isMemoType(std::uint8_t typeCode) {
    return typeCode == 0x0C || typeCode == 0x0E;
}

std::vector<std::uint8_t> readBlob(std::span<const std::uint8_t> fieldBytes,
                                   const std::vector<std::uint8_t>* blobFile,
                                   const std::string& blobFileName) {
    const auto corrupt = [&](const std::string& what) {
        return CorruptTableError("Die Blob-Datei " + blobFileName + " ist beschädigt: " + what + ".");
    };
    if (fieldBytes.size() < kBlobReferenceSize) {
        throw corrupt("ein Blob-Feld ist kürzer als sein Verweis");
    }
    const auto leader = fieldBytes.first(fieldBytes.size() - kBlobReferenceSize);
    const auto reference = fieldBytes.last(kBlobReferenceSize);
    const std::uint32_t offset = readU32(reference, 0);
    const std::size_t length = readU32(reference, 4);
    if (length == 0) {
        return {};
    }
    if (offset == 0) {
        if (length > leader.size()) {
            throw corrupt("ein Blob ohne Verweis ist länger als der Platz im Datensatz");
        }
        return {leader.begin(), leader.begin() + static_cast<std::ptrdiff_t>(length)};
    }
    if (blobFile == nullptr) {
        throw CorruptTableError("Die Blob-Datei " + blobFileName +
                                " fehlt, obwohl die Tabelle Blobs in ihr speichert.");
    }
    const auto& file = *blobFile;
    const std::uint32_t index = offset & 0xFF;
    const std::size_t block = offset & ~std::uint32_t{0xFF};
    // Other programs do not pad the file's last block, so bounds are checked against the data
    // actually used.
    if (block + kSharedHeader > file.size()) {
        throw corrupt("ein Verweis zeigt hinter das Dateiende");
    }
    if (index == kOwnBlockIndex) {
        if (file[block] != kSingleBlobBlock) {
            throw corrupt("ein Verweis zeigt auf keinen Block mit einem Blob");
        }
        if (readU32(file, block + 3) != length) {
            throw corrupt("die Länge eines Blobs weicht von der im Datensatz ab");
        }
        const std::size_t chunks = readU16(file, block + 1);
        if (kSingleBlobData + length > chunks * kChunk || block + kSingleBlobData + length > file.size()) {
            throw corrupt("ein Blob reicht über seinen Block hinaus");
        }
        const auto begin = file.begin() + static_cast<std::ptrdiff_t>(block + kSingleBlobData);
        return {begin, begin + static_cast<std::ptrdiff_t>(length)};
    }
    if (index >= kSharedEntries || file[block] != kSharedBlock) {
        throw corrupt("ein Verweis zeigt auf keinen Eintrag eines geteilten Blocks");
    }
    const std::size_t entry = block + kSharedHeader + kSharedEntry * index;
    if (entry + kSharedEntry > file.size()) {
        throw corrupt("ein Verweis zeigt hinter das Dateiende");
    }
    const std::size_t start = std::size_t{file[entry]} * kSharedUnit;
    const std::size_t units = file[entry + 1];
    const std::size_t lastUnit = file[entry + 4];
    if (start == 0 || units == 0 || lastUnit == 0 || lastUnit > kSharedUnit) {
        throw corrupt("ein Verweis nennt einen gelöschten Blob");
    }
    if ((units - 1) * kSharedUnit + lastUnit != length) {
        throw corrupt("die Länge eines Blobs weicht von der im Datensatz ab");
    }
    if (start + length > kChunk || block + start + length > file.size()) {
        throw corrupt("ein Blob reicht über seinen Block hinaus");
    }
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(block + start);
    return {begin, begin + static_cast<std::ptrdiff_t>(length)};
}

} // namespace marlovex::paradox
