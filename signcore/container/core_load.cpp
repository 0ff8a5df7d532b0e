// Opening a container file: the header, the page map and the section
// information, each checked against the file before anything is trusted.
#include <algorithm>
#include <optional>
#include <vector>

#include "container_core.h"
#include "format.h"
#include "page_headers.h"

namespace vexamor::container {

void ContainerCore::startEmpty() {
  header = FileHeader{};
  pages = PageList(header.granularity, header.splitThreshold);
  table = SectionTable{};
  table.defaultCompression = kDefaultCompression;
  table.defaultPageSize = kDefaultPageSize;
  table.nextIdentifier = kFirstIdentifier;
  pageMapPosition = kNoPage;
  sectionInfoPosition = kNoPage;
  dirty = broken = false;
}

Win32Code ContainerCore::open(const std::string& path, uint32_t access, Disposition disposition) {
  if (isOpen) return kErrorInvalidParameter;
  if (access == 0 || (access & ~(kAccessRead | kAccessWrite)) != 0) return kErrorInvalidParameter;
  Expected<std::unique_ptr<ContainerFile>> opened = opener(path, access, disposition);
  if (!opened.ok()) return opened.error();
  file = std::move(*opened);
  writable = (access & kAccessWrite) != 0;
  startEmpty();
  Expected<uint64_t> size = file->size();
  Win32Code rc = size.ok() ? kErrorSuccess : size.error();
  // Nothing at or behind the header offset: a new container. A file too
  // short to hold a header reads as an empty container too, but is never
  // opened for writing: it may be a drawing cut short, and committing would
  // write a new container over what is left of it.
  if (rc == kErrorSuccess && *size > headerOffset) {
    if (*size - headerOffset >= header::kSize) {
      rc = load(*size);
    } else if (writable) {
      rc = kErrorHandleEof;
    }
  }
  if (rc != kErrorSuccess) {
    closeFile();
    return rc;
  }
  isOpen = true;
  ++generation;
  return kErrorSuccess;
}

void ContainerCore::closeFile() {
  file.reset();
  if (isOpen) ++generation;
  isOpen = false;
  for (auto& section : table.sections) {
    // A block that open handles may still be looking at stays allocated
    // until the last of them closes.
    if (section->handles == 0) {
      section->cache.reset();
      section->outgrownCaches.clear();
    }
    section->cacheValid = section->cacheDirty = false;
  }
  io.reset();
}

Win32Code ContainerCore::readSystemPage(uint64_t position, uint32_t marker, uint64_t storedLimit,
                                        std::optional<uint64_t> expectedSize, PoolBuffer* content,
                                        SystemPageHeader* found) {
  if (position > header.usedEnd || header.usedEnd - position < syspage::kHeaderSize)
    return kErrorFileCorrupt;
  uint8_t head[syspage::kHeaderSize];
  if (Win32Code rc = file->readAt(pageAreaStart() + position, head); rc != kErrorSuccess) return rc;
  Expected<SystemPageHeader> info = openSystemPageHeader(std::span(head), marker);
  if (!info.ok()) return info.error();
  const uint64_t stored = info->storedSize;
  const uint64_t decoded = info->decodedSize;
  // Sizes are checked before either buffer is taken from the pool.
  if (stored > storedLimit || stored > header.usedEnd - position - syspage::kHeaderSize ||
      decoded != expectedSize.value_or(decoded) ||
      decoded > stored * syspage::kMaxExpansion + syspage::kExpansionSlack) {
    return kErrorFileCorrupt;
  }
  if (!io.reserve(stored) || !content->allocate(decoded)) return kErrorNotEnoughMemory;
  const std::span<uint8_t> storedBytes(io.data(), stored);
  if (Win32Code rc = file->readAt(pageAreaStart() + position + syspage::kHeaderSize, storedBytes);
      rc != kErrorSuccess) {
    return rc;
  }
  if (!systemPageChecksumMatches(std::span(head), storedBytes) ||
      codec.decompress(kCompressionLzo, storedBytes, std::span(content->data(), decoded)) != 0) {
    return kErrorFileCorrupt;
  }
  *found = *info;
  return kErrorSuccess;
}

Win32Code ContainerCore::load(uint64_t fileSize) {
  uint8_t raw[header::kSize];
  if (Win32Code rc = file->readAt(headerOffset, raw); rc != kErrorSuccess) return rc;
  Expected<FileHeader> decoded = decodeHeader(std::span<const uint8_t, header::kSize>(raw));
  if (!decoded.ok()) return decoded.error();
  header = *decoded;
  if (pageAreaStart() > fileSize || header.usedEnd > fileSize - pageAreaStart())
    return kErrorFileCorrupt;

  // The page map: its size follows from the header's page counts, which can
  // be no more than the used area holds.
  const uint64_t entries = uint64_t{header.usedCount} + header.freeCount;
  if (entries > header.usedEnd / roundUp(pagemap::kMinPageSize, header.granularity))
    return kErrorFileCorrupt;
  const uint64_t mapSize = uint64_t{header.usedCount} * pagemap::kUsedEntrySize +
                           uint64_t{header.freeCount} * pagemap::kFreeEntrySize;
  PoolBuffer content;
  SystemPageHeader map;
  if (Win32Code rc = readSystemPage(header.pageMapPosition, syspage::kPageMapMarker, header.usedEnd,
                                    mapSize, &content, &map);
      rc != kErrorSuccess) {
    return rc;
  }
  PageNumbers numbers;
  Expected<PageList> list = PageList::parse(std::span(content.data(), mapSize), header, &numbers);
  if (!list.ok()) return list.error();
  pages = std::move(*list);

  const std::optional<size_t> mapIndex = numbers.indexOf(header.pageMapNumber);
  const std::optional<size_t> infoIndex = numbers.indexOf(header.sectionInfoNumber);
  if (header.pageMapNumber <= 0 || header.sectionInfoNumber <= 0 || !mapIndex || !infoIndex ||
      mapIndex == infoIndex || numbers.position(*mapIndex) != header.pageMapPosition ||
      pages.find(header.pageMapPosition)->size < syspage::kHeaderSize + uint64_t{map.storedSize}) {
    return kErrorFileCorrupt;
  }
  pageMapPosition = header.pageMapPosition;
  sectionInfoPosition = numbers.position(*infoIndex);

  // The section information: its size is only bounded by what LZO can expand.
  const uint64_t infoPage = pages.find(sectionInfoPosition)->size;
  SystemPageHeader info;
  if (infoPage < syspage::kHeaderSize) return kErrorFileCorrupt;
  if (Win32Code rc = readSystemPage(sectionInfoPosition, syspage::kSectionInfoMarker,
                                    infoPage - syspage::kHeaderSize, std::nullopt, &content, &info);
      rc != kErrorSuccess) {
    return rc;
  }

  // Each page belongs to at most one stream block; system pages to none.
  std::vector<bool> claimed(numbers.size(), false);
  claimed[*mapIndex] = claimed[*infoIndex] = true;
  PageResolver resolve = [&](int32_t number) -> Expected<uint64_t> {
    const std::optional<size_t> index = numbers.indexOf(number);
    if (!index || claimed[*index]) return Failure{kErrorFileCorrupt};
    claimed[*index] = true;
    return number > 0 ? numbers.position(*index) : kNoPage;
  };
  Expected<SectionTable> sections =
      parseSectionInfo(std::span(content.data(), info.decodedSize), resolve);
  if (!sections.ok()) return sections.error();
  table = std::move(*sections);
  return kErrorSuccess;
}

std::shared_ptr<Section> ContainerCore::find(std::string_view name, uint32_t identifier) const {
  for (const auto& section : table.sections) {
    if (!section->present) continue;
    const bool match = name.empty() ? section->identifier == identifier
                                    : section->name == name &&
                                          (identifier == 0 || section->identifier == identifier);
    if (match) return section;
  }
  return nullptr;
}

}  // namespace vexamor::container
