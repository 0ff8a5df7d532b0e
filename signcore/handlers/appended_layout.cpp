#include "signcore/handlers/appended_layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace vexamor::signcore::appended {

Result<uint64_t> findMarker(const ByteSource& file) {
  const uint64_t size = file.size();
  if (size == 0) return formatFault(E_UNEXPECTED);
  const uint64_t limit = std::min(size, kSearchLimit);
  // Every round's window is a suffix of the last `limit` bytes, so they are read once.
  std::vector<uint8_t> tail;
  try {
    tail.resize(static_cast<size_t>(limit));
  } catch (const std::bad_alloc&) {
    return formatFault(E_OUTOFMEMORY);
  }
  Result<bool> read = file.readExactly(size - limit, tail, systemFault(ERROR_HANDLE_EOF));
  if (!read.ok()) return read.fault();

  const size_t m = kMarker.size();
  uint64_t window = std::min(kFirstWindow, limit);
  uint64_t searched = 0;  // start positions already looked at, counted from the end
  for (;;) {
    // Start positions new in this round, as offsets into `tail`: from limit - window up to,
    // but not including, limit - searched.
    const uint64_t first = limit - window;
    const uint64_t end = limit - searched;
    for (uint64_t at = first; at < end && at + m <= limit; ++at) {
      if (std::memcmp(tail.data() + at, kMarker.data(), m) == 0) {
        return size - limit + at + m;
      }
    }
    if (window == limit) return uint64_t{0};
    searched = window;
    window = std::min(window * 2, limit);
  }
}

Result<std::vector<uint8_t>> readBlob(const ByteSource& file, uint64_t behindMarker) {
  std::array<uint8_t, kLengthSize> length{};
  Result<bool> read = file.readExactly(behindMarker, length, systemFault(ERROR_HANDLE_EOF));
  if (!read.ok()) return read.fault();
  const uint32_t l = loadLe32(length.data());
  if (l > kMaxBlobLength) return formatFault(HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  const uint64_t blobAt = behindMarker + kLengthSize;
  if (file.size() < blobAt || file.size() - blobAt < l) return systemFault(ERROR_HANDLE_EOF);
  std::vector<uint8_t> blob(l);
  read = file.readExactly(blobAt, blob, systemFault(ERROR_HANDLE_EOF));
  if (!read.ok()) return read.fault();
  return blob;
}

uint64_t trailerEnd(uint64_t behindMarker, size_t blobLength) {
  return behindMarker + kLengthSize + blobLength;
}

std::vector<uint8_t> encodeTrailer(std::span<const uint8_t> blob) {
  std::vector<uint8_t> out(kMarker.begin(), kMarker.end());
  out.resize(kMarker.size() + kLengthSize);
  storeLe32(out.data() + kMarker.size(), static_cast<uint32_t>(blob.size()));
  out.insert(out.end(), blob.begin(), blob.end());
  return out;
}

}  // namespace vexamor::signcore::appended
