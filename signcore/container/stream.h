// A handle on one stream of an open container. Reads and writes go through
// the stream's one cached block, which every handle of the stream shares, so
// two handles of one stream see each other's writes. A handle keeps the
// container's state alive but is not itself thread-safe: use each handle
// from one thread at a time.
//
// A handle works within the container session it was opened in: once its
// stream is removed, or its container closed (and perhaps opened again),
// every call gives 6 (invalid handle) and touches no data.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "win32_codes.h"

namespace vexamor::container {

struct ContainerCore;
struct Section;

class Stream {
 public:
  // REQUIRES: the container's lock is held.
  Stream(std::shared_ptr<ContainerCore> core, std::shared_ptr<Section> section, uint32_t access);
  ~Stream();
  Stream(Stream&& other) noexcept = default;
  Stream& operator=(Stream&& other) noexcept;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // The next piece of decoded data from the current position to the end of
  // its block: a view into the block that the stream's handles share. Empty
  // at the end. The view stays readable until this handle is closed, even
  // when the stream is removed or its container closed; its bytes stay those
  // of this piece until the next call on any handle of the same stream.
  Expected<std::span<const uint8_t>> nextPiece();

  // Reads up to out.size() bytes at the position and advances it; fewer only
  // at the end of the stream. Returns the number of bytes read.
  Expected<size_t> read(std::span<uint8_t> out);
  // Writes at the position and advances it; writing past the end fills the
  // gap with zeros. Needs write access (else 5).
  Win32Code write(std::span<const uint8_t> bytes);

  uint64_t position() const { return position_; }
  void setPosition(uint64_t position) { position_ = position; }
  Expected<uint64_t> size() const;

  // Writes the cached block back if this is the stream's last open handle.
  Win32Code close();

 private:
  // 6 unless the stream is still there in the session the handle was
  // opened in. REQUIRES: the container's lock is held.
  Win32Code usable() const;

  std::shared_ptr<ContainerCore> core_;
  std::shared_ptr<Section> section_;
  uint32_t access_ = 0;
  uint64_t generation_ = 0;
  uint64_t position_ = 0;
};

}  // namespace vexamor::container
