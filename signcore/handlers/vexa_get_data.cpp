#include "signcore/handlers/vexa_get_data.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"
#include "platform/com/task_mem.h"
#include "signcore/handlers/block_pipeline.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

// Blocks are read in batches, many with one system call, straight into the buffers that are
// handed out: the system calls per block stay far below one and no byte is copied twice.
// Past the first batch, the batches are read on a thread of their own while the consumer
// hashes (block_pipeline.h).
constexpr size_t kBlocksPerBatch = 256;
constexpr size_t kBatchBytes = kBlocksPerBatch * kDataBlockSize;
constexpr size_t kBytesAhead = 4 * kBatchBytes;

class VexaGetData final : public ComObject<VexaGetData, IVexaGetData> {
 public:
  VexaGetData() = default;
  VexaGetData(int fd, uint64_t length, uint64_t maskOffset, uint32_t maskLength)
      : fd_(fd),
        remaining_(length),
        maskBegin_(maskOffset),
        maskEnd_(maskOffset + maskLength),
        readRemaining_(length),
        blocks_(std::make_unique<BlockPipeline>(
            [this](std::vector<MadeBlock>* out) { readBatch(out); }, kBatchBytes, kBytesAhead)) {}

  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override {
    const HRESULT hr = runMethod(kVexaGetDataClass, [&]() -> HRESULT {
      if (pElems == nullptr || rgbData == nullptr || bMore == nullptr) return E_POINTER;
      *pElems = 0;
      *bMore = 0;
      *rgbData = nullptr;
      std::lock_guard lock(mutex_);
      if (remaining_ == 0) return E_UNEXPECTED;
      if (fd_ < 0) return E_HANDLE;
      const MadeBlock made = blocks_->take();
      if (made.ends()) return made.result;
      BYTE* block = made.data;
      const size_t n = made.size;
      // The masked range, clipped to this block.
      const uint64_t from = std::max(maskBegin_, position_);
      const uint64_t to = std::min(maskEnd_, position_ + n);
      if (from < to) std::memset(block + (from - position_), 0, static_cast<size_t>(to - from));
      position_ += n;
      remaining_ -= n;
      *rgbData = block;
      *pElems = static_cast<LONG>(n);
      *bMore = remaining_ > 0 ? 1 : 0;
      return S_OK;
    });
    if (FAILED(hr)) setLastErrorFor(hr);
    return hr;
  }

 private:
  ~VexaGetData() {
    blocks_.reset();  // its thread reads through fd_
    if (fd_ >= 0) ::close(fd_);
  }
  friend class ComObject<VexaGetData, IVexaGetData>;

  // Reads the next blocks, up to a batch of them, into new buffers, and an end after the last
  // one. When the file ends early (ERROR_HANDLE_EOF) or a read fails, the blocks read whole
  // come first and the failure after them.
  void readBatch(std::vector<MadeBlock>* out) {
    if (readRemaining_ == 0) {
      out->push_back({});
      return;
    }
    const uint64_t blocks =
        std::min<uint64_t>(kBlocksPerBatch, (readRemaining_ + kDataBlockSize - 1) / kDataBlockSize);
    const size_t first = out->size();
    std::vector<iovec> pieces;
    pieces.reserve(static_cast<size_t>(blocks));
    auto fail = [&](HRESULT failure, size_t keep) {
      for (size_t i = first + keep; i < out->size(); ++i) CoTaskMemFree((*out)[i].data);
      out->resize(first + keep);
      out->push_back({nullptr, 0, failure, failure});
      readRemaining_ = 0;
    };
    uint64_t wanted = 0;
    for (uint64_t i = 0; i < blocks; ++i) {
      const size_t n = static_cast<size_t>(
          std::min<uint64_t>(readRemaining_ - i * kDataBlockSize, kDataBlockSize));
      auto* block = static_cast<BYTE*>(CoTaskMemAlloc(n));
      if (block == nullptr) return fail(E_OUTOFMEMORY, 0);
      out->push_back({block, n});
      pieces.push_back({block, n});
      wanted += n;
    }
    uint64_t got = 0;
    size_t whole = 0;  // pieces read whole
    while (got < wanted) {
      const ssize_t n =
          ::preadv(fd_, pieces.data() + whole, static_cast<int>(pieces.size() - whole),
                   static_cast<off_t>(readPosition_ + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        return fail(n == 0 ? HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)
                           : HRESULT_FROM_WIN32(win32::errorFromErrno(errno)),
                    whole);
      }
      got += static_cast<uint64_t>(n);
      // Step over the pieces that are full; the next read starts inside the one that is not.
      for (size_t left = static_cast<size_t>(n); left > 0;) {
        const size_t take = std::min(left, pieces[whole].iov_len);
        pieces[whole].iov_base = static_cast<BYTE*>(pieces[whole].iov_base) + take;
        pieces[whole].iov_len -= take;
        left -= take;
        if (pieces[whole].iov_len == 0) ++whole;
      }
    }
    readPosition_ += wanted;
    readRemaining_ -= wanted;
    if (readRemaining_ == 0) out->push_back({});
  }

  std::mutex mutex_;
  int fd_ = -1;
  // What has been handed out (guarded by mutex_).
  uint64_t remaining_ = 0;
  uint64_t position_ = 0;
  uint64_t maskBegin_ = 0;
  uint64_t maskEnd_ = 0;
  // What has been read (the producer's, see BlockPipeline).
  uint64_t readPosition_ = 0;
  uint64_t readRemaining_ = 0;
  std::unique_ptr<BlockPipeline> blocks_;  // made with the file
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaGetData>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaGetDataClass = {CLSID_VexaGetData,  IID_IVexaGetData, kProgIdVexaGetData,
                                     "VexaGetData",      "IVexaGetData",   create};

void setLastErrorFor(HRESULT hr) {
  SetLastError(HRESULT_FACILITY(hr) == kFacilityWin32 ? HRESULT_CODE(hr)
                                                      : static_cast<DWORD>(hr));
}

HRESULT createFileRangeData(int fd, uint64_t length, uint64_t maskOffset, uint32_t maskLength,
                            IVexaGetData** out) {
  const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return HRESULT_FROM_WIN32(win32::errorFromErrno(errno));
  auto* object = new (std::nothrow) VexaGetData(own, length, maskOffset, maskLength);
  if (object == nullptr) {
    ::close(own);
    return E_OUTOFMEMORY;
  }
  *out = object;  // the creation reference
  return S_OK;
}

}  // namespace vexamor::signcore
