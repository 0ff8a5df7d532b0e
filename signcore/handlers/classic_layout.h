// The classic drawing layout: a file that starts with the version text "DX1015", lists its
// sections in locator records, and keeps its signature in a block behind the drawing data,
// found through a 4-byte pointer at offset 148. Integers are 32-bit little-endian.
//
//   0      6   version text "DX1015"
//   21     4   number of section locator records N
//   25+9i  9   locator i: record number (1), section offset (4), section size (4)
//   148    4   signature pointer P (0: not signed)
//   P      4   copy of P
//   P+4    4   length L of the signature blob
//   P+8    L   signature blob
//
// The signed bytes are 0 ... E-1 with 148 ... 151 read as zeros, E being the end of the
// drawing data: the file size while unsigned, the end of the furthest section once signed.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "signcore/handlers/blob_limit.h"
#include "signcore/handlers/byte_source.h"

namespace vexamor::signcore::classic {

inline constexpr std::string_view kVersionText = "DX1015";
inline constexpr uint64_t kLocatorCountOffset = 21;
inline constexpr uint64_t kLocatorsOffset = 25;
inline constexpr uint64_t kLocatorSize = 9;
inline constexpr uint64_t kPointerOffset = 148;
inline constexpr uint32_t kPointerSize = 4;
inline constexpr uint64_t kBlockHeaderSize = 8;
// The first offset behind the pointer: drawing data ends no earlier.
inline constexpr uint64_t kHeaderEnd = kPointerOffset + kPointerSize;

// Whether the file starts with the version text (case counts); E_INVALIDARG when it does not.
Result<bool> checkVersion(const ByteSource& file);

// P, read at 148; E_INVALIDARG when the file ends before it.
Result<uint32_t> readPointer(const ByteSource& file);

struct Block {
  uint32_t pointer = 0;
  std::vector<uint8_t> blob;
};

// The length L of the block at `pointer` (non-zero), without reading the blob: E_FAIL when
// its copy of P differs, L exceeds kMaxBlobLength or the file holds fewer than L bytes of
// blob.
Result<uint32_t> readBlockLength(const ByteSource& file, uint32_t pointer);

// The block at `pointer`, checked as readBlockLength does, with its blob.
Result<Block> readBlock(const ByteSource& file, uint32_t pointer);

// Where a new signature block goes: the file size when `pointer` is 0, else the end of the
// furthest section. E_FAIL when the locator records do not fit the file or the sections end
// inside the header or beyond the file, where a block could only overwrite the drawing.
Result<uint64_t> endOfDrawingData(const ByteSource& file, uint32_t pointer);

// The bytes written at E: the block header (E, L) and the blob.
std::vector<uint8_t> encodeBlock(uint32_t at, std::span<const uint8_t> blob);

}  // namespace vexamor::signcore::classic
