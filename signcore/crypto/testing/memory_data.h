// An IVexaGetData over bytes in memory, for tests and benchmarks of signing: it delivers the
// bytes in blocks of a chosen size and can misbehave on purpose (fail at a block, with or
// without a last error; put empty blocks between the others).
#pragma once

#include <atomic>
#include <string>

#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore::testing {

class MemoryData final : public IVexaGetData {
 public:
  explicit MemoryData(std::string bytes, size_t blockSize = 4096);
  MemoryData(const MemoryData&) = delete;
  MemoryData& operator=(const MemoryData&) = delete;

  // The call that would deliver block `index` (0 first) fails with `hr`, setting the thread's
  // last error to `lastError` first.
  void failAt(size_t index, HRESULT hr, DWORD lastError);
  // An empty block before every block with data, and an empty last block that ends the data.
  void withEmptyBlocks() { emptyBlocks_ = true; }

  size_t calls() const { return calls_; }
  bool finished() const { return finished_; }

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  // The object lives on its creator's stack or in its member: counting references is all
  // that COM asks of it here.
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override { return --refs_; }
  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override;

 private:
  std::string bytes_;
  size_t blockSize_;
  size_t offset_ = 0;
  size_t blocks_ = 0;
  size_t calls_ = 0;
  bool emptyBlocks_ = false;
  bool emptyNext_ = true;
  bool finished_ = false;
  size_t failIndex_ = static_cast<size_t>(-1);
  HRESULT failResult_ = S_OK;
  DWORD failLastError_ = 0;
  std::atomic<ULONG> refs_{1};
};

}  // namespace vexamor::signcore::testing
