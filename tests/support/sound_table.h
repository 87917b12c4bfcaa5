// The check every crash and sharing test ends with: the table's files alone hold a sound table
// of `rows` records, by our own structural check of data and primary index and by pxlib.
#pragma once

#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "support/pxlib_table.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace marlovex::testing_support {

inline void expectSoundTable(const std::filesystem::path& path, std::size_t rows) {
    paradox::TableStorage storage(path);
    auto snapshot = storage.read();
    ASSERT_TRUE(snapshot.px.has_value());
    const paradox::TableImage image(std::move(snapshot.db), path.string());
    EXPECT_EQ(image.size(), rows);
    EXPECT_EQ(image.primaryIndexFault(*snapshot.px), std::nullopt);
    EXPECT_EQ(readWithPxlib(path).rows.size(), rows);
}

} // namespace marlovex::testing_support
