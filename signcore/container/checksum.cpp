#include "checksum.h"

#include <zlib.h>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vexamor::container {
namespace {

// zlib's Adler-32 arithmetic: any start value, blocks of at most 5552 bytes.
uint32_t byZlib(uint32_t running, const uint8_t* data, size_t size) {
  uLong value = running;
  while (size > 0) {
    const auto chunk = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    value = adler32(value, data, chunk);
    data += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(value);
}

#if defined(__SSE2__)

constexpr uint64_t kBase = 65521;
constexpr size_t kChunk = 16;
// Chunks per round: the 32-bit lanes of the weighted sums stay far from overflowing.
constexpr size_t kChunksPerRound = 4096;

uint64_t lanesSum64(__m128i v) {
  alignas(16) uint64_t lanes[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return lanes[0] + lanes[1];
}

uint64_t lanesSum32(__m128i v) {
  alignas(16) int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return static_cast<uint64_t>(lanes[0]) + static_cast<uint64_t>(lanes[1]) +
         static_cast<uint64_t>(lanes[2]) + static_cast<uint64_t>(lanes[3]);
}

// Every page read or written is checksummed, and zlib's byte-at-a-time Adler-32 costs a
// sixth of compressing the page with LZO; this does the same arithmetic sixteen bytes at a
// time. Over a round of K chunks of sixteen bytes x[k][i] (chunk sums S[k]), from (a, b):
//   a' = a + sum S[k]
//   b' = b + 16K a + sum_k x[k][i] (16 (K - k) - i)
//      = b + 16K a + 16 sum_k (K - 1 - k) S[k] + sum_k sum_i (16 - i) x[k][i]
// The third term is the sum of the running chunk sums before each chunk; the fourth, the
// bytes weighted 16 down to 1 (multiply-adds on 16-bit halves).
uint32_t bySixteen(uint32_t running, const uint8_t* data, size_t size) {
  uint64_t a = running & 0xffff;
  uint64_t b = running >> 16;
  const __m128i zero = _mm_setzero_si128();
  const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  while (size >= kChunk) {
    const size_t chunks = std::min(size / kChunk, kChunksPerRound);
    __m128i sums = zero, before = zero, weighted = zero;
    for (size_t k = 0; k < chunks; ++k) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k * kChunk));
      before = _mm_add_epi64(before, sums);
      sums = _mm_add_epi64(sums, _mm_sad_epu8(x, zero));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(x, zero), weightsLow));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(x, zero), weightsHigh));
    }
    const uint64_t n = chunks * kChunk;
    b = (b + n * a + kChunk * lanesSum64(before) + lanesSum32(weighted)) % kBase;
    a = (a + lanesSum64(sums)) % kBase;
    data += n;
    size -= n;
  }
  return byZlib(static_cast<uint32_t>(b << 16 | a), data, size);
}

#endif

}  // namespace

uint32_t pageChecksum(uint32_t running, std::span<const uint8_t> bytes) {
#if defined(__SSE2__)
  // A start value outside the arithmetic's range (never one that this function made) is left
  // to zlib, which reduces it as it goes.
  if ((running & 0xffff) < 65521 && (running >> 16) < 65521) {
    return bySixteen(running, bytes.data(), bytes.size());
  }
#endif
  return byZlib(running, bytes.data(), bytes.size());
}

}  // namespace vexamor::container
