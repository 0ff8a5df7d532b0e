// Compression of page blocks by a stream's compression type: 2 is LZO1Y,
// 3 is zlib (window bits 15, memory level 8, one finishing call per page),
// every other type is stored as is. One codec belongs to one container: its
// zlib streams are set up once and reset for every page, and its work areas
// come from the page pool. Not thread-safe; the container's lock guards it.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>

#include "page_pool.h"
#include "win32_codes.h"

namespace vexamor::container {

class PageCodec {
 public:
  PageCodec() = default;
  ~PageCodec();
  PageCodec(const PageCodec&) = delete;
  PageCodec& operator=(const PageCodec&) = delete;

  // Compresses `in` into `out`, which must hold maxStoredSize(in.size())
  // bytes; `level` is zlib's (-1 for its default). Sets `stored`.
  Win32Code compress(uint32_t type, int level, std::span<const uint8_t> in, std::span<uint8_t> out,
                     size_t* stored);

  // Decodes `in` and fills `out` exactly. Returns 0, or the library's result:
  // an LZO error (negative), zlib's Z_BUF_ERROR (-5) when the zlib stream does
  // not end in the one finishing call, or 1 when the sizes do not match.
  int decompress(uint32_t type, std::span<const uint8_t> in, std::span<uint8_t> out);

 private:
  Win32Code compressLzo(std::span<const uint8_t> in, std::span<uint8_t> out, size_t* stored);
  Win32Code compressZlib(int level, std::span<const uint8_t> in, std::span<uint8_t> out,
                         size_t* stored);
  int decompressZlib(std::span<const uint8_t> in, std::span<uint8_t> out);

  PoolBuffer lzoWork_;
  z_stream deflate_{};
  z_stream inflate_{};
  bool deflateReady_ = false;
  bool inflateReady_ = false;
  int deflateLevel_ = Z_DEFAULT_COMPRESSION;
};

}  // namespace vexamor::container
