#include "signcore/handlers/vexa_get_data.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/com/last_error.h"
#include "platform/com/task_mem.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

// Blocks are handed out 4096 bytes at a time but read from the file in larger pieces, which
// keeps the system calls per block far below one.
constexpr size_t kReadAhead = size_t{256} << 10;

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
      const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, kDataBlockSize));
      auto* block = static_cast<BYTE*>(CoTaskMemAlloc(n));
      if (block == nullptr) return E_OUTOFMEMORY;
      if (const HRESULT rc = fill(block, n); FAILED(rc)) {
        CoTaskMemFree(block);
        return rc;
      }
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
    if (fd_ >= 0) ::close(fd_);
  }
  friend class ComObject<VexaGetData, IVexaGetData>;

  // Copies the next n bytes of the file into `out`, reading ahead as it goes.
  HRESULT fill(BYTE* out, size_t n) {
    size_t done = 0;
    while (done < n) {
      if (bufferAt_ == buffer_.size()) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining_ - done, kReadAhead));
        buffer_.resize(std::max(want, size_t{kDataBlockSize}));
        ssize_t got;
        do {
          got = ::pread(fd_, buffer_.data(), want, static_cast<off_t>(position_ + done));
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
          buffer_.clear();
          bufferAt_ = 0;
          return HRESULT_FROM_WIN32(win32::errorFromErrno(errno));
        }
        buffer_.resize(static_cast<size_t>(got));
        bufferAt_ = 0;
        if (got == 0) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
      }
      const size_t take = std::min(n - done, buffer_.size() - bufferAt_);
      std::memcpy(out + done, buffer_.data() + bufferAt_, take);
      bufferAt_ += take;
      done += take;
    }
    return S_OK;
  }

  std::mutex mutex_;
  int fd_ = -1;
  uint64_t remaining_ = 0;
  uint64_t position_ = 0;
  uint64_t maskBegin_ = 0;
  uint64_t maskEnd_ = 0;
  std::vector<uint8_t> buffer_;
  size_t bufferAt_ = 0;
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
