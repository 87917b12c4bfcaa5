#include "platform/paradox/blob_file.h"
#include "platform/paradox/errors.h"
#include "support/error_message.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace marlovex::paradox {
namespace {

constexpr std::size_t kLeader = 8;

// A field of `kLeader` leader bytes followed by the reference (offset, length, modification).
std::vector<std::uint8_t> field(const std::string& leader, std::uint32_t offset, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(kLeader + kBlobReferenceSize, 0);
    std::copy(leader.begin(), leader.end(), bytes.begin());
    for (int i = 0; i < 4; ++i) {
        bytes[kLeader + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(offset >> (8 * i));
        bytes[kLeader + 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    return bytes;
}

std::string text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A blob file whose second chunk is a shared block holding `blob` as entry 0x3F at offset 0x150,
// cut right after the blob, as writers leave the file's last block.
std::vector<std::uint8_t> sharedBlockFile(const std::string& blob) {
    std::vector<std::uint8_t> file(4096 + 0x150, 0);
    file[4096] = 0x03;
    file[4097] = 0x01;
    const std::size_t entry = 4096 + 12 + 5 * 0x3F;
    file[entry] = 0x15;
    file[entry + 1] = static_cast<std::uint8_t>((blob.size() + 15) / 16);
    file[entry + 4] = static_cast<std::uint8_t>(blob.size() % 16 == 0 ? 16 : blob.size() % 16);
    file.insert(file.end(), blob.begin(), blob.end());
    return file;
}

TEST(BlobFile, ReadsBlobsFromTheLeaderAndFromAnUnpaddedSharedBlockAndNamesTheFileOfBrokenOnes) {
    EXPECT_EQ(text(readBlob(field("kurz", 0, 4), nullptr, "N.MB")), "kurz");
    EXPECT_TRUE(readBlob(field("", 0, 0), nullptr, "N.MB").empty());
    const std::string blob = "Ein Vermerk, der nicht in den Vorspann passt.";
    const auto file = sharedBlockFile(blob);
    const auto size = static_cast<std::uint32_t>(blob.size());
    EXPECT_EQ(text(readBlob(field("Ein Verm", 4096 + 0x3F, size), &file, "N.MB")), blob);
    const struct {
        std::vector<std::uint8_t> field;
        const char* reason;
    } cases[] = {
        {field("kurz", 0, 9), "länger als der Platz im Datensatz"},
        {field("", 4096 + 0x3E, size), "gelöschten Blob"},
        {field("", 4096 + 0x3F, size + 1), "Länge eines Blobs weicht"},
        {field("", 4096 + 0xFF, size), "keinen Block mit einem Blob"},
        {field("", 0x10000 + 0x3F, size), "hinter das Dateiende"},
        {field("", 0x40, size), "keinen Eintrag eines geteilten Blocks"},
    };
    for (const auto& broken : cases) {
        const auto message = testing_support::messageOf<CorruptTableError>(
            [&] { readBlob(broken.field, &file, "NOTIZEN.MB"); });
        EXPECT_TRUE(message.starts_with("Die Blob-Datei NOTIZEN.MB ist beschädigt: ")) << broken.reason;
        EXPECT_NE(message.find(broken.reason), std::string::npos) << message;
    }
    EXPECT_THROW(readBlob(field("", 4096 + 0x3F, size), nullptr, "NOTIZEN.MB"), CorruptTableError);
}

TEST(BlobFile, RandomFilesAndReferencesNeverCrash) {
    std::mt19937 random(20261206);
    int refused = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> file(random() % 20000);
        for (auto& byte : file) {
            byte = static_cast<std::uint8_t>(random() % 5 == 0 ? random() : random() % 4);
        }
        std::vector<std::uint8_t> bytes(kLeader + kBlobReferenceSize);
        for (auto& byte : bytes) {
            byte = static_cast<std::uint8_t>(random());
        }
        bytes[kLeader + 2] = static_cast<std::uint8_t>(random() % 2);
        bytes[kLeader + 3] = 0;
        bytes[kLeader + 6] = 0;
        bytes[kLeader + 7] = 0;
        try {
            const auto blob = readBlob(bytes, &file, "Z.MB");
            EXPECT_LE(blob.size(), file.size() + kLeader);
        } catch (const CorruptTableError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace marlovex::paradox
