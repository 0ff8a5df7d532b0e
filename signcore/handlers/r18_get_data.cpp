#include "signcore/handlers/r18_get_data.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/com/task_mem.h"
#include "signcore/handlers/block_pipeline.h"
#include "signcore/handlers/vexa_get_data.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

using container::Stream;

// Past the first MiB, pages are read, checked and decoded on a thread of their own while the
// consumer hashes (block_pipeline.h), at most a few MiB ahead.
constexpr size_t kInlineBytes = size_t{1} << 20;
constexpr size_t kBytesAhead = size_t{4} << 20;

class R18GetData final : public ComObject<R18GetData, IVexaGetData> {
 public:
  R18GetData() = default;
  R18GetData(std::shared_ptr<container::Container> container, std::vector<StreamRef> streams)
      : container_(std::move(container)),
        streams_(std::move(streams)),
        blocks_(std::make_unique<BlockPipeline>(
            [this](std::vector<MadeBlock>* out) { nextPiece(out); }, kInlineBytes, kBytesAhead)) {}

  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override {
    HRESULT cause = S_OK;
    const HRESULT hr = runMethod(kR18GetDataClass, [&]() -> HRESULT {
      if (pElems == nullptr || rgbData == nullptr || bMore == nullptr) return E_POINTER;
      *pElems = 0;
      *bMore = 0;
      *rgbData = nullptr;
      std::lock_guard lock(mutex_);
      if (container_ == nullptr) return E_UNEXPECTED;
      const MadeBlock made = blocks_->take();
      if (made.ends()) {  // the end: nothing delivered, or a failure
        cause = made.cause;
        return made.result;
      }
      *rgbData = made.data;
      *pElems = static_cast<LONG>(made.size);
      *bMore = 1;
      return S_OK;
    });
    // The engine's code says what went wrong (1392 for a damaged page); it is left as the
    // last error for the consumer, which otherwise could take the failure for the end.
    if (FAILED(hr)) setLastErrorFor(FAILED(cause) ? cause : hr);
    return hr;
  }

 private:
  ~R18GetData() { blocks_.reset(); }  // its thread reads the container
  friend class ComObject<R18GetData, IVexaGetData>;

  // The next piece of the streams, one page of decoded data as the engine holds it, copied
  // into a block of its own; the end after the last stream.
  void nextPiece(std::vector<MadeBlock>* out) {
    auto fail = [&](DWORD engineCode) {
      out->push_back({nullptr, 0, E_FAIL, HRESULT_FROM_WIN32(engineCode)});
    };
    for (;;) {
      if (!current_) {
        if (next_ == streams_.size()) return out->push_back({});
        const StreamRef& ref = streams_[next_++];
        auto opened = container_->openStream(ref.name, ref.identifier, container::kAccessRead,
                                             container::Disposition::kOpenExisting);
        if (!opened.ok()) return fail(opened.error());
        current_.emplace(std::move(*opened));
      }
      auto piece = current_->nextPiece();
      if (!piece.ok()) return fail(piece.error());
      if (piece->empty()) {
        current_.reset();
        continue;
      }
      auto* block = static_cast<BYTE*>(CoTaskMemAlloc(piece->size()));
      if (block == nullptr) return out->push_back({nullptr, 0, E_OUTOFMEMORY, E_OUTOFMEMORY});
      std::memcpy(block, piece->data(), piece->size());
      return out->push_back({block, piece->size()});
    }
  }

  std::mutex mutex_;
  std::shared_ptr<container::Container> container_;
  // The producer's (see BlockPipeline).
  std::vector<StreamRef> streams_;
  size_t next_ = 0;
  std::optional<Stream> current_;
  std::unique_ptr<BlockPipeline> blocks_;  // made with the container
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
