#include "page_list.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "format.h"

namespace vexamor::container {
namespace {

// Page sizes are 32-bit signed on disk; positions stay far from overflow.
constexpr uint64_t kMaxPageSize = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
constexpr uint64_t kMaxEnd = uint64_t{1} << 62;

}  // namespace

std::optional<size_t> PageNumbers::indexOf(int32_t number) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), number,
                             [](const auto& entry, int32_t n) { return entry.first < n; });
  if (it == entries_.end() || it->first != number) return std::nullopt;
  return static_cast<size_t>(it - entries_.begin());
}

std::optional<uint64_t> PageNumbers::find(int32_t number) const {
  const std::optional<size_t> index = indexOf(number);
  return index ? std::optional(entries_[*index].second) : std::nullopt;
}

Expected<PageList> PageList::parse(std::span<const uint8_t> content, const FileHeader& header,
                                   PageNumbers* numbers) {
  PageList list(header.granularity, header.splitThreshold);
  numbers->entries_.clear();
  numbers->entries_.reserve(content.size() / pagemap::kUsedEntrySize);
  size_t at = 0;
  while (at < content.size()) {
    if (content.size() - at < pagemap::kUsedEntrySize) return Failure{kErrorFileCorrupt};
    const int32_t number = loadI32(&content[at]);
    const int32_t size = loadI32(&content[at + 4]);
    const bool free = number < 0;
    const size_t entrySize = free ? pagemap::kFreeEntrySize : pagemap::kUsedEntrySize;
    if (content.size() - at < entrySize || number == 0 || size < 0 ||
        static_cast<uint32_t>(size) < pagemap::kMinPageSize ||
        static_cast<uint32_t>(size) % header.granularity != 0 || list.end_ > kMaxEnd) {
      return Failure{kErrorFileCorrupt};
    }
    numbers->entries_.emplace_back(number, list.end_);
    list.pages_.emplace_hint(list.pages_.end(), list.end_,
                             Page{static_cast<uint64_t>(size), number, free, !free, false});
    list.highestUsed_ = std::max(list.highestUsed_, number);
    if (free) {
      list.indexFree(list.end_, static_cast<uint64_t>(size));
      ++list.freeCount_;
    }
    list.end_ += static_cast<uint64_t>(size);
    at += entrySize;
  }
  list.highestUsed_ = std::max(list.highestUsed_, header.highestUsed);
  if (list.end_ != header.usedEnd || list.freeCount_ != header.freeCount ||
      list.usedCount() != header.usedCount) {
    return Failure{kErrorFileCorrupt};
  }
  auto& entries = numbers->entries_;
  std::sort(entries.begin(), entries.end());
  if (std::adjacent_find(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.first == b.first;
      }) != entries.end()) {
    return Failure{kErrorFileCorrupt};
  }
  return list;
}

const Page* PageList::find(uint64_t position) const {
  auto it = pages_.find(position);
  return it == pages_.end() ? nullptr : &it->second;
}

void PageList::unindexFree(uint64_t position, uint64_t size) {
  auto [first, last] = freeBySize_.equal_range(size);
  for (auto it = first; it != last; ++it) {
    if (it->second == position) {
      freeBySize_.erase(it);
      return;
    }
  }
}

void PageList::takeFree(Pages::iterator page, uint64_t need) {
  unindexFree(page->first, page->second.size);
  page->second.number = ++highestUsed_;
  --freeCount_;
  const uint64_t rest = page->second.size - need;
  // The rest must make a page of its own: at least the split threshold and
  // never smaller than any page may be.
  if (rest > 0 && rest >= splitThreshold_ && rest >= pagemap::kMinPageSize) {
    page->second.size = need;
    pages_.emplace(page->first + need, Page{rest, 0, true, false, false});
    indexFree(page->first + need, rest);
    ++freeCount_;
  }
  page->second.free = false;
}

Expected<uint64_t> PageList::allocate(uint64_t bytes) {
  if (bytes == 0 || bytes > kMaxPageSize) return Failure{kErrorNotEnoughMemory};
  const uint64_t need = roundUp(std::max<uint64_t>(bytes, pagemap::kMinPageSize), granularity_);
  if (need > kMaxPageSize || highestUsed_ == std::numeric_limits<int32_t>::max()) {
    return Failure{kErrorNotEnoughMemory};
  }
  if (auto fit = freeBySize_.lower_bound(need); fit != freeBySize_.end()) {
    const uint64_t position = fit->second;
    takeFree(pages_.find(position), need);
    return position;
  }
  if (!pages_.empty() && pages_.rbegin()->second.free) {
    // Too small a free last page simply grows into the new one.
    auto last = std::prev(pages_.end());
    if (last->first > kMaxEnd) return Failure{kErrorNotEnoughMemory};
    unindexFree(last->first, last->second.size);
    --freeCount_;
    last->second = Page{need, ++highestUsed_, false, false, false};
    end_ = last->first + need;
    return last->first;
  }
  return append(need);
}

Expected<uint64_t> PageList::append(uint64_t need) {
  if (end_ > kMaxEnd) return Failure{kErrorNotEnoughMemory};
  const uint64_t position = end_;
  pages_.emplace_hint(pages_.end(), position, Page{need, ++highestUsed_, false, false, false});
  end_ += need;
  return position;
}

void PageList::release(uint64_t position) {
  auto it = pages_.find(position);
  if (it == pages_.end() || it->second.free || it->second.retired) return;
  if (it->second.committed) {
    it->second.retired = true;
    return;
  }
  freePage(it);
}

void PageList::freePage(Pages::iterator it) {
  it->second.free = true;
  it->second.committed = it->second.retired = false;
  ++freeCount_;
  if (auto next = std::next(it); next != pages_.end() && next->second.free) {
    unindexFree(next->first, next->second.size);
    it->second.size += next->second.size;
    pages_.erase(next);
    --freeCount_;
  }
  if (it != pages_.begin()) {
    if (auto prev = std::prev(it); prev->second.free) {
      unindexFree(prev->first, prev->second.size);
      prev->second.size += it->second.size;
      pages_.erase(it);
      --freeCount_;
      it = prev;
    }
  }
  indexFree(it->first, it->second.size);
}

void PageList::trimFreeTail() {
  while (!pages_.empty() && pages_.rbegin()->second.free) {
    auto last = std::prev(pages_.end());
    unindexFree(last->first, last->second.size);
    --freeCount_;
    end_ = last->first;
    pages_.erase(last);
  }
}

PageList PageList::nextCommit() const {
  PageList next = *this;
  for (auto it = next.pages_.begin(); it != next.pages_.end();) {
    // Freeing may merge the page into its predecessor; carry on behind it.
    const uint64_t position = it->first;
    if (it->second.retired) next.freePage(it);
    it = next.pages_.upper_bound(position);
  }
  next.trimFreeTail();
  int32_t free = 0;
  for (auto& [position, page] : next.pages_) {
    if (page.free) {
      page.number = --free;
    } else {
      page.committed = true;
    }
  }
  return next;
}

void PageList::commitAll() {
  for (auto& [position, page] : pages_) {
    if (!page.free) page.committed = true;
  }
}

size_t PageList::contentSize() const {
  return usedCount() * pagemap::kUsedEntrySize + freeCount_ * pagemap::kFreeEntrySize;
}

void PageList::serialise(std::span<uint8_t> out) const {
  size_t at = 0;
  for (const auto& [position, page] : pages_) {
    storeI32(&out[at], page.number);
    storeU32(&out[at + 4], static_cast<uint32_t>(page.size));
    at += pagemap::kUsedEntrySize;
    if (page.free) {
      // The four further fields of a free entry carry nothing here.
      std::memset(&out[at], 0, pagemap::kFreeEntrySize - pagemap::kUsedEntrySize);
      at += pagemap::kFreeEntrySize - pagemap::kUsedEntrySize;
    }
  }
}

}  // namespace vexamor::container
