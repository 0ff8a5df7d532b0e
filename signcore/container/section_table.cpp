#include "section_table.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "format.h"

namespace vexamor::container {

using namespace sectioninfo;

bool isValidPageSize(uint32_t size) {
  return size == kLargestPageSize ||
         (size % kPageSizeUnit == 0 && size >= kMinPageSize && size <= kMaxRoundedPageSize);
}

Expected<uint32_t> choosePageSize(uint32_t requested, uint32_t defaultSize) {
  uint64_t size = requested == 0 ? defaultSize : roundUp(requested, kPageSizeUnit);
  size = std::max<uint64_t>(size, kMinPageSize);
  if (size > kLargestPageSize || !isValidPageSize(static_cast<uint32_t>(size))) {
    return Failure{kErrorInvalidParameter};
  }
  return static_cast<uint32_t>(size);
}

namespace {

// Reads one description and its page entries at `at`; advances `at`.
Expected<std::shared_ptr<Section>> parseSection(std::span<const uint8_t> content, size_t& at,
                                                const PageResolver& resolve) {
  if (content.size() - at < kDescriptionSize) return Failure{kErrorFileCorrupt};
  const uint8_t* d = &content[at];
  auto section = std::make_shared<Section>();
  section->size = loadU64(d + kStreamSizeAt);
  const uint32_t entries = loadU32(d + kEntryCountAt);
  section->pageSize = loadU32(d + kPageSizeAt);
  section->level = loadI32(d + kLevelAt);
  section->compression = loadU32(d + kCompressionAt);
  section->identifier = loadU32(d + kIdentifierAt);
  section->further = loadU32(d + kDescriptionFurtherAt);
  const auto* name = reinterpret_cast<const char*>(d + kNameAt);
  const void* terminator = std::memchr(name, 0, kNameSize);
  if (terminator == nullptr || !isValidPageSize(section->pageSize))
    return Failure{kErrorFileCorrupt};
  section->name.assign(name, static_cast<const char*>(terminator));
  at += kDescriptionSize;

  if ((content.size() - at) / kEntrySize < entries) return Failure{kErrorFileCorrupt};
  section->pages.reserve(entries);
  // Block i lies at offset i * page size; every block but the last is full.
  uint64_t expectedSize = 0;
  for (uint32_t i = 0; i < entries; ++i, at += kEntrySize) {
    const uint8_t* e = &content[at];
    const uint32_t bytes = loadU32(e + kEntryBytesAt);
    const uint64_t offset = loadU64(e + kEntryOffsetAt);
    const bool last = i + 1 == entries;
    if (offset != uint64_t{i} * section->pageSize || bytes == 0 || bytes > section->pageSize ||
        (!last && bytes != section->pageSize)) {
      return Failure{kErrorFileCorrupt};
    }
    Expected<uint64_t> page = resolve(loadI32(e + kEntryPageAt));
    if (!page.ok()) return Failure{page.error()};
    section->pages.push_back(*page);
    expectedSize = offset + bytes;
  }
  if (section->size != expectedSize) return Failure{kErrorFileCorrupt};
  return section;
}

}  // namespace

Expected<SectionTable> parseSectionInfo(std::span<const uint8_t> content,
                                        const PageResolver& resolve) {
  if (content.size() < kPrologueSize) return Failure{kErrorFileCorrupt};
  SectionTable table;
  const uint32_t count = loadU32(&content[kCountAt]);
  table.defaultCompression = loadU32(&content[kDefaultCompressionAt]);
  table.defaultPageSize = loadU32(&content[kDefaultPageSizeAt]);
  table.further = loadU32(&content[kFurtherAt]);
  table.nextIdentifier = loadU32(&content[kNextIdentifierAt]);
  // A default that breaks the page-size rules is replaced rather than refused:
  // it only matters for streams created later.
  if (!isValidPageSize(table.defaultPageSize)) table.defaultPageSize = kDefaultPageSize;
  if ((content.size() - kPrologueSize) / kDescriptionSize < count)
    return Failure{kErrorFileCorrupt};

  std::set<std::string> names;
  std::set<uint32_t> identifiers;
  table.sections.reserve(count);
  size_t at = kPrologueSize;
  for (uint32_t i = 0; i < count; ++i) {
    Expected<std::shared_ptr<Section>> section = parseSection(content, at, resolve);
    if (!section.ok()) return Failure{section.error()};
    // Streams are found by name or identifier, so both must be unique.
    if (!names.insert((*section)->name).second ||
        !identifiers.insert((*section)->identifier).second) {
      return Failure{kErrorFileCorrupt};
    }
    table.sections.push_back(std::move(*section));
  }
  if (at != content.size()) return Failure{kErrorFileCorrupt};
  return table;
}

size_t sectionInfoSize(const SectionTable& table) {
  size_t size = kPrologueSize;
  for (const auto& section : table.sections) {
    if (section->present) size += kDescriptionSize + section->pages.size() * kEntrySize;
  }
  return size;
}

void serialiseSectionInfo(const SectionTable& table, const PageList& pages,
                          std::span<uint8_t> out) {
  std::memset(out.data(), 0, out.size());
  const auto present = std::count_if(table.sections.begin(), table.sections.end(),
                                     [](const auto& s) { return s->present; });
  storeU32(&out[kCountAt], static_cast<uint32_t>(present));
  storeU32(&out[kDefaultCompressionAt], table.defaultCompression);
  storeU32(&out[kDefaultPageSizeAt], table.defaultPageSize);
  storeU32(&out[kFurtherAt], table.further);
  storeU32(&out[kNextIdentifierAt], table.nextIdentifier);
  size_t at = kPrologueSize;
  for (const auto& section : table.sections) {
    if (!section->present) continue;
    uint8_t* d = &out[at];
    storeU64(d + kStreamSizeAt, section->size);
    storeU32(d + kEntryCountAt, static_cast<uint32_t>(section->pages.size()));
    storeU32(d + kPageSizeAt, section->pageSize);
    storeI32(d + kLevelAt, section->level);
    storeU32(d + kCompressionAt, section->compression);
    storeU32(d + kIdentifierAt, section->identifier);
    storeU32(d + kDescriptionFurtherAt, section->further);
    std::memcpy(d + kNameAt, section->name.data(), std::min(section->name.size(), kNameSize - 1));
    at += kDescriptionSize;
    for (size_t i = 0; i < section->pages.size(); ++i, at += kEntrySize) {
      const uint64_t offset = uint64_t{i} * section->pageSize;
      const Page* page = pages.find(section->pages[i]);
      storeI32(&out[at + kEntryPageAt], page != nullptr ? page->number : 0);
      storeU32(&out[at + kEntryBytesAt], static_cast<uint32_t>(std::min<uint64_t>(
                                             section->pageSize, section->size - offset)));
      storeU64(&out[at + kEntryOffsetAt], offset);
    }
  }
}

}  // namespace vexamor::container
