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

Expected<PageList> PageList::parse(std::span<const uint8_t> content, const FileHeader& header,
                                   PageNumbers* numbers) {
  PageList list(header.granularity, header.splitThreshold);
  numbers->clear();
  size_t at = 0;
  while (at < content.size()) {
    if (content.size() - at < pagemap::kUsedEntrySize) return Failure{kErrorFileCorrupt};
    const int32_t number = loadI32(&content[at]);
    const int32_t size = loadI32(&content[at + 4]);
    const bool free = number < 0;
    const size_t entrySize = free ? pagemap::kFreeEntrySize : pagemap::kUsedEntrySize;
    if (content.size() - at < entrySize || number == 0 || size <= 0 ||
        static_cast<uint32_t>(size) % header.granularity != 0 || list.end_ > kMaxEnd ||
        !numbers->emplace(number, list.end_).second) {
      return Failure{kErrorFileCorrupt};
    }
    list.pages_.emplace(list.end_, Page{static_cast<uint64_t>(size), free, number});
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

void PageList::takeFree(std::map<uint64_t, Page>::iterator page, uint64_t need) {
  unindexFree(page->first, page->second.size);
  page->second.number = ++highestUsed_;
  --freeCount_;
  const uint64_t rest = page->second.size - need;
  if (rest > 0 && rest >= splitThreshold_) {
    page->second.size = need;
    pages_.emplace(page->first + need, Page{rest, true, 0});
    indexFree(page->first + need, rest);
    ++freeCount_;
  }
  page->second.free = false;
}

Expected<uint64_t> PageList::allocate(uint64_t bytes) {
  if (bytes == 0 || bytes > kMaxPageSize) return Failure{kErrorNotEnoughMemory};
  const uint64_t need = roundUp(bytes, granularity_);
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
    last->second = Page{need, false, ++highestUsed_};
    end_ = last->first + need;
    return last->first;
  }
  return append(need);
}

Expected<uint64_t> PageList::append(uint64_t bytes) {
  const uint64_t need = roundUp(bytes, granularity_);
  if (bytes == 0 || need > kMaxPageSize || end_ > kMaxEnd ||
      highestUsed_ == std::numeric_limits<int32_t>::max()) {
    return Failure{kErrorNotEnoughMemory};
  }
  trimFreeTail();
  const uint64_t position = end_;
  pages_.emplace(position, Page{need, false, ++highestUsed_});
  end_ += need;
  return position;
}

void PageList::release(uint64_t position) {
  auto it = pages_.find(position);
  if (it == pages_.end() || it->second.free) return;
  it->second.free = true;
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

void PageList::renumberFree() {
  int32_t free = 0;
  for (auto& [position, page] : pages_) {
    if (page.free) page.number = --free;
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
