// Blob fields (memo, formatted memo, binary, OLE, graphic) and the table's .MB file that holds
// their data.
//
// In the record a blob field is a leader (a copy of the blob's first bytes) followed by a
// 10-byte reference, little-endian unlike the record's numbers: a 32-bit offset into the .MB
// file whose low byte is an entry index (0xFF: the offset names a block of the blob's own), the
// 32-bit length of the blob and a 16-bit modification number. A blob that fits its leader is kept
// there alone (offset 0).
//
// The .MB file is made of 4 KiB chunks; a block starts with its type (0 header, 2 one blob,
// 3 shared by small blobs, 4 free) and its size in chunks. A block of one blob stores the
// length and modification number before the data at offset 9. A shared block is one chunk with
// a 12-byte header and 64 entries of 5 bytes: data offset in 16-byte units, the number of
// 16-byte units, the modification number and the bytes used in the last unit.
//
// The engine reads blobs and keeps every reference as it is: records it writes either copy a
// blob field unchanged or leave it empty, so the .MB file is never written.
//
// Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace marlovex::paradox {

// The bytes after the leader that refer into the .MB file.
inline constexpr std::size_t kBlobReferenceSize = 10;

// Memo, binary, formatted memo, OLE and graphic fields.
bool isBlobType(std::uint8_t typeCode);
// Memo and formatted memo fields, whose blobs are Windows-1252 text.
bool isMemoType(std::uint8_t typeCode);

// The whole blob of a field stored as `fieldBytes` (leader and reference); empty when the field
// is. `blobFile` is the table's .MB file (nullptr when there is none), `blobFileName` names it.
// Throws CorruptTableError naming the file when the reference leads to no sound blob.
std::vector<std::uint8_t> readBlob(std::span<const std::uint8_t> fieldBytes,
                                   const std::vector<std::uint8_t>* blobFile,
                                   const std::string& blobFileName);

} // namespace marlovex::paradox
