// The headers in front of every page's stored bytes. System pages (page map,
// section information) carry a plain 20-byte header; data pages a 32-byte
// header masked with their position. Both are protected by page checksums.
#pragma once

#include <cstdint>
#include <span>

#include "format.h"
#include "win32_codes.h"

namespace vexamor::container {

struct SystemPageHeader {
  uint32_t decodedSize = 0;
  uint32_t storedSize = 0;
};

// Writes the header into the first 20 bytes of `page`; the stored bytes
// follow it and make up the rest of `page`.
void sealSystemPage(std::span<uint8_t> page, uint32_t marker, uint32_t decodedSize);

// Decodes a system page header and checks its marker. Failure: 1392.
Expected<SystemPageHeader> openSystemPageHeader(
    std::span<const uint8_t, syspage::kHeaderSize> bytes, uint32_t marker);
bool systemPageChecksumMatches(std::span<const uint8_t, syspage::kHeaderSize> bytes,
                               std::span<const uint8_t> stored);

// What a data page must say about itself.
struct DataPageFields {
  uint32_t streamId = 0;
  uint32_t storedSize = 0;
  uint32_t pageSize = 0;  // size of the page in the file
  uint64_t offset = 0;    // of its block within the stream
};

// Writes the masked header into the first 32 bytes of `page`, whose rest is
// the stored data. `position` is the page's position in the page area.
void sealDataPage(std::span<uint8_t> page, const DataPageFields& fields, uint64_t position);

// Checks the header at the start of `page` (which holds the header and as
// much stored data as was read) against `expected` (storedSize aside) and
// both checksums. Returns the stored size. Failure: 1392.
Expected<uint32_t> openDataPage(std::span<const uint8_t> page, const DataPageFields& expected,
                                uint64_t position);

}  // namespace vexamor::container
