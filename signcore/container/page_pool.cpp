#include "page_pool.h"

#include <sys/mman.h>

#include <bit>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define VEXAMOR_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXAMOR_POOL_ASAN 1
#endif
#endif

#ifdef VEXAMOR_POOL_ASAN
#include <sanitizer/asan_interface.h>
// Poison the unrequested tail of every block and every block on a free list,
// so that AddressSanitizer sees overruns inside the pool as it would on the heap.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace vexamor::container {
namespace {

// Address space is reserved without backing memory; only carved blocks are
// made accessible. Smaller reservations are tried where the address space is
// limited.
constexpr size_t kReservations[] = {size_t{4} << 30, size_t{1} << 30, size_t{256} << 20};
// Blocks from this size on hand their memory back to the system when freed.
constexpr size_t kReturnToSystemFrom = size_t{1} << 20;

}  // namespace

PagePool& PagePool::instance() {
  static PagePool* pool = new PagePool();  // never destroyed: blocks may outlive statics
  return *pool;
}

PagePool::PagePool() {
  for (size_t bytes : kReservations) {
    void* p = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p != MAP_FAILED) {
      base_ = static_cast<uint8_t*>(p);
      reserved_ = bytes;
      break;
    }
  }
}

size_t PagePool::classOf(size_t bytes) {
  const size_t rounded = std::bit_ceil(std::max(bytes, size_t{1} << kSmallestClassShift));
  return static_cast<size_t>(std::countr_zero(rounded)) - kSmallestClassShift;
}

void* PagePool::allocate(size_t bytes) {
  if (bytes == 0) bytes = 1;
  std::lock_guard lock(mutex_);
  if (bytes > kLargestClass) {
    if (bytes > kLargeBlockLimit - largeBytes_) return nullptr;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    largeBytes_ += bytes;
    return p;
  }
  const size_t cls = classOf(bytes);
  const size_t blockSize = size_t{1} << (cls + kSmallestClassShift);
  void* block = nullptr;
  if (!free_[cls].empty()) {
    block = free_[cls].back();
    free_[cls].pop_back();
  } else {
    if (base_ == nullptr || blockSize > reserved_ - carved_) return nullptr;
    block = base_ + carved_;
    if (mprotect(block, blockSize, PROT_READ | PROT_WRITE) != 0) return nullptr;
    carved_ += blockSize;
  }
  POOL_UNPOISON(block, bytes);
  POOL_POISON(static_cast<uint8_t*>(block) + bytes, blockSize - bytes);
  return block;
}

void PagePool::release(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes == 0) bytes = 1;
  std::lock_guard lock(mutex_);
  if (bytes > kLargestClass) {
    munmap(block, bytes);
    largeBytes_ -= bytes;
    return;
  }
  const size_t cls = classOf(bytes);
  const size_t blockSize = size_t{1} << (cls + kSmallestClassShift);
  if (blockSize >= kReturnToSystemFrom) madvise(block, blockSize, MADV_DONTNEED);
  POOL_POISON(block, blockSize);
  free_[cls].push_back(block);
}

size_t PagePool::reservedLeft() {
  std::lock_guard lock(mutex_);
  return reserved_ - carved_;
}

PoolBuffer& PoolBuffer::operator=(PoolBuffer&& other) noexcept {
  if (this != &other) {
    reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool PoolBuffer::allocate(size_t bytes) {
  reset();
  data_ = static_cast<uint8_t*>(PagePool::instance().allocate(bytes));
  size_ = data_ != nullptr ? bytes : 0;
  return data_ != nullptr;
}

void PoolBuffer::reset() {
  if (data_ != nullptr) PagePool::instance().release(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace vexamor::container
