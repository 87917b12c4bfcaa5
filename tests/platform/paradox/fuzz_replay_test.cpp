// Replays the fuzzer's corpus through the fuzz target in the normal test build, so every input
// that once found a fault stays a regression test. The seeds are valid tables.

#include "platform/paradox/table_image.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, EveryCorpusFileRunsThroughTheTarget) {
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(TABLE_READER_CORPUS)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const auto bytes = readBytes(entry.path());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 5u);
}

TEST(FuzzCorpus, SeedTablesAreValid) {
    for (const auto& name : {"Intraday.db", "Alltypes.db", "Firma.db", "Empty.db", "Pxlib.db"}) {
        const auto path = fs::path(TABLE_READER_CORPUS) / name;
        EXPECT_NO_THROW(marlovex::paradox::TableImage(readBytes(path), path.string())) << name;
    }
}

} // namespace
