// The container's 108-byte file header: its fields, the scrambling mask, and
// recognition of a container by the first 16 bytes at a candidate offset.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "format.h"
#include "win32_codes.h"

namespace vexamor::container {

struct FileHeader {
  std::array<uint32_t, 3> systemPages{};  // kept as read
  int32_t pageListFirst = 0;
  int32_t pageListLast = 0;
  std::array<uint32_t, 2> kept{};  // kept as read
  uint64_t usedEnd = 0;
  uint32_t freeCount = 0;
  uint32_t usedCount = 0;
  uint32_t granularity = header::kDefaultGranularity;
  uint32_t pageArea = header::kDefaultPageArea;
  uint32_t splitThreshold = header::kDefaultSplitThreshold;
  int32_t pageMapNumber = 0;
  uint64_t pageMapPosition = 0;
  int32_t sectionInfoNumber = 0;
  int32_t highestUsed = 0;
  int32_t highestFree = 0;
};

using ScrambledHeader = std::array<uint8_t, header::kSize>;

// The fixed mask the header is XOR-ed with on disk.
const ScrambledHeader& headerMask();

// Encodes `fields`, fills in the CRC and scrambles the result.
ScrambledHeader encodeHeader(const FileHeader& fields);

// Unscrambles and checks magic, size, version field, CRC and the ranges the
// engine relies on (granularity, page-area distance). Failure: 1392.
Expected<FileHeader> decodeHeader(std::span<const uint8_t, header::kSize> scrambled);

// True when these first 16 bytes of a header, unscrambled and with their last
// byte set to zero, read "DxFssFcAJMB".
bool isContainerSignature(std::span<const uint8_t, header::kRecognitionSize> bytes);

}  // namespace vexamor::container
