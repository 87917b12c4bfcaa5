#include "platform/paradox/errors.h"
#include "platform/paradox/table_image.h"
#include "support/error_message.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace marlovex::paradox {
namespace {

TableSchema quoteSchema() {
    TableSchema schema;
    schema.fields = {FieldDef::of("Firma", FieldType::Long), FieldDef::of("ZEIT", FieldType::Timestamp),
                     FieldDef::of("Kurs", FieldType::Money), FieldDef::of("Volumen", FieldType::Long)};
    schema.keyFieldCount = 2;
    return schema;
}

std::vector<std::uint8_t> quote(const TableImage& image, std::int64_t firma, double zeit, double kurs) {
    std::vector<std::uint8_t> record(static_cast<std::size_t>(image.recordSize()));
    const auto& fields = image.schema().fields;
    const auto put = [&](std::size_t index, const Value& value) {
        encodeField(
            fields[index], value,
            std::span<std::uint8_t>(record).subspan(static_cast<std::size_t>(image.fieldOffsets()[index]),
                                                    static_cast<std::size_t>(fields[index].size)));
    };
    put(0, firma);
    put(1, zeit);
    put(2, kurs);
    put(3, Null{});
    return record;
}

std::pair<std::int64_t, double> keyOf(const TableImage& image, std::size_t row) {
    const auto record = image.record(row);
    const auto& fields = image.schema().fields;
    return {std::get<std::int64_t>(decodeField(fields[0], record.subspan(0, 4))),
            std::get<double>(decodeField(fields[1], record.subspan(4, 8)))};
}

void expectSound(const TableImage& image, std::size_t expectedRows) {
    ASSERT_EQ(image.size(), expectedRows);
    for (std::size_t row = 1; row < image.size(); ++row) {
        ASSERT_LT(keyOf(image, row - 1), keyOf(image, row)) << "row " << row;
    }
    EXPECT_EQ(image.primaryIndexFault(image.buildPrimaryIndex()), std::nullopt);
    // The bytes parse again into the same table.
    const TableImage reread(image.bytes(), "reread.db");
    ASSERT_EQ(reread.size(), image.size());
    for (std::size_t row = 0; row < image.size(); ++row) {
        ASSERT_TRUE(
            std::equal(reread.record(row).begin(), reread.record(row).end(), image.record(row).begin()));
    }
}

TEST(TableImage, RandomInsertsKeepKeyOrderAcrossBlockSplits) {
    TableImage image(TableImage::emptyTable(quoteSchema(), "Intraday"), "Intraday.db");
    std::mt19937 random(7);
    std::set<std::pair<std::int64_t, double>> keys;
    while (keys.size() < 3000) {
        const std::int64_t firma = random() % 20 + 1;
        const double zeit = static_cast<double>(random() % 100000) * 1000.0;
        if (keys.insert({firma, zeit}).second) {
            image.insert(quote(image, firma, zeit, 1.0));
        }
    }
    expectSound(image, keys.size());
    EXPECT_GT(image.header().fileBlocks, 10);
    std::size_t row = 0;
    for (const auto& key : keys) {
        ASSERT_EQ(keyOf(image, row++), key);
    }
}

TEST(TableImage, ErasingAndReinsertingReusesFreedBlocks) {
    TableImage image(TableImage::emptyTable(quoteSchema(), "Intraday"), "Intraday.db");
    for (int i = 0; i < 2000; ++i) {
        image.insert(quote(image, i % 5, i * 10.0, i));
    }
    const auto fullSize = image.bytes().size();
    std::size_t remaining = 2000;
    while (remaining > 100) {
        image.erase(remaining / 2);
        --remaining;
    }
    expectSound(image, remaining);
    EXPECT_GT(image.header().firstFreeBlock, 0);
    for (int i = 0; i < 2000; ++i) {
        try {
            image.insert(quote(image, i % 5, i * 10.0, i));
        } catch (const KeyViolationError&) {
        }
    }
    expectSound(image, 2000);
    EXPECT_LE(image.bytes().size(), fullSize + 4096 * 4);
    while (image.size() > 0) {
        image.erase(0);
    }
    expectSound(image, 0);
}

TEST(TableImage, DuplicateKeysAreViolationsThatChangeNothingAndReplaceMovesTheRow) {
    TableImage image(TableImage::emptyTable(quoteSchema(), "Intraday"), "Intraday.db");
    for (int i = 0; i < 10; ++i) {
        image.insert(quote(image, 1, i * 10.0, i));
    }
    image.markClean();
    const auto before = image.bytes();
    EXPECT_THROW(image.insert(quote(image, 1, 20.0, 2.0)), KeyViolationError);
    EXPECT_THROW(image.replace(0, quote(image, 1, 50.0, 0.0)), KeyViolationError);
    EXPECT_EQ(image.bytes(), before);
    EXPECT_FALSE(image.hasChanges());
    const auto row = image.replace(0, quote(image, 2, 0.0, 9.5));
    EXPECT_EQ(row, 9u);
    expectSound(image, 10);
    EXPECT_EQ(keyOf(image, 0), (std::pair<std::int64_t, double>{1, 10.0}));
}

TEST(TableImage, TablesWithoutKeyKeepInsertionOrder) {
    auto schema = quoteSchema();
    schema.keyFieldCount = 0;
    TableImage image(TableImage::emptyTable(schema, "Message"), "Message.DB");
    for (int i = 0; i < 500; ++i) {
        image.insert(quote(image, 500 - i, 0.0, i));
    }
    ASSERT_EQ(image.size(), 500u);
    for (std::size_t row = 0; row < 500; ++row) {
        ASSERT_EQ(keyOf(image, row).first, static_cast<std::int64_t>(500 - row));
    }
    EXPECT_EQ(image.header().schema.keyFieldCount, 0);
}

TEST(TableImage, AnInsertChangesAFewPagesWhateverTheTableSize) {
    TableImage image(TableImage::emptyTable(quoteSchema(), "Intraday"), "Intraday.db");
    for (int i = 0; i < 400; ++i) {
        image.insert(quote(image, 1, i * 10.0, i));
    }
    image.markClean();
    image.insert(quote(image, 1, 5.0, 0.0));
    const auto pages = image.changedPages();
    ASSERT_FALSE(pages.empty());
    // Even a split touches only the header, the split block, the new block and the successor's
    // back link: the cost does not depend on the table size.
    EXPECT_LE(pages.size(), 4u);
}

class DamagedTable : public ::testing::Test {
protected:
    void SetUp() override {
        TableImage image(TableImage::emptyTable(quoteSchema(), "Intraday"), "Intraday.db");
        for (int i = 0; i < 600; ++i) {
            image.insert(quote(image, i % 3, i * 1.0, i));
        }
        m_bytes.assign(image.bytes().begin(), image.bytes().end());
        m_index = image.buildPrimaryIndex();
    }

    static void expectErrorNamingFile(const std::vector<std::uint8_t>& bytes) {
        try {
            const TableImage image(bytes, "Broken.db");
            (void)image.buildPrimaryIndex();
        } catch (const TableError& error) {
            EXPECT_NE(std::string(error.what()).find("Broken.db"), std::string::npos) << error.what();
        }
    }

    std::vector<std::uint8_t> m_bytes;
    std::vector<std::uint8_t> m_index;
};

TEST_F(DamagedTable, EveryTruncationIsAnErrorNamingTheFile) {
    for (std::size_t length = 0; length < m_bytes.size(); length += 97) {
        const std::vector<std::uint8_t> truncated(m_bytes.begin(),
                                                  m_bytes.begin() + static_cast<long>(length));
        EXPECT_THROW(TableImage(truncated, "Broken.db"), TableError) << length;
        expectErrorNamingFile(truncated);
    }
}

TEST_F(DamagedTable, FlippedBytesNeverCrash) {
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        auto bytes = m_bytes;
        const auto position = round < 2048 ? static_cast<std::size_t>(round) : random() % bytes.size();
        bytes[position] = static_cast<std::uint8_t>(random());
        expectErrorNamingFile(bytes);
    }
}

TEST_F(DamagedTable, BrokenChainUnorderedKeysAndIndexFaultsAreReported) {
    auto cycle = m_bytes;
    // Point block 2's successor back at block 1.
    writeU16(cycle, 0x800 + 4096, 1);
    EXPECT_THROW(TableImage(cycle, "Broken.db"), CorruptTableError);

    auto unordered = m_bytes;
    // Swap the first two records of block 1.
    std::swap_ranges(unordered.begin() + 0x806, unordered.begin() + 0x806 + 24,
                     unordered.begin() + 0x806 + 24);
    EXPECT_THROW(TableImage(unordered, "Broken.db"), CorruptTableError);

    auto miscounted = m_bytes;
    writeU32(miscounted, 0x06, 599);
    EXPECT_THROW(TableImage(miscounted, "Broken.db"), CorruptTableError);
    // Faults of the primary index are found.
    const TableImage image(m_bytes, "Intraday.db");
    EXPECT_EQ(image.primaryIndexFault(m_index), std::nullopt);
    auto wrongKey = m_index;
    wrongKey[0x800 + 6 + 18 + 3] ^= 0x01;
    EXPECT_NE(image.primaryIndexFault(wrongKey), std::nullopt);
    auto truncated = m_index;
    truncated.resize(truncated.size() - 100);
    EXPECT_NE(image.primaryIndexFault(truncated), std::nullopt);
    EXPECT_NE(image.primaryIndexFault(std::vector<std::uint8_t>(10, 0)), std::nullopt);
}

// A reader that follows commits re-checks the key order only in the blocks they changed, found
// by comparing with its earlier read or named by the commits' written ranges, and must still find
// a record out of order inside a changed block or at its seam, with a first read's message.
TEST_F(DamagedTable, UnorderedKeysAreFoundWhenOnlyChangedBlocksAreChecked) {
    const TableImage earlier(m_bytes, "Intraday.db");
    const auto error = [](const std::vector<std::uint8_t>& bytes, const TableImage::CheckedBlocks* checked) {
        try {
            const TableImage image(FileBytes(bytes.begin(), bytes.end()), "Broken.db", checked);
            return std::to_string(image.size());
        } catch (const CorruptTableError& corrupt) {
            return std::string(corrupt.what());
        }
    };
    const auto unchanged = earlier.unchangedIn(m_bytes);
    EXPECT_EQ(error(m_bytes, &unchanged), "600");

    constexpr std::size_t recordSize = 24;
    const std::size_t first = 0x800 + (readU16(m_bytes, 0x0E) - 1u) * 4096;
    const std::size_t successor = 0x800 + (readU16(m_bytes, first) - 1u) * 4096;
    const std::size_t lastRecord = first + 6 + readU16(m_bytes, first + 4);
    const auto untouched = earlier.untouchedBy({{first + 100, 8}});

    auto inside = m_bytes;
    std::swap_ranges(inside.begin() + static_cast<long>(first + 6 + recordSize),
                     inside.begin() + static_cast<long>(first + 6 + 2 * recordSize),
                     inside.begin() + static_cast<long>(first + 6 + 2 * recordSize));
    auto seam = m_bytes;
    std::copy_n(seam.begin() + static_cast<long>(successor + 6), recordSize,
                seam.begin() + static_cast<long>(lastRecord));
    for (const auto& bytes : {inside, seam}) {
        const std::string message = error(bytes, nullptr);
        EXPECT_NE(message.find("steht nicht in Schlüsselreihenfolge"), std::string::npos) << message;
        const auto compared = earlier.unchangedIn(bytes);
        EXPECT_EQ(error(bytes, &compared), message);
        EXPECT_EQ(error(bytes, &untouched), message);
    }
}

TEST_F(DamagedTable, AFreeListPointingIntoTheChainIsNotTrusted) {
    auto bytes = m_bytes;
    writeU16(bytes, 0x4D, 1);
    TableImage image(bytes, "Broken.db");
    for (int i = 0; i < 400; ++i) {
        image.insert(quote(image, 9, i * 1.0, i));
    }
    expectSound(image, 1000);
}

TEST(TableHeader, LevelsFourFiveAndSevenRoundTripAndOthersAreRejectedNamingTheFile) {
    auto level3 = TableImage::emptyTable(quoteSchema(), "Intraday");
    level3[0x39] = 0x03;
    EXPECT_NE(testing_support::messageOf<TableError>([&] { TableImage(level3, "Old.db"); }).find("Old.db"),
              std::string::npos);

    for (int level : {4, 5, 7}) {
        auto schema = quoteSchema();
        schema.level = level;
        schema.fields.push_back(FieldDef::of("Name", FieldType::Alpha, 40));
        const TableImage image(TableImage::emptyTable(schema, "Firma"), "Firma.db");
        EXPECT_EQ(image.schema().level, level);
        ASSERT_EQ(image.schema().fields.size(), 5u);
        EXPECT_EQ(image.schema().fields[4].name, "Name");
        EXPECT_EQ(image.schema().fields[4].size, 40);
        EXPECT_EQ(image.header().tableName, "Firma");
    }
}

} // namespace
} // namespace marlovex::paradox
