#include "signcore/handlers/r18_get_data.h"

#include <cstring>
#include <mutex>
#include <optional>

#include "platform/com/task_mem.h"
#include "signcore/handlers/vexa_get_data.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

using container::Stream;

class R18GetData final : public ComObject<R18GetData, IVexaGetData> {
 public:
  R18GetData() = default;
  R18GetData(std::shared_ptr<container::Container> container, std::vector<StreamRef> streams)
      : container_(std::move(container)), streams_(std::move(streams)) {}

  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override {
    DWORD engineCode = ERROR_SUCCESS;
    const HRESULT hr = runMethod(kR18GetDataClass, [&]() -> HRESULT {
      if (pElems == nullptr || rgbData == nullptr || bMore == nullptr) return E_POINTER;
      *pElems = 0;
      *bMore = 0;
      *rgbData = nullptr;
      std::lock_guard lock(mutex_);
      if (container_ == nullptr) return E_UNEXPECTED;
      for (;;) {
        if (!current_) {
          if (next_ == streams_.size()) return S_OK;  // the end: nothing delivered
          const StreamRef& ref = streams_[next_++];
          auto opened = container_->openStream(ref.name, ref.identifier, container::kAccessRead,
                                               container::Disposition::kOpenExisting);
          if (!opened.ok()) {
            engineCode = opened.error();
            return E_FAIL;
          }
          current_.emplace(std::move(*opened));
        }
        auto piece = current_->nextPiece();
        if (!piece.ok()) {
          engineCode = piece.error();
          return E_FAIL;
        }
        if (piece->empty()) {
          current_.reset();
          continue;
        }
        auto* block = static_cast<BYTE*>(CoTaskMemAlloc(piece->size()));
        if (block == nullptr) return E_OUTOFMEMORY;
        std::memcpy(block, piece->data(), piece->size());
        *rgbData = block;
        *pElems = static_cast<LONG>(piece->size());
        *bMore = 1;
        return S_OK;
      }
    });
    // The engine's code says what went wrong (1392 for a damaged page); it is left as the
    // last error for the consumer, which otherwise could take the failure for the end.
    if (FAILED(hr)) setLastErrorFor(engineCode != ERROR_SUCCESS ? HRESULT_FROM_WIN32(engineCode) : hr);
    return hr;
  }

 private:
  ~R18GetData() = default;
  friend class ComObject<R18GetData, IVexaGetData>;

  std::mutex mutex_;
  std::shared_ptr<container::Container> container_;
  std::vector<StreamRef> streams_;
  size_t next_ = 0;
  std::optional<Stream> current_;
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<R18GetData>(riid, ppv);
}

}  // namespace

const ClassInfo kR18GetDataClass = {CLSID_R18GetData,  IID_IVexaGetData, kProgIdR18GetData,
                                    "R18GetData",      "IVexaGetData",   create};

HRESULT createContainerStreamData(std::shared_ptr<container::Container> container,
                                  std::vector<StreamRef> streams, IVexaGetData** out) {
  auto* object = new (std::nothrow) R18GetData(std::move(container), std::move(streams));
  if (object == nullptr) return E_OUTOFMEMORY;
  *out = object;
  return S_OK;
}

}  // namespace vexamor::signcore
