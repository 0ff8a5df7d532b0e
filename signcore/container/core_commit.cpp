// Committing a changed container. Stream blocks and both system pages go to
// space the file's current header does not use; the file is flushed; then
// the header is written at the header offset and flushed, which is the
// moment the new state replaces the old; last the second header copy goes
// behind the last page, where the file then ends.
#include <cstring>

#include "container_core.h"
#include "format.h"
#include "page_headers.h"

namespace vexamor::container {
namespace {

// Placing the page map can add to the map at most its own used entry and
// one free entry on either side of it.
constexpr size_t kMapPlacementGrowth = pagemap::kUsedEntrySize + 2 * pagemap::kFreeEntrySize;

}  // namespace

Win32Code ContainerCore::completeSection(Section& section) {
  if (Win32Code rc = flushBlock(section); rc != kErrorSuccess) return rc;
  const uint64_t blocks = (section.size + section.pageSize - 1) / section.pageSize;
  section.pages.resize(blocks, kNoPage);
  // Blocks no page holds (written past the end, or stored as free pages)
  // become real pages of zeros, so that every block has its page.
  for (uint64_t i = 0; i < blocks; ++i) {
    if (section.pages[i] != kNoPage) continue;
    if (Win32Code rc = loadBlock(section, i); rc != kErrorSuccess) return rc;
    section.cacheDirty = true;
    if (Win32Code rc = flushBlock(section); rc != kErrorSuccess) return rc;
  }
  return kErrorSuccess;
}

Win32Code ContainerCore::writeSystemPage(uint64_t position, uint32_t marker,
                                         const PoolBuffer& content, size_t contentSize) {
  const uint64_t capacity = syspage::kHeaderSize + maxStoredSize(contentSize);
  if (!io.reserve(capacity)) return kErrorNotEnoughMemory;
  size_t stored = 0;
  if (Win32Code rc = codec.compress(
          kCompressionLzo, 0, std::span(content.data(), contentSize),
          std::span(io.data() + syspage::kHeaderSize, capacity - syspage::kHeaderSize), &stored);
      rc != kErrorSuccess) {
    return rc;
  }
  const std::span<uint8_t> page(io.data(), syspage::kHeaderSize + stored);
  sealSystemPage(page, marker, static_cast<uint32_t>(contentSize));
  return file->writeAt(pageAreaStart() + position, page);
}

// Places and writes the section information and the page map; `next` gets
// the page list as the new page map describes it.
Win32Code ContainerCore::writeSystemPages(PageList* next) {
  if (pageMapPosition != kNoPage) pages.release(pageMapPosition);
  if (sectionInfoPosition != kNoPage) pages.release(sectionInfoPosition);
  pageMapPosition = sectionInfoPosition = kNoPage;
  const size_t infoSize = sectionInfoSize(table);
  Expected<uint64_t> infoPage = pages.allocate(syspage::kHeaderSize + maxStoredSize(infoSize));
  if (!infoPage.ok()) return infoPage.error();
  sectionInfoPosition = *infoPage;
  // The page map lists its own page, so its size is known only once it is
  // placed; placing it changes the map by a bounded amount.
  const size_t mapBound = pages.nextCommit().contentSize() + kMapPlacementGrowth;
  Expected<uint64_t> mapPage = pages.allocate(syspage::kHeaderSize + maxStoredSize(mapBound));
  if (!mapPage.ok()) return mapPage.error();
  pageMapPosition = *mapPage;
  *next = pages.nextCommit();
  const size_t mapSize = next->contentSize();
  if (mapSize > mapBound) return kErrorGenFailure;

  PoolBuffer content;
  if (!content.allocate(std::max(infoSize, mapSize))) return kErrorNotEnoughMemory;
  serialiseSectionInfo(table, *next, std::span(content.data(), infoSize));
  if (Win32Code rc =
          writeSystemPage(sectionInfoPosition, syspage::kSectionInfoMarker, content, infoSize);
      rc != kErrorSuccess) {
    return rc;
  }
  next->serialise(std::span(content.data(), mapSize));
  return writeSystemPage(pageMapPosition, syspage::kPageMapMarker, content, mapSize);
}

Win32Code ContainerCore::writeHeader(const PageList& next) {
  header.usedEnd = next.end();
  header.usedCount = static_cast<uint32_t>(next.usedCount());
  header.freeCount = static_cast<uint32_t>(next.freeCount());
  header.pageListFirst = next.firstNumber();
  header.pageListLast = next.lastNumber();
  header.pageMapNumber = next.find(pageMapPosition)->number;
  header.pageMapPosition = pageMapPosition;
  header.sectionInfoNumber = next.find(sectionInfoPosition)->number;
  header.highestUsed = next.highestUsed();
  header.highestFree = static_cast<int32_t>(next.freeCount());
  const ScrambledHeader bytes = encodeHeader(header);
  // From this write on, the file may hold either header.
  pages.commitAll();
  if (Win32Code rc = file->writeAt(headerOffset, bytes); rc != kErrorSuccess) return rc;
  if (Win32Code rc = file->sync(); rc != kErrorSuccess) return rc;
  // The second copy sits right behind the last page and is not part of the
  // used area, so the next commit writes it at the same place again. It may
  // cover pages only the old header used, so it waits for the new one.
  const uint64_t copyAt = pageAreaStart() + header.usedEnd;
  if (Win32Code rc = file->writeAt(copyAt, bytes); rc != kErrorSuccess) return rc;
  if (Win32Code rc = file->truncate(copyAt + header::kSize); rc != kErrorSuccess) return rc;
  return file->sync();
}

Win32Code ContainerCore::commit() {
  if (!isOpen) return kErrorInvalidHandle;
  if (!writable) return kErrorSuccess;
  if (broken) return kErrorNotEnoughMemory;
  for (auto& section : table.sections) {
    if (!section->present) continue;
    if (Win32Code rc = completeSection(*section); rc != kErrorSuccess) return rc;
  }
  if (!dirty) return kErrorSuccess;

  PageList next(header.granularity, header.splitThreshold);
  if (Win32Code rc = writeSystemPages(&next); rc != kErrorSuccess) return rc;
  // The last page need not be written to its end; the file must reach it for
  // the new header to be valid.
  Expected<uint64_t> size = file->size();
  if (!size.ok()) return size.error();
  if (const uint64_t end = pageAreaStart() + next.end(); *size < end) {
    if (Win32Code rc = file->truncate(end); rc != kErrorSuccess) return rc;
  }
  // Everything the new header refers to is durable before the header is written.
  if (Win32Code rc = file->sync(); rc != kErrorSuccess) return rc;
  if (Win32Code rc = writeHeader(next); rc != kErrorSuccess) return rc;
  pages = std::move(next);
  dirty = false;
  return kErrorSuccess;
}

}  // namespace vexamor::container
