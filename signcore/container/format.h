// On-disk layout of a drawing container: every size, offset, marker and
// default in one place, with little-endian encoders and decoders. Nothing in
// the engine reads or writes a container field except through these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexamor::container {

// --- Little-endian field access -------------------------------------------

inline uint32_t loadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline int32_t loadI32(const uint8_t* p) {
  return static_cast<int32_t>(loadU32(p));
}
inline uint64_t loadU64(const uint8_t* p) {
  return uint64_t{loadU32(p)} | uint64_t{loadU32(p + 4)} << 32;
}

inline void storeU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline void storeI32(uint8_t* p, int32_t v) {
  storeU32(p, static_cast<uint32_t>(v));
}
inline void storeU64(uint8_t* p, uint64_t v) {
  storeU32(p, static_cast<uint32_t>(v));
  storeU32(p + 4, static_cast<uint32_t>(v >> 32));
}

// --- File header (108 bytes, stored scrambled) -----------------------------

namespace header {
inline constexpr char kMagic[] = "DxFssFcAJMB";  // 11 characters and a zero
inline constexpr size_t kMagicSize = sizeof(kMagic);
inline constexpr size_t kRecognitionSize = 16;
inline constexpr uint32_t kSize = 108;
inline constexpr uint32_t kVersionField = 4;
inline constexpr uint64_t kOffsetStep = 128;
inline constexpr uint64_t kLastOffset = 896;

inline constexpr size_t kMagicAt = 0;
inline constexpr size_t kZeroAt = 12;
inline constexpr size_t kSizeAt = 16;
inline constexpr size_t kVersionAt = 20;
inline constexpr size_t kSystemPagesAt = 24;  // three page numbers, kept as read
inline constexpr size_t kPageListFirstAt = 36;
inline constexpr size_t kPageListLastAt = 40;
inline constexpr size_t kKeptAt = 44;  // two fields, kept as read
inline constexpr size_t kUsedEndAt = 52;
inline constexpr size_t kFreeCountAt = 60;
inline constexpr size_t kUsedCountAt = 64;
inline constexpr size_t kGranularityAt = 68;
inline constexpr size_t kPageAreaAt = 72;
inline constexpr size_t kSplitThresholdAt = 76;
inline constexpr size_t kPageMapNumberAt = 80;
inline constexpr size_t kPageMapPositionAt = 84;
inline constexpr size_t kSectionInfoNumberAt = 92;
inline constexpr size_t kHighestUsedAt = 96;
inline constexpr size_t kHighestFreeAt = 100;
inline constexpr size_t kCrcAt = 104;

static_assert(kMagicSize == 12 && kZeroAt == kMagicSize);
static_assert(kCrcAt + 4 == kSize);
static_assert(kRecognitionSize <= kSize);

inline constexpr uint32_t kDefaultGranularity = 32;
inline constexpr uint32_t kDefaultPageArea = 128;
inline constexpr uint32_t kDefaultSplitThreshold = 64;
// Granularities outside this range are refused as corrupt: pages must be able
// to hold a page-map entry, and page sizes are 32-bit.
inline constexpr uint32_t kMinGranularity = 8;
inline constexpr uint32_t kMaxGranularity = 0x10000;
}  // namespace header

// --- System pages (page map, section information) --------------------------

namespace syspage {
inline constexpr uint32_t kHeaderSize = 20;
inline constexpr size_t kMarkerAt = 0;
inline constexpr size_t kDecodedSizeAt = 4;
inline constexpr size_t kStoredSizeAt = 8;
inline constexpr size_t kCompressionAt = 12;
inline constexpr size_t kChecksumAt = 16;
static_assert(kChecksumAt + 4 == kHeaderSize);

inline constexpr uint32_t kPageMapMarker = 0x44780E3B;
inline constexpr uint32_t kSectionInfoMarker = 0x4478003B;
// A system page lists entries that differ from one another (page numbers,
// stream names and identifiers), which LZO cannot pack tighter than about ten
// to one. A declared size beyond this expansion is a lie, refused before
// anything is allocated; it also bounds what the parsed content costs in
// memory by what the file holds.
inline constexpr uint64_t kMaxExpansion = 32;
inline constexpr uint64_t kExpansionSlack = 4096;
}  // namespace syspage

// Page map content: one entry per page in file order.
namespace pagemap {
inline constexpr uint32_t kUsedEntrySize = 8;   // number, size
inline constexpr uint32_t kFreeEntrySize = 24;  // number (< 0), size, four further fields
// Every page can hold at least a system page's header, so the used area
// bounds the number of pages a page map can list.
inline constexpr uint32_t kMinPageSize = syspage::kHeaderSize;
}  // namespace pagemap

// Section information content.
namespace sectioninfo {
inline constexpr uint32_t kPrologueSize = 20;
inline constexpr size_t kCountAt = 0;
inline constexpr size_t kDefaultCompressionAt = 4;
inline constexpr size_t kDefaultPageSizeAt = 8;
inline constexpr size_t kFurtherAt = 12;
inline constexpr size_t kNextIdentifierAt = 16;
static_assert(kNextIdentifierAt + 4 == kPrologueSize);

inline constexpr uint32_t kDescriptionSize = 96;
inline constexpr size_t kStreamSizeAt = 0;
inline constexpr size_t kEntryCountAt = 8;
inline constexpr size_t kPageSizeAt = 12;
inline constexpr size_t kLevelAt = 16;
inline constexpr size_t kCompressionAt = 20;
inline constexpr size_t kIdentifierAt = 24;
inline constexpr size_t kDescriptionFurtherAt = 28;
inline constexpr size_t kNameAt = 32;
inline constexpr size_t kNameSize = 64;
static_assert(kNameAt + kNameSize == kDescriptionSize);

inline constexpr uint32_t kEntrySize = 16;
inline constexpr size_t kEntryPageAt = 0;
inline constexpr size_t kEntryBytesAt = 4;
inline constexpr size_t kEntryOffsetAt = 8;
static_assert(kEntryOffsetAt + 8 == kEntrySize);
}  // namespace sectioninfo

// --- Data pages -------------------------------------------------------------

namespace datapage {
inline constexpr uint32_t kHeaderSize = 32;
inline constexpr size_t kMarkerAt = 0;
inline constexpr size_t kStreamIdAt = 4;
inline constexpr size_t kStoredSizeAt = 8;
inline constexpr size_t kPageSizeAt = 12;
inline constexpr size_t kOffsetAt = 16;
inline constexpr size_t kHeaderChecksumAt = 24;
inline constexpr size_t kDataChecksumAt = 28;
static_assert(kDataChecksumAt + 4 == kHeaderSize);

inline constexpr uint32_t kMarker = 0x4478043B;
inline constexpr uint32_t kMaskKey = 0x56657861;
// A stream's current page is rewritten in place when the new page would
// leave less than this much of it unused.
inline constexpr uint32_t kReuseSlack = 64;
}  // namespace datapage

// --- Streams ----------------------------------------------------------------

inline constexpr uint32_t kCompressionStored = 0;
inline constexpr uint32_t kCompressionLzo = 2;
inline constexpr uint32_t kCompressionZlib = 3;
inline constexpr uint32_t kHighestCompressionType = 3;

inline constexpr uint32_t kPageSizeUnit = 128;
inline constexpr uint32_t kMaxRoundedPageSize = 0xFFFF80;
inline constexpr uint32_t kLargestPageSize = 0x1000000;
inline constexpr uint32_t kMinPageSize = kPageSizeUnit;
inline constexpr uint32_t kDefaultPageSize = 0x8000;
inline constexpr uint32_t kDefaultCompression = kCompressionLzo;
inline constexpr uint32_t kFirstIdentifier = 1;
inline constexpr char kUnnamedStreamFormat[] = "STREAM%u";

// Compares a checksum read from the file with the one computed. Fuzzing
// builds define VEXAMOR_CONTAINER_ACCEPT_ANY_CHECKSUM so that mutated input
// gets past the checksums to the parsers and decompressors behind them.
inline constexpr bool checksumMatches(uint32_t stored, uint32_t computed) {
#ifdef VEXAMOR_CONTAINER_ACCEPT_ANY_CHECKSUM
  (void)stored;
  (void)computed;
  return true;
#else
  return stored == computed;
#endif
}

// Largest number of bytes any compression type may store for `n` input
// bytes (the LZO worst case, which also covers zlib and stored pages).
inline constexpr uint64_t maxStoredSize(uint64_t n) {
  return n + n / 16 + 64 + 3;
}

inline constexpr uint64_t roundUp(uint64_t value, uint64_t unit) {
  return (value + unit - 1) / unit * unit;
}

}  // namespace vexamor::container
