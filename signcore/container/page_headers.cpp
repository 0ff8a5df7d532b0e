#include "page_headers.h"

#include <array>

#include "checksum.h"

namespace vexamor::container {

void sealSystemPage(std::span<uint8_t> page, uint32_t marker, uint32_t decodedSize) {
  using namespace syspage;
  storeU32(&page[kMarkerAt], marker);
  storeU32(&page[kDecodedSizeAt], decodedSize);
  storeU32(&page[kStoredSizeAt], static_cast<uint32_t>(page.size() - kHeaderSize));
  storeU32(&page[kCompressionAt], kCompressionLzo);
  storeU32(&page[kChecksumAt], 0);
  uint32_t sum = pageChecksum(0, page.first(kHeaderSize));
  sum = pageChecksum(sum, page.subspan(kHeaderSize));
  storeU32(&page[kChecksumAt], sum);
}

Expected<SystemPageHeader> openSystemPageHeader(
    std::span<const uint8_t, syspage::kHeaderSize> bytes, uint32_t marker) {
  using namespace syspage;
  if (loadU32(&bytes[kMarkerAt]) != marker) return Failure{kErrorFileCorrupt};
  return SystemPageHeader{loadU32(&bytes[kDecodedSizeAt]), loadU32(&bytes[kStoredSizeAt])};
}

bool systemPageChecksumMatches(std::span<const uint8_t, syspage::kHeaderSize> bytes,
                               std::span<const uint8_t> stored) {
  using namespace syspage;
  std::array<uint8_t, kHeaderSize> copy;
  std::copy(bytes.begin(), bytes.end(), copy.begin());
  storeU32(&copy[kChecksumAt], 0);
  const uint32_t sum = pageChecksum(pageChecksum(0, copy), stored);
  return checksumMatches(loadU32(&bytes[kChecksumAt]), sum);
}

namespace {

using PlainHeader = std::array<uint8_t, datapage::kHeaderSize>;

// Each 32-bit field of a data page header is XOR-ed with the page's position
// (its low 32 bits) XOR-ed with the mask key; applying it twice undoes it.
void applyMask(const uint8_t* in, uint8_t* out, uint64_t position) {
  const uint32_t mask = static_cast<uint32_t>(position) ^ datapage::kMaskKey;
  for (size_t at = 0; at < datapage::kHeaderSize; at += 4)
    storeU32(out + at, loadU32(in + at) ^ mask);
}

// Header checksum: over the plain header with its own field zero, started
// from the data checksum.
uint32_t headerChecksum(PlainHeader plain, uint32_t dataChecksum) {
  storeU32(&plain[datapage::kHeaderChecksumAt], 0);
  return pageChecksum(dataChecksum, plain);
}

}  // namespace

void sealDataPage(std::span<uint8_t> page, const DataPageFields& fields, uint64_t position) {
  using namespace datapage;
  PlainHeader plain{};
  const uint32_t dataSum = pageChecksum(0, page.subspan(kHeaderSize, fields.storedSize));
  storeU32(&plain[kMarkerAt], kMarker);
  storeU32(&plain[kStreamIdAt], fields.streamId);
  storeU32(&plain[kStoredSizeAt], fields.storedSize);
  storeU32(&plain[kPageSizeAt], fields.pageSize);
  storeU64(&plain[kOffsetAt], fields.offset);
  storeU32(&plain[kDataChecksumAt], dataSum);
  storeU32(&plain[kHeaderChecksumAt], headerChecksum(plain, dataSum));
  applyMask(plain.data(), page.data(), position);
}

Expected<uint32_t> openDataPage(std::span<const uint8_t> page, const DataPageFields& expected,
                                uint64_t position) {
  using namespace datapage;
  if (page.size() < kHeaderSize) return Failure{kErrorFileCorrupt};
  PlainHeader plain;
  applyMask(page.data(), plain.data(), position);
  const uint32_t stored = loadU32(&plain[kStoredSizeAt]);
  if (loadU32(&plain[kMarkerAt]) != kMarker || loadU32(&plain[kStreamIdAt]) != expected.streamId ||
      loadU32(&plain[kPageSizeAt]) != expected.pageSize ||
      loadU64(&plain[kOffsetAt]) != expected.offset || stored > page.size() - kHeaderSize) {
    return Failure{kErrorFileCorrupt};
  }
  const uint32_t dataSum = pageChecksum(0, page.subspan(kHeaderSize, stored));
  if (!checksumMatches(loadU32(&plain[kHeaderChecksumAt]), headerChecksum(plain, dataSum)) ||
      !checksumMatches(loadU32(&plain[kDataChecksumAt]), dataSum)) {
    return Failure{kErrorFileCorrupt};
  }
  return stored;
}

}  // namespace vexamor::container
