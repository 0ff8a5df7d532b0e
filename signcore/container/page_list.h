// The container's pages in file order: where each page lies in the page
// area, its size, whether it is free, and its number in the page map.
// Allocation takes the smallest free page that fits (splitting off the rest
// when it reaches the split threshold), grows a free last page, or appends;
// freeing merges a page with free neighbours.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <unordered_map>

#include "file_header.h"
#include "win32_codes.h"

namespace vexamor::container {

struct Page {
  uint64_t size = 0;
  bool free = false;
  int32_t number = 0;  // as read, or as assigned by renumber()
};

// Page positions of the page map, by page number (used > 0, free < 0).
using PageNumbers = std::unordered_map<int32_t, uint64_t>;

class PageList {
 public:
  PageList(uint32_t granularity, uint32_t splitThreshold)
      : granularity_(granularity), splitThreshold_(splitThreshold) {}

  // Builds the list from page-map content; checks every entry against the
  // header (counts, granularity, used end). Failure: 1392.
  static Expected<PageList> parse(std::span<const uint8_t> content, const FileHeader& header,
                                  PageNumbers* numbers);

  uint64_t end() const { return end_; }
  size_t usedCount() const { return pages_.size() - freeCount_; }
  size_t freeCount() const { return freeCount_; }
  const Page* find(uint64_t position) const;

  // Takes a page of at least `bytes` (rounded up to the granularity), gives
  // it the next used page number and returns its position; 8 when sizes,
  // positions or page numbers would overflow.
  Expected<uint64_t> allocate(uint64_t bytes);
  // Drops free pages at the end and appends a page of at least `bytes`
  // there, so that it becomes the last page.
  Expected<uint64_t> append(uint64_t bytes);
  // Frees the used page at `position`.
  void release(uint64_t position);
  // Drops free pages at the end of the page area.
  void trimFreeTail();
  // Numbers free pages -1, -2, ... in file order. Used pages keep their
  // numbers: pages this engine does not know may be referred to by number.
  void renumberFree();
  int32_t highestUsed() const { return highestUsed_; }

  // Page-map content for the current list (free numbers from renumberFree()).
  size_t contentSize() const;
  void serialise(std::span<uint8_t> out) const;
  int32_t firstNumber() const { return pages_.empty() ? 0 : pages_.begin()->second.number; }
  int32_t lastNumber() const { return pages_.empty() ? 0 : pages_.rbegin()->second.number; }

 private:
  void indexFree(uint64_t position, uint64_t size) { freeBySize_.emplace(size, position); }
  void unindexFree(uint64_t position, uint64_t size);
  void takeFree(std::map<uint64_t, Page>::iterator page, uint64_t need);

  uint32_t granularity_;
  uint32_t splitThreshold_;
  std::map<uint64_t, Page> pages_;                // by position in the page area
  std::multimap<uint64_t, uint64_t> freeBySize_;  // size -> position of free pages
  size_t freeCount_ = 0;
  uint64_t end_ = 0;
  int32_t highestUsed_ = 0;
};

}  // namespace vexamor::container
