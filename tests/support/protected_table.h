// Turns a table our engine wrote into one protected by a password, as the product family's other
// programs leave them: the check value in the header and every data block encrypted.
#pragma once

#include "platform/paradox/block_cipher.h"
#include "platform/paradox/table_format.h"
#include "support/temp_directory.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace marlovex::testing_support {

inline void protectTable(const std::filesystem::path& path, std::string_view password) {
    const auto text = readText(path);
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const auto header = paradox::parseDbHeader(bytes, path.string());
    const std::uint32_t check = paradox::passwordCheck(password);
    paradox::writeU32(bytes, 0x5C, check);
    const paradox::BlockKey key{static_cast<std::uint8_t>(check), static_cast<std::uint8_t>(check >> 8)};
    const auto blockSize = static_cast<std::size_t>(header.blockSize);
    std::size_t index = 0;
    for (auto offset = static_cast<std::size_t>(header.headerSize); offset + blockSize <= bytes.size();
         offset += blockSize, ++index) {
        paradox::encryptBlock(std::span<std::uint8_t>(bytes.data() + offset, blockSize), index, key);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The password check value in the header of the table at `path`; 0 for a table without one.
inline std::uint32_t storedPasswordCheck(const std::filesystem::path& path) {
    const auto text = readText(path);
    return paradox::readU32(std::vector<std::uint8_t>(text.begin(), text.end()), 0x5C);
}

} // namespace marlovex::testing_support
