#include "signcore/handlers/appended_layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace vexamor::signcore::appended {

namespace {

// The lowest start position in bytes[first, stop) at which the whole marker lies, or `stop`.
// A file manager asks about every file, and an unsigned one is searched through its whole
// tail: 64 start positions are tried at once by their first and last bytes (both rare in most
// files), and only where both match are the bytes in between compared.
uint64_t lowestMarker(const uint8_t* bytes, uint64_t first, uint64_t stop) {
  constexpr size_t m = kMarker.size();
  if (stop - first < m) return stop;
  using Lanes = uint8_t __attribute__((vector_size(16)));
  constexpr size_t kLanes = sizeof(Lanes);
  constexpr size_t kStep = 4 * kLanes;
  const auto head = static_cast<uint8_t>(kMarker.front());
  const auto last = static_cast<uint8_t>(kMarker.back());
  const Lanes heads = head - Lanes{};
  const Lanes lasts = last - Lanes{};
  auto candidates = [&](uint64_t at) {  // lane i set: position at + i may hold the marker
    Lanes front, back;
    std::memcpy(&front, bytes + at, kLanes);
    std::memcpy(&back, bytes + at + m - 1, kLanes);
    return (front == heads) & (back == lasts);
  };
  auto matchesAt = [&](uint64_t at) { return std::memcmp(bytes + at, kMarker.data(), m) == 0; };
  const uint64_t starts = stop - m + 1;  // start positions end here
  uint64_t at = first;
  for (; at + kStep <= starts; at += kStep) {
    const auto any = candidates(at) | candidates(at + kLanes) | candidates(at + 2 * kLanes) |
                     candidates(at + 3 * kLanes);
    uint64_t halves[2];
    std::memcpy(halves, &any, sizeof halves);
    if ((halves[0] | halves[1]) == 0) continue;
    for (size_t i = 0; i < kStep; ++i) {
      if (bytes[at + i] == head && matchesAt(at + i)) return at + i;
    }
  }
  for (; at < starts; ++at) {
    if (bytes[at] == head && matchesAt(at)) return at;
  }
  return stop;
}

}  // namespace

Result<uint64_t> findMarker(const ByteSource& file) {
  const uint64_t size = file.size();
  if (size == 0) return formatFault(E_UNEXPECTED);
  const uint64_t limit = std::min(size, kSearchLimit);
  // Every round's window is a suffix of the last `limit` bytes, so they are read once, with
  // one read, into a buffer that nothing needs zeroed first.
  std::unique_ptr<uint8_t[]> tail(new (std::nothrow) uint8_t[limit]);
  if (tail == nullptr) return formatFault(E_OUTOFMEMORY);
  Result<bool> read =
      file.readExactly(size - limit, std::span(tail.get(), limit), systemFault(ERROR_HANDLE_EOF));
  if (!read.ok()) return read.fault();

  const size_t m = kMarker.size();
  uint64_t window = std::min(kFirstWindow, limit);
  uint64_t searched = 0;  // start positions already looked at, counted from the end
  for (;;) {
    // Start positions new in this round, as offsets into `tail`: from limit - window up to,
    // but not including, limit - searched. The lowest of them where the marker lies is the
    // first hit of the round: a search over the bytes that those positions can reach.
    const uint64_t first = limit - window;
    const uint64_t stop = std::min<uint64_t>(limit, limit - searched + m - 1);
    if (stop > first) {
      const uint64_t hit = lowestMarker(tail.get(), first, stop);
      if (hit != stop) return size - limit + hit + m;
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
