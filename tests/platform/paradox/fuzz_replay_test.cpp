// The table reader's fuzz corpus replays through tests/support/fuzz_corpus_replay.cpp; its seeds
// must also stay valid tables, or the fuzzer would start from nothing but damage.

#include "platform/paradox/table_image.h"
#include "support/temp_directory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(FuzzCorpus, SeedTablesAreValid) {
    for (const auto& name : {"Intraday.db", "Alltypes.db", "Firma.db", "Empty.db", "Pxlib.db"}) {
        const auto path = std::filesystem::path(FUZZ_CORPUS) / name;
        const auto text = marlovex::testing_support::readText(path);
        EXPECT_NO_THROW(
            marlovex::paradox::TableImage(std::vector<std::uint8_t>(text.begin(), text.end()), path.string()))
            << name;
    }
}

} // namespace
