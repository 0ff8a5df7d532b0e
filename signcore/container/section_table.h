// Streams ("sections") of a container as the section information describes
// them: name, identifier, size, page size, compression, and the page holding
// each page-size block, plus the container-wide defaults. Also the rules for
// a stream's page size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "page_list.h"
#include "page_pool.h"
#include "win32_codes.h"

namespace vexamor::container {

// A block of the stream that no page holds: it reads as zeros.
inline constexpr uint64_t kNoPage = ~uint64_t{0};

struct Section {
  std::string name;
  uint32_t identifier = 0;
  uint64_t size = 0;
  uint32_t pageSize = 0;
  int32_t level = -1;
  uint32_t compression = 0;
  uint32_t further = 0;         // kept as read
  std::vector<uint64_t> pages;  // position of the page holding block i, or kNoPage
  bool present = true;          // false once removed

  // One decoded block shared by every open handle of the stream.
  PoolBuffer cache;
  // Blocks of a smaller page size the cache grew out of while handles were
  // open: their views stay readable until the last handle closes.
  std::vector<PoolBuffer> outgrownCaches;
  uint64_t cacheIndex = 0;
  bool cacheValid = false;
  bool cacheDirty = false;
  uint32_t handles = 0;
};

struct SectionTable {
  uint32_t defaultCompression = 0;
  uint32_t defaultPageSize = 0;
  uint32_t further = 0;  // kept as read
  uint32_t nextIdentifier = 0;
  std::vector<std::shared_ptr<Section>> sections;
};

// True for a page size a stream may have: a multiple of 128 from the minimum
// up to 0xFFFF80, or exactly 0x1000000.
bool isValidPageSize(uint32_t size);
// Rounds a requested page size up to a valid one; 0 asks for `defaultSize`.
// Failure: 87.
Expected<uint32_t> choosePageSize(uint32_t requested, uint32_t defaultSize);

// Turns a page number of a section entry into a page position (kNoPage for a
// free page), or fails with 1392 for a page that is missing or taken.
using PageResolver = std::function<Expected<uint64_t>(int32_t number)>;

// Parses section-information content. Failure: 1392.
Expected<SectionTable> parseSectionInfo(std::span<const uint8_t> content,
                                        const PageResolver& resolve);

// Size of the content for the present sections.
size_t sectionInfoSize(const SectionTable& table);
// Writes the content; every block of a present section must be in a page.
void serialiseSectionInfo(const SectionTable& table, const PageList& pages, std::span<uint8_t> out);

}  // namespace vexamor::container
