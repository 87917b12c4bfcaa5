// The cipher of password-protected tables. Every data block of such a table, its block header
// and unused space included, is stored encrypted in chunks of 256 bytes: the bytes of a chunk
// are permuted and masked with a key stream that depends on the position in the chunk, the
// chunk's place in its block, the block's place in the file and two key bytes. The file header
// itself stays plain and carries the password's check value, whose first two bytes are the key.
//
// Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace marlovex::paradox {

// The two key bytes, as the header stores them at the start of its encryption value.
struct BlockKey {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};

// `block` is a whole data block (a multiple of 256 bytes); `blockIndex` counts the file's data
// blocks from 0. Both work in place.
void encryptBlock(std::span<std::uint8_t> block, std::size_t blockIndex, BlockKey key);
void decryptBlock(std::span<std::uint8_t> block, std::size_t blockIndex, BlockKey key);

// The check value a protected table's header stores for `password` (its four bytes read as a
// little-endian number); 0, the mark of an unprotected table, for an empty password. Only the
// first 256 bytes of a password count.
std::uint32_t passwordCheck(std::string_view password);

} // namespace marlovex::paradox
