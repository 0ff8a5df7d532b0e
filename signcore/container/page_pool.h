// The engine's own memory for page buffers and compression work areas: a
// block of reserved address space carved into power-of-two blocks kept on
// per-size free lists, with its own lock. Page-sized buffers never touch the
// general heap, so a container that reads thousands of pages reuses the
// same few blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vexamor::container {

class PagePool {
 public:
  PagePool(const PagePool&) = delete;
  PagePool& operator=(const PagePool&) = delete;

  // The process-wide pool.
  static PagePool& instance();

  // Returns a block of at least `bytes` bytes, or nullptr when the pool is
  // exhausted. `bytes` above the largest class are mapped on their own.
  void* allocate(size_t bytes);
  // Gives back a block that allocate(bytes) returned.
  void release(void* block, size_t bytes);

  // Address space still available for new blocks (for tests).
  size_t reservedLeft();

 private:
  static constexpr size_t kSmallestClassShift = 12;  // 4 KiB
  static constexpr size_t kClassCount = 14;          // up to 32 MiB
  static constexpr size_t kLargestClass = size_t{1} << (kSmallestClassShift + kClassCount - 1);
  // Blocks mapped on their own may add up to this much at once.
  static constexpr size_t kLargeBlockLimit = size_t{1} << 30;

  PagePool();
  ~PagePool() = default;  // lives until the process ends
  static size_t classOf(size_t bytes);

  std::mutex mutex_;
  uint8_t* base_ = nullptr;
  size_t reserved_ = 0;
  size_t carved_ = 0;
  size_t largeBytes_ = 0;
  std::array<std::vector<void*>, kClassCount> free_;
};

// Owner of one pool block. Move-only; gives the block back when destroyed.
class PoolBuffer {
 public:
  PoolBuffer() = default;
  ~PoolBuffer() { reset(); }
  PoolBuffer(PoolBuffer&& other) noexcept { *this = std::move(other); }
  PoolBuffer& operator=(PoolBuffer&& other) noexcept;
  PoolBuffer(const PoolBuffer&) = delete;
  PoolBuffer& operator=(const PoolBuffer&) = delete;

  // Replaces the block with one of `bytes` bytes; false when the pool has
  // none (the buffer is then empty).
  [[nodiscard]] bool allocate(size_t bytes);
  // Makes sure the buffer holds at least `bytes`; keeps it when large enough.
  // Contents are not preserved when it grows.
  [[nodiscard]] bool reserve(size_t bytes) { return bytes <= size_ || allocate(bytes); }
  void reset();

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return data_ == nullptr; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace vexamor::container
