#include "signcore/crypto/testing/memory_data.h"

#include <algorithm>
#include <cstring>

#include "platform/com/last_error.h"
#include "platform/com/task_mem.h"

namespace vexamor::signcore::testing {

MemoryData::MemoryData(std::string bytes, size_t blockSize)
    : bytes_(std::move(bytes)), blockSize_(blockSize) {}

void MemoryData::failAt(size_t index, HRESULT hr, DWORD lastError) {
  failIndex_ = index;
  failResult_ = hr;
  failLastError_ = lastError;
}

HRESULT MemoryData::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IVexaGetData) {
    *ppv = static_cast<IVexaGetData*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT MemoryData::GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) {
  if (pElems == nullptr || rgbData == nullptr || bMore == nullptr) return E_POINTER;
  ++calls_;
  *pElems = 0;
  *rgbData = nullptr;
  *bMore = 0;
  if (blocks_ == failIndex_) {
    SetLastError(failLastError_);
    return failResult_;
  }
  if (emptyBlocks_ && emptyNext_) {
    emptyNext_ = false;
    *rgbData = static_cast<BYTE*>(CoTaskMemAlloc(0));
    *bMore = offset_ < bytes_.size() ? 1 : 0;
    finished_ = *bMore == 0;
    return S_OK;
  }
  emptyNext_ = true;
  const size_t n = std::min(bytes_.size() - offset_, blockSize_);
  *rgbData = static_cast<BYTE*>(CoTaskMemAlloc(n));
  if (*rgbData == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*rgbData, bytes_.data() + offset_, n);
  offset_ += n;
  ++blocks_;
  *pElems = static_cast<LONG>(n);
  *bMore = emptyBlocks_ || offset_ < bytes_.size() ? 1 : 0;
  finished_ = *bMore == 0;
  return S_OK;
}

}  // namespace vexamor::signcore::testing
