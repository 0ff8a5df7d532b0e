// Searches the bytes for the appended-signature marker and reads the blob behind it, and
// checks the search against a plain reading of its rule: windows of 2048, 4096, ... up to
// 32768 bytes from the end, the nearer window first, the lowest offset first within it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "signcore/handlers/appended_layout.h"

using namespace vexamor::signcore;

namespace {

uint64_t expectedMarker(const uint8_t* data, size_t size) {
  const size_t m = appended::kMarker.size();
  const uint64_t limit = std::min<uint64_t>(size, appended::kSearchLimit);
  uint64_t lowestSearched = size;  // start positions from here on were looked at
  for (uint64_t window = std::min<uint64_t>(appended::kFirstWindow, limit);;
       window = std::min(window * 2, limit)) {
    for (uint64_t at = size - window; at < lowestSearched; ++at) {
      if (at + m <= size && std::memcmp(data + at, appended::kMarker.data(), m) == 0) {
        return at + m;
      }
    }
    lowestSearched = size - window;
    if (window == limit) return 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const MemorySource file({data, size});
  Result<uint64_t> found = appended::findMarker(file);
  if (size == 0) {
    if (found.hr() != E_UNEXPECTED) __builtin_trap();
    return 0;
  }
  if (!found.ok() || *found != expectedMarker(data, size)) __builtin_trap();
  if (*found != 0) {
    Result<std::vector<uint8_t>> blob = appended::readBlob(file, *found);
    if (blob.ok() && *found + 4 + blob->size() > size) __builtin_trap();
  }
  return 0;
}
