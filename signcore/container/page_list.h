// The container's pages in file order: where each page lies in the page
// area, its size, whether it is free, and its number in the page map.
// Allocation takes the smallest free page that fits (splitting off the rest
// when it reaches the split threshold), grows a free last page, or appends;
// freeing merges a page with free neighbours.
//
// Commits are shadowed: a page that the file's current page map lists as
// used is "committed". Releasing it only retires it: it stays out of reach of
// allocation until the next commit's header is durable, so nothing the
// current header refers to is ever overwritten before then. nextCommit()
// gives the list as the next page map describes it (retired pages free).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "file_header.h"
#include "win32_codes.h"

namespace vexamor::container {

struct Page {
  uint64_t size = 0;
  int32_t number = 0;  // as read, or as assigned by allocation and renumberFree()
  bool free = false;
  bool committed = false;  // used in the page map the file's header refers to
  bool retired = false;    // released since, but still committed
};

// Page positions of the page map by page number (used > 0, free < 0).
class PageNumbers {
 public:
  size_t size() const { return entries_.size(); }
  // Index of `number` in 0 ... size() - 1, or nothing.
  std::optional<size_t> indexOf(int32_t number) const;
  std::optional<uint64_t> find(int32_t number) const;
  uint64_t position(size_t index) const { return entries_[index].second; }

 private:
  friend class PageList;
  std::vector<std::pair<int32_t, uint64_t>> entries_;  // sorted by number
};

class PageList {
 public:
  PageList(uint32_t granularity, uint32_t splitThreshold)
      : granularity_(granularity), splitThreshold_(splitThreshold) {}

  // Builds the list from page-map content; checks every entry against the
  // header (counts, granularity, sizes, used end). Every used page comes out
  // committed. Failure: 1392.
  static Expected<PageList> parse(std::span<const uint8_t> content, const FileHeader& header,
                                  PageNumbers* numbers);

  uint64_t end() const { return end_; }
  size_t usedCount() const { return pages_.size() - freeCount_; }
  size_t freeCount() const { return freeCount_; }
  const Page* find(uint64_t position) const;

  // Takes a page of at least `bytes` (rounded up to the granularity) that no
  // committed page overlaps, gives it the next used page number and returns
  // its position; 8 when sizes, positions or page numbers would overflow.
  Expected<uint64_t> allocate(uint64_t bytes);
  // Frees the used page at `position`, or retires it when it is committed.
  void release(uint64_t position);
  // Drops free pages at the end of the page area.
  void trimFreeTail();
  int32_t highestUsed() const { return highestUsed_; }

  // The list as the next page map describes it: retired pages freed and
  // merged, free pages at the end dropped, free pages numbered -1, -2, ... in
  // file order, every used page committed. Used pages keep their numbers:
  // pages this engine does not know may be referred to by number.
  PageList nextCommit() const;
  // Marks every used page committed, retired ones included: for the time a
  // new header may or may not have reached the file, both count.
  void commitAll();

  // Page-map content for the current list.
  size_t contentSize() const;
  void serialise(std::span<uint8_t> out) const;
  int32_t firstNumber() const { return pages_.empty() ? 0 : pages_.begin()->second.number; }
  int32_t lastNumber() const { return pages_.empty() ? 0 : pages_.rbegin()->second.number; }

 private:
  using Pages = std::map<uint64_t, Page>;

  Expected<uint64_t> append(uint64_t need);
  void freePage(Pages::iterator page);
  void indexFree(uint64_t position, uint64_t size) { freeBySize_.emplace(size, position); }
  void unindexFree(uint64_t position, uint64_t size);
  void takeFree(Pages::iterator page, uint64_t need);

  uint32_t granularity_;
  uint32_t splitThreshold_;
  Pages pages_;                                   // by position in the page area
  std::multimap<uint64_t, uint64_t> freeBySize_;  // size -> position of free pages
  size_t freeCount_ = 0;
  uint64_t end_ = 0;
  int32_t highestUsed_ = 0;
};

}  // namespace vexamor::container
