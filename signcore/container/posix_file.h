// A file descriptor owner with the few operations the container needs, each
// reporting a Win32 code: whole-buffer positional reads and writes, size,
// truncation and flushing.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "win32_codes.h"

namespace vexamor::container {

// Access rights and dispositions, as for a plain file open.
inline constexpr uint32_t kAccessRead = 0x80000000;
inline constexpr uint32_t kAccessWrite = 0x40000000;

enum class Disposition : uint32_t {
  kCreateNew = 1,
  kCreateAlways = 2,
  kOpenExisting = 3,
  kOpenAlways = 4,
  kTruncateExisting = 5,
};

// Maps an errno value to the Win32 code a Windows caller would have seen.
Win32Code win32FromErrno(int err);

class PosixFile {
 public:
  PosixFile() = default;
  ~PosixFile() { close(); }
  PosixFile(PosixFile&& other) noexcept;
  PosixFile& operator=(PosixFile&& other) noexcept;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  // Opens `path`; anything that is not a regular file gives 50 (not supported).
  Win32Code open(const std::string& path, uint32_t access, Disposition disposition);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  Expected<uint64_t> size() const;
  // Reads exactly out.size() bytes at `position`; a short read gives 38.
  Win32Code readAt(uint64_t position, std::span<uint8_t> out) const;
  Win32Code writeAt(uint64_t position, std::span<const uint8_t> bytes);
  Win32Code truncate(uint64_t length);
  Win32Code sync();

 private:
  int fd_ = -1;
};

}  // namespace vexamor::container
