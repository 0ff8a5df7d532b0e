#include "checksum.h"

#include <zlib.h>

#include <algorithm>

namespace vexamor::container {

uint32_t pageChecksum(uint32_t running, std::span<const uint8_t> bytes) {
  // zlib's adler32 does the arithmetic in blocks of at most 5552 bytes and
  // takes any start value; it only special-cases a null buffer, never passed.
  const uint8_t* data = bytes.data();
  size_t left = bytes.size();
  uLong value = running;
  while (left > 0) {
    const auto chunk = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
    value = adler32(value, data, chunk);
    data += chunk;
    left -= chunk;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace vexamor::container
