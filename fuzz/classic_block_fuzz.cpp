// Reads the bytes as a classic drawing: version text, signature pointer, signature block and
// the end of the drawing data from the section locators, as the drawing handler does for
// every method. Whatever the bytes, nothing may read or allocate past them.
#include <cstddef>
#include <cstdint>

#include "signcore/handlers/classic_layout.h"

using namespace vexamor::signcore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const MemorySource file({data, size});
  (void)classic::checkVersion(file);
  Result<uint32_t> pointer = classic::readPointer(file);
  if (!pointer.ok()) {
    if (size >= classic::kHeaderEnd) __builtin_trap();
    return 0;
  }
  for (uint32_t at : {*pointer, pointer.value() ^ 0x5Au, 0u + static_cast<uint32_t>(size / 2)}) {
    if (at == 0) continue;
    Result<classic::Block> block = classic::readBlock(file, at);
    if (block.ok() && (block->pointer != at || block->blob.size() + 8 + uint64_t{at} > size)) {
      __builtin_trap();
    }
  }
  Result<uint64_t> end = classic::endOfDrawingData(file, *pointer);
  if (end.ok() && (*end > size || (*pointer != 0 && *end < classic::kHeaderEnd))) {
    __builtin_trap();
  }
  return 0;
}
