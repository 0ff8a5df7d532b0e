// The file beneath a container: whole-buffer positional reads and writes,
// size, truncation and flushing, each reporting a Win32 code. PosixFile is
// the real one; tests open a fault-injecting file in its place to stop a
// commit after any write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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

class ContainerFile {
 public:
  virtual ~ContainerFile() = default;

  virtual Expected<uint64_t> size() const = 0;
  // Reads exactly out.size() bytes at `position`; a short read gives 38.
  virtual Win32Code readAt(uint64_t position, std::span<uint8_t> out) const = 0;
  virtual Win32Code writeAt(uint64_t position, std::span<const uint8_t> bytes) = 0;
  virtual Win32Code truncate(uint64_t length) = 0;
  // Returns once everything written so far is durable.
  virtual Win32Code sync() = 0;
};

// Opens the file a container lives in.
using FileOpener = std::function<Expected<std::unique_ptr<ContainerFile>>(
    const std::string& path, uint32_t access, Disposition disposition)>;

}  // namespace vexamor::container
