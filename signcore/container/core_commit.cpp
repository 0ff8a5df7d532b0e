// Committing a changed container: stream blocks, then the section
// information and the page map in fresh pages, then the header at the header
// offset and again behind the last page, where the file then ends.
#include <cstring>

#include "container_core.h"
#include "format.h"
#include "page_headers.h"

namespace vexamor::container {

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
  return file.writeAt(pageAreaStart() + position, page);
}

Win32Code ContainerCore::writeHeader() {
  header.usedEnd = pages.end();
  header.usedCount = static_cast<uint32_t>(pages.usedCount());
  header.freeCount = static_cast<uint32_t>(pages.freeCount());
  header.pageListFirst = pages.firstNumber();
  header.pageListLast = pages.lastNumber();
  header.pageMapNumber = pages.find(pageMapPosition)->number;
  header.pageMapPosition = pageMapPosition;
  header.sectionInfoNumber = pages.find(sectionInfoPosition)->number;
  header.highestUsed = pages.highestUsed();
  header.highestFree = static_cast<int32_t>(pages.freeCount());
  const ScrambledHeader bytes = encodeHeader(header);
  // The second copy sits right behind the last page and is not part of the
  // used area, so the next commit writes it at the same place again.
  const uint64_t copyAt = pageAreaStart() + header.usedEnd;
  if (Win32Code rc = file.writeAt(headerOffset, bytes); rc != kErrorSuccess) return rc;
  if (Win32Code rc = file.writeAt(copyAt, bytes); rc != kErrorSuccess) return rc;
  if (Win32Code rc = file.truncate(copyAt + header::kSize); rc != kErrorSuccess) return rc;
  return file.sync();
}

Win32Code ContainerCore::commit() {
  if (!isOpen) return kErrorInvalidHandle;
  if (!writable) return kErrorSuccess;
  for (auto& section : table.sections) {
    if (!section->present) continue;
    if (Win32Code rc = completeSection(*section); rc != kErrorSuccess) return rc;
  }
  if (!dirty) return kErrorSuccess;

  // Fresh pages for the section information and the page map. The page map
  // lists its own page; appended as the last page, it adds exactly one used
  // entry and nothing else changes, so its size is known before it is written.
  if (pageMapPosition != kNoPage) pages.release(pageMapPosition);
  if (sectionInfoPosition != kNoPage) pages.release(sectionInfoPosition);
  pageMapPosition = sectionInfoPosition = kNoPage;
  const size_t infoSize = sectionInfoSize(table);
  Expected<uint64_t> infoPage = pages.allocate(syspage::kHeaderSize + maxStoredSize(infoSize));
  if (!infoPage.ok()) return infoPage.error();
  sectionInfoPosition = *infoPage;
  pages.trimFreeTail();
  const size_t mapBound = pages.contentSize() + pagemap::kUsedEntrySize;
  Expected<uint64_t> mapPage = pages.append(syspage::kHeaderSize + maxStoredSize(mapBound));
  if (!mapPage.ok()) return mapPage.error();
  pageMapPosition = *mapPage;
  pages.renumberFree();

  PoolBuffer content;
  if (!content.allocate(std::max(infoSize, mapBound))) return kErrorNotEnoughMemory;
  serialiseSectionInfo(table, pages, std::span(content.data(), infoSize));
  if (Win32Code rc =
          writeSystemPage(sectionInfoPosition, syspage::kSectionInfoMarker, content, infoSize);
      rc != kErrorSuccess) {
    return rc;
  }
  const size_t mapSize = pages.contentSize();
  pages.serialise(std::span(content.data(), mapSize));
  if (Win32Code rc = writeSystemPage(pageMapPosition, syspage::kPageMapMarker, content, mapSize);
      rc != kErrorSuccess) {
    return rc;
  }
  if (Win32Code rc = writeHeader(); rc != kErrorSuccess) return rc;
  dirty = false;
  return kErrorSuccess;
}

}  // namespace vexamor::container
