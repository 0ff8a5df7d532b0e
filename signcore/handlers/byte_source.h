// Random access to the bytes of a file, over a descriptor or over memory, so that the readers
// of the signature layouts work alike on users' files and on fuzzer input.
#pragma once

#include <cstdint>
#include <span>

#include "signcore/handlers/result.h"

namespace vexamor::signcore {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Reads up to out.size() bytes at `offset`; fewer only at the end of the bytes.
  virtual Result<size_t> readAt(uint64_t offset, std::span<uint8_t> out) const = 0;

  // Reads exactly out.size() bytes; `shortRead` is the fault when the bytes end first.
  Result<bool> readExactly(uint64_t offset, std::span<uint8_t> out, Fault shortRead) const;
};

// The bytes of an open file of `size` bytes (as it was when opened); the descriptor stays
// the caller's.
class FileSource final : public ByteSource {
 public:
  FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  uint64_t size() const override { return size_; }
  Result<size_t> readAt(uint64_t offset, std::span<uint8_t> out) const override;

 private:
  int fd_;
  uint64_t size_;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  Result<size_t> readAt(uint64_t offset, std::span<uint8_t> out) const override;

 private:
  std::span<const uint8_t> bytes_;
};

uint32_t loadLe32(const uint8_t* p);
void storeLe32(uint8_t* p, uint32_t value);

}  // namespace vexamor::signcore
