// Stream blocks: one page-size block of a stream per data page, decoded into
// the stream's cache on reading and compressed into a page on writing back.
#include <cstring>

#include "container_core.h"
#include "format.h"
#include "page_headers.h"

namespace vexamor::container {

Win32Code ContainerCore::readBlock(const Section& section, uint64_t index, uint8_t* out) {
  const std::span<uint8_t> block(out, section.pageSize);
  // A block that is not read leaves zeros; a block that is read is overwritten whole by its
  // decoding, so it is not cleared first (a pass over every block read).
  auto zeroed = [&](Win32Code rc) {
    std::memset(block.data(), 0, block.size());
    return rc;
  };
  const uint64_t position = section.pages[index];
  if (position == kNoPage) return zeroed(kErrorSuccess);
  const Page* page = pages.find(position);
  if (page == nullptr || page->free) return zeroed(kErrorFileCorrupt);
  // Header and stored data in one read; no more than a block can need.
  const uint64_t length =
      std::min<uint64_t>(page->size, datapage::kHeaderSize + maxStoredSize(section.pageSize));
  if (!io.reserve(length)) return zeroed(kErrorNotEnoughMemory);
  const std::span<uint8_t> stored(io.data(), length);
  if (Win32Code rc = file->readAt(pageAreaStart() + position, stored); rc != kErrorSuccess)
    return zeroed(rc);
  const DataPageFields expected{section.identifier, 0, static_cast<uint32_t>(page->size),
                                index * section.pageSize};
  Expected<uint32_t> storedSize = openDataPage(stored, expected, position);
  if (!storedSize.ok()) return zeroed(storedSize.error());
  if (codec.decompress(section.compression, stored.subspan(datapage::kHeaderSize, *storedSize),
                       block) != 0) {
    return zeroed(kErrorFileCorrupt);
  }
  return kErrorSuccess;
}

Win32Code ContainerCore::writeBlock(Section& section, uint64_t index, const uint8_t* block) {
  if (!writable) return kErrorAccessDenied;
  if (broken) return kErrorNotEnoughMemory;
  const uint64_t capacity = datapage::kHeaderSize + maxStoredSize(section.pageSize);
  if (!io.reserve(capacity)) return kErrorNotEnoughMemory;
  size_t stored = 0;
  if (Win32Code rc = codec.compress(
          section.compression, section.level, std::span(block, section.pageSize),
          std::span(io.data() + datapage::kHeaderSize, capacity - datapage::kHeaderSize), &stored);
      rc != kErrorSuccess) {
    return rc;
  }
  if (index >= section.pages.size()) section.pages.resize(index + 1, kNoPage);
  const uint64_t need = datapage::kHeaderSize + stored;
  uint64_t& slot = section.pages[index];
  // The block's page is rewritten in place when the new data fits it snugly,
  // unless the file's header still refers to it.
  const Page* current = slot == kNoPage ? nullptr : pages.find(slot);
  if (current == nullptr || current->committed || need > current->size ||
      need + datapage::kReuseSlack < current->size) {
    if (current != nullptr) pages.release(slot);
    slot = kNoPage;
    Expected<uint64_t> position = pages.allocate(need);
    if (!position.ok()) return position.error();
    slot = *position;
  }
  dirty = true;
  const DataPageFields fields{section.identifier, static_cast<uint32_t>(stored),
                              static_cast<uint32_t>(pages.find(slot)->size),
                              index * section.pageSize};
  const std::span<uint8_t> page(io.data(), need);
  sealDataPage(page, fields, slot);
  return file->writeAt(pageAreaStart() + slot, page);
}

Win32Code ContainerCore::loadBlock(Section& section, uint64_t index) {
  if (section.cacheValid && section.cacheIndex == index) return kErrorSuccess;
  if (Win32Code rc = flushBlock(section); rc != kErrorSuccess) return rc;
  section.cacheValid = false;
  if (section.cache.size() < section.pageSize) {
    if (!section.cache.empty()) section.outgrownCaches.push_back(std::move(section.cache));
    if (!section.cache.allocate(section.pageSize)) return kErrorNotEnoughMemory;
  }
  if (index < section.pages.size()) {
    if (Win32Code rc = readBlock(section, index, section.cache.data()); rc != kErrorSuccess)
      return rc;
  } else {
    std::memset(section.cache.data(), 0, section.pageSize);
  }
  section.cacheIndex = index;
  section.cacheValid = true;
  return kErrorSuccess;
}

Win32Code ContainerCore::flushBlock(Section& section) {
  if (!section.cacheDirty) return kErrorSuccess;
  if (Win32Code rc = writeBlock(section, section.cacheIndex, section.cache.data());
      rc != kErrorSuccess) {
    return rc;
  }
  section.cacheDirty = false;
  return kErrorSuccess;
}

void ContainerCore::empty(Section& section) {
  for (uint64_t position : section.pages) {
    if (position != kNoPage) pages.release(position);
  }
  section.pages.clear();
  section.size = 0;
  section.cacheValid = section.cacheDirty = false;
  dirty = true;
}

}  // namespace vexamor::container
