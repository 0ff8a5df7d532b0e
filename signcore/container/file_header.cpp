#include "file_header.h"

#include <lzo/lzoconf.h>

#include <cstring>

namespace vexamor::container {
namespace {

// The mask is the top byte of each step of the 32-bit linear congruential
// generator x' = x * 1664525 + 1013904223 (mod 2^32), started from the seed
// 0x1015DA7A. Reading and writing share it; changing either constant makes
// every existing container unreadable.
constexpr uint32_t kMaskSeed = 0x1015DA7A;
constexpr uint32_t kMaskMultiplier = 1664525;
constexpr uint32_t kMaskIncrement = 1013904223;

ScrambledHeader makeMask() {
  ScrambledHeader mask{};
  uint32_t state = kMaskSeed;
  for (uint8_t& byte : mask) {
    state = state * kMaskMultiplier + kMaskIncrement;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return mask;
}

uint32_t headerCrc(const ScrambledHeader& plain) {
  ScrambledHeader copy = plain;
  storeU32(copy.data() + header::kCrcAt, 0);
  return static_cast<uint32_t>(lzo_crc32(0, copy.data(), copy.size()));
}

void scramble(ScrambledHeader& bytes) {
  const ScrambledHeader& mask = headerMask();
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= mask[i];
}

}  // namespace

const ScrambledHeader& headerMask() {
  static const ScrambledHeader mask = makeMask();
  return mask;
}

ScrambledHeader encodeHeader(const FileHeader& f) {
  using namespace header;
  ScrambledHeader b{};
  std::memcpy(b.data() + kMagicAt, kMagic, kMagicSize);
  storeU32(&b[kZeroAt], 0);
  storeU32(&b[kSizeAt], kSize);
  storeU32(&b[kVersionAt], kVersionField);
  for (size_t i = 0; i < f.systemPages.size(); ++i)
    storeU32(&b[kSystemPagesAt + 4 * i], f.systemPages[i]);
  storeI32(&b[kPageListFirstAt], f.pageListFirst);
  storeI32(&b[kPageListLastAt], f.pageListLast);
  storeU32(&b[kKeptAt], f.kept[0]);
  storeU32(&b[kKeptAt + 4], f.kept[1]);
  storeU64(&b[kUsedEndAt], f.usedEnd);
  storeU32(&b[kFreeCountAt], f.freeCount);
  storeU32(&b[kUsedCountAt], f.usedCount);
  storeU32(&b[kGranularityAt], f.granularity);
  storeU32(&b[kPageAreaAt], f.pageArea);
  storeU32(&b[kSplitThresholdAt], f.splitThreshold);
  storeI32(&b[kPageMapNumberAt], f.pageMapNumber);
  storeU64(&b[kPageMapPositionAt], f.pageMapPosition);
  storeI32(&b[kSectionInfoNumberAt], f.sectionInfoNumber);
  storeI32(&b[kHighestUsedAt], f.highestUsed);
  storeI32(&b[kHighestFreeAt], f.highestFree);
  storeU32(&b[kCrcAt], headerCrc(b));
  scramble(b);
  return b;
}

Expected<FileHeader> decodeHeader(std::span<const uint8_t, header::kSize> scrambled) {
  using namespace header;
  ScrambledHeader b{};
  std::memcpy(b.data(), scrambled.data(), b.size());
  scramble(b);
  if (std::memcmp(b.data() + kMagicAt, kMagic, kMagicSize) != 0 || loadU32(&b[kSizeAt]) != kSize ||
      loadU32(&b[kVersionAt]) != kVersionField ||
      !checksumMatches(loadU32(&b[kCrcAt]), headerCrc(b))) {
    return Failure{kErrorFileCorrupt};
  }
  FileHeader f;
  for (size_t i = 0; i < f.systemPages.size(); ++i)
    f.systemPages[i] = loadU32(&b[kSystemPagesAt + 4 * i]);
  f.pageListFirst = loadI32(&b[kPageListFirstAt]);
  f.pageListLast = loadI32(&b[kPageListLastAt]);
  f.kept = {loadU32(&b[kKeptAt]), loadU32(&b[kKeptAt + 4])};
  f.usedEnd = loadU64(&b[kUsedEndAt]);
  f.freeCount = loadU32(&b[kFreeCountAt]);
  f.usedCount = loadU32(&b[kUsedCountAt]);
  f.granularity = loadU32(&b[kGranularityAt]);
  f.pageArea = loadU32(&b[kPageAreaAt]);
  f.splitThreshold = loadU32(&b[kSplitThresholdAt]);
  f.pageMapNumber = loadI32(&b[kPageMapNumberAt]);
  f.pageMapPosition = loadU64(&b[kPageMapPositionAt]);
  f.sectionInfoNumber = loadI32(&b[kSectionInfoNumberAt]);
  f.highestUsed = loadI32(&b[kHighestUsedAt]);
  f.highestFree = loadI32(&b[kHighestFreeAt]);
  // Pages must not overlap the header, and every page size must be a whole
  // number of granules that can hold a page-map entry.
  if (f.granularity < kMinGranularity || f.granularity > kMaxGranularity || f.pageArea < kSize) {
    return Failure{kErrorFileCorrupt};
  }
  return f;
}

bool isContainerSignature(std::span<const uint8_t, header::kRecognitionSize> bytes) {
  const ScrambledHeader& mask = headerMask();
  uint8_t plain[header::kRecognitionSize];
  for (size_t i = 0; i < sizeof(plain); ++i) plain[i] = bytes[i] ^ mask[i];
  plain[sizeof(plain) - 1] = 0;
  return std::strcmp(reinterpret_cast<const char*>(plain), header::kMagic) == 0;
}

}  // namespace vexamor::container
