#include "signcore/crypto/data_blocks.h"

#include "platform/com/last_error.h"
#include "platform/com/task_mem.h"

namespace vexamor::signcore {
namespace {

// Frees a block however the call that delivered it ends.
struct BlockOwner {
  BYTE* data = nullptr;
  ~BlockOwner() { CoTaskMemFree(data); }
};

}  // namespace

HRESULT readAllBlocks(IVexaGetData* source, const BlockConsumer& consume) {
  for (LONG more = 1; more != 0;) {
    LONG size = 0;
    BlockOwner block;
    more = 0;
    SetLastError(ERROR_SUCCESS);
    const HRESULT hr = source->GetNextDataBlock(&size, &block.data, &more);
    if (FAILED(hr)) {
      // Signing what came before the failure would sign a part of the file as if it were
      // all of it: the read is abandoned however the enumerator failed.
      const DWORD lastError = GetLastError();
      return lastError != ERROR_SUCCESS ? HRESULT_FROM_WIN32(lastError) : hr;
    }
    if (size < 0 || (size > 0 && block.data == nullptr)) return E_UNEXPECTED;
    if (size > 0) {
      if (const HRESULT consumed = consume(block.data, static_cast<size_t>(size));
          FAILED(consumed)) {
        return consumed;
      }
    }
  }
  return S_OK;
}

}  // namespace vexamor::signcore
