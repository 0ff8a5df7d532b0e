#include "signcore/handlers/vexa_get_data.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"
#include "platform/com/task_mem.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

// Blocks are read ahead, many with one system call, straight into the buffers that are
// handed out: the system calls per block stay far below one and no byte is copied twice.
constexpr size_t kBlocksAhead = 64;

class VexaGetData final : public ComObject<VexaGetData, IVexaGetData> {
 public:
  VexaGetData() = default;
  VexaGetData(int fd, uint64_t length, uint64_t maskOffset, uint32_t maskLength)
      : fd_(fd),
        remaining_(length),
        maskBegin_(maskOffset),
        maskEnd_(maskOffset + maskLength) {}

  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override {
    const HRESULT hr = runMethod(kVexaGetDataClass, [&]() -> HRESULT {
      if (pElems == nullptr || rgbData == nullptr || bMore == nullptr) return E_POINTER;
      *pElems = 0;
      *bMore = 0;
      *rgbData = nullptr;
      std::lock_guard lock(mutex_);
      if (remaining_ == 0) return E_UNEXPECTED;
      if (fd_ < 0) return E_HANDLE;
      if (next_ == ready_.size()) {
        if (FAILED(pending_)) return pending_;
        pending_ = readAhead();
        if (next_ == ready_.size()) return pending_;
      }
      BYTE* block = std::exchange(ready_[next_++], nullptr);
      const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, kDataBlockSize));
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
    dropReady();
    if (fd_ >= 0) ::close(fd_);
  }
  friend class ComObject<VexaGetData, IVexaGetData>;

  void dropReady() {
    for (BYTE* block : ready_) CoTaskMemFree(block);
    ready_.clear();
    next_ = 0;
  }

  // Reads the next blocks, up to kBlocksAhead of them, into new buffers. When the file ends
  // early (ERROR_HANDLE_EOF) or a read fails, the blocks read whole are still delivered and
  // the failure is the answer of the call after them.
  HRESULT readAhead() {
    dropReady();
    const uint64_t blocks = std::min<uint64_t>(
        kBlocksAhead, (remaining_ + kDataBlockSize - 1) / kDataBlockSize);
    std::vector<iovec> pieces;
    uint64_t wanted = 0;
    for (uint64_t i = 0; i < blocks; ++i) {
      const size_t n =
          static_cast<size_t>(std::min<uint64_t>(remaining_ - i * kDataBlockSize, kDataBlockSize));
      auto* block = static_cast<BYTE*>(CoTaskMemAlloc(n));
      if (block == nullptr) {
        dropReady();
        return E_OUTOFMEMORY;
      }
      ready_.push_back(block);
      pieces.push_back({block, n});
      wanted += n;
    }
    uint64_t got = 0;
    size_t first = 0;
    while (got < wanted) {
      const ssize_t n = ::preadv(fd_, pieces.data() + first, static_cast<int>(pieces.size() - first),
                                 static_cast<off_t>(position_ + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const HRESULT failure = n == 0 ? HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)
                                       : HRESULT_FROM_WIN32(win32::errorFromErrno(errno));
        for (size_t i = first; i < ready_.size(); ++i) CoTaskMemFree(ready_[i]);
        ready_.resize(first);
        return failure;
      }
      got += static_cast<uint64_t>(n);
      // Step over the pieces that are full; the next read starts inside the one that is not.
      for (size_t left = static_cast<size_t>(n); left > 0;) {
        const size_t take = std::min(left, pieces[first].iov_len);
        pieces[first].iov_base = static_cast<BYTE*>(pieces[first].iov_base) + take;
        pieces[first].iov_len -= take;
        left -= take;
        if (pieces[first].iov_len == 0) ++first;
      }
    }
    return S_OK;
  }

  std::mutex mutex_;
  int fd_ = -1;
  uint64_t remaining_ = 0;
  uint64_t position_ = 0;
  uint64_t maskBegin_ = 0;
  uint64_t maskEnd_ = 0;
  std::vector<BYTE*> ready_;  // read ahead, not yet handed out from next_ on
  size_t next_ = 0;
  HRESULT pending_ = S_OK;  // the failure that ends the blocks read ahead
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
