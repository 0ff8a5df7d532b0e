#include "page_codec.h"

#include <lzo/lzo1y.h>

#include <climits>
#include <cstring>
#include <mutex>

#include "format.h"

namespace vexamor::container {
namespace {

constexpr int kSizeMismatch = 1;
constexpr int kWindowBits = 15;
constexpr int kMemoryLevel = 8;
constexpr size_t kPoolPrefix = 16;  // keeps zlib's blocks 16-byte aligned

bool lzoReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = lzo_init() == LZO_E_OK; });
  return ready;
}

// zlib's internal state lives in the page pool too. Each block remembers its
// size in front of the pointer zlib sees.
voidpf poolAlloc(voidpf, uInt items, uInt size) {
  const size_t bytes = size_t{items} * size + kPoolPrefix;
  auto* block = static_cast<uint8_t*>(PagePool::instance().allocate(bytes));
  if (block == nullptr) return Z_NULL;
  std::memcpy(block, &bytes, sizeof(bytes));
  return block + kPoolPrefix;
}

void poolFree(voidpf, voidpf address) {
  if (address == Z_NULL) return;
  uint8_t* block = static_cast<uint8_t*>(address) - kPoolPrefix;
  size_t bytes = 0;
  std::memcpy(&bytes, block, sizeof(bytes));
  PagePool::instance().release(block, bytes);
}

bool fitsUInt(size_t n) {
  return n <= UINT_MAX;
}

}  // namespace

PageCodec::~PageCodec() {
  if (deflateReady_) deflateEnd(&deflate_);
  if (inflateReady_) inflateEnd(&inflate_);
}

Win32Code PageCodec::compress(uint32_t type, int level, std::span<const uint8_t> in,
                              std::span<uint8_t> out, size_t* stored) {
  if (out.size() < maxStoredSize(in.size())) return kErrorInvalidParameter;
  switch (type) {
    case kCompressionLzo:
      return compressLzo(in, out, stored);
    case kCompressionZlib:
      return compressZlib(level, in, out, stored);
    default:
      std::memcpy(out.data(), in.data(), in.size());
      *stored = in.size();
      return kErrorSuccess;
  }
}

Win32Code PageCodec::compressLzo(std::span<const uint8_t> in, std::span<uint8_t> out,
                                 size_t* stored) {
  if (!lzoReady()) return kErrorGenFailure;
  if (lzoWork_.empty() && !lzoWork_.allocate(LZO1Y_MEM_COMPRESS)) return kErrorNotEnoughMemory;
  lzo_uint produced = out.size();
  if (lzo1y_1_compress(in.data(), in.size(), out.data(), &produced, lzoWork_.data()) != LZO_E_OK) {
    return kErrorGenFailure;
  }
  *stored = produced;
  return kErrorSuccess;
}

Win32Code PageCodec::compressZlib(int level, std::span<const uint8_t> in, std::span<uint8_t> out,
                                  size_t* stored) {
  if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION) level = Z_DEFAULT_COMPRESSION;
  if (!fitsUInt(in.size()) || !fitsUInt(out.size())) return kErrorInvalidParameter;
  if (!deflateReady_) {
    deflate_.zalloc = poolAlloc;
    deflate_.zfree = poolFree;
    if (deflateInit2(&deflate_, level, Z_DEFLATED, kWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
      return kErrorNotEnoughMemory;
    }
    deflateReady_ = true;
    deflateLevel_ = level;
  } else {
    deflateReset(&deflate_);
    // Right after a reset nothing is pending, so a level change flushes nothing.
    if (level != deflateLevel_ && deflateParams(&deflate_, level, Z_DEFAULT_STRATEGY) != Z_OK) {
      return kErrorGenFailure;
    }
    deflateLevel_ = level;
  }
  deflate_.next_in = const_cast<Bytef*>(in.data());
  deflate_.avail_in = static_cast<uInt>(in.size());
  deflate_.next_out = out.data();
  deflate_.avail_out = static_cast<uInt>(out.size());
  if (deflate(&deflate_, Z_FINISH) != Z_STREAM_END) return kErrorGenFailure;
  *stored = out.size() - deflate_.avail_out;
  return kErrorSuccess;
}

int PageCodec::decompress(uint32_t type, std::span<const uint8_t> in, std::span<uint8_t> out) {
  switch (type) {
    case kCompressionLzo: {
      if (!lzoReady()) return LZO_E_ERROR;
      lzo_uint produced = out.size();
      const int rc = lzo1y_decompress_safe(in.data(), in.size(), out.data(), &produced, nullptr);
      if (rc != LZO_E_OK) return rc;
      return produced == out.size() ? 0 : kSizeMismatch;
    }
    case kCompressionZlib:
      return decompressZlib(in, out);
    default:
      if (in.size() != out.size()) return kSizeMismatch;
      std::memcpy(out.data(), in.data(), in.size());
      return 0;
  }
}

int PageCodec::decompressZlib(std::span<const uint8_t> in, std::span<uint8_t> out) {
  if (!fitsUInt(in.size()) || !fitsUInt(out.size())) return Z_BUF_ERROR;
  if (!inflateReady_) {
    inflate_.zalloc = poolAlloc;
    inflate_.zfree = poolFree;
    if (inflateInit2(&inflate_, kWindowBits) != Z_OK) return Z_MEM_ERROR;
    inflateReady_ = true;
  } else {
    inflateReset(&inflate_);
  }
  inflate_.next_in = const_cast<Bytef*>(in.data());
  inflate_.avail_in = static_cast<uInt>(in.size());
  inflate_.next_out = out.data();
  inflate_.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&inflate_, Z_FINISH);
  if (rc == Z_STREAM_END) return inflate_.avail_out == 0 ? 0 : kSizeMismatch;
  return rc == Z_OK ? Z_BUF_ERROR : rc;
}

}  // namespace vexamor::container
