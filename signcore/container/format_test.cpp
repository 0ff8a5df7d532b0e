// The bytes of a container the engine wrote, decoded here without any of the
// engine's own code: the header mask generated anew, the CRC by zlib, Adler-32
// computed by hand, pages decompressed by LZO and zlib directly. A mistake
// made the same way in the engine's encoders and decoders shows up here.
#include <gtest/gtest.h>
#include <lzo/lzo1y.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <random>
#include <span>
#include <tuple>

#include "checksum.h"
#include "container.h"
#include "platform/com/message_table.h"
#include "test_support.h"

namespace vexamor::container {
namespace {

using namespace testing;
using Bytes = std::vector<uint8_t>;

uint32_t u32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint64_t u64(const uint8_t* p) {
  return u32(p) | uint64_t{u32(p + 4)} << 32;
}

// The header mask: the top byte of each step of x' = x * 1664525 + 1013904223
// (mod 2^32), from the seed 0x1015DA7A.
std::array<uint8_t, 108> mask() {
  std::array<uint8_t, 108> m{};
  uint32_t x = 0x1015DA7A;
  for (uint8_t& byte : m) {
    x = x * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(x >> 24);
  }
  return m;
}

// Adler-32 arithmetic from a given running value (0 for the container's pages).
uint32_t adler(uint32_t running, const uint8_t* p, size_t n) {
  uint32_t a = running & 0xFFFF;
  uint32_t b = running >> 16;
  for (size_t i = 0; i < n; ++i) {
    a = (a + p[i]) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

Bytes lzo(const uint8_t* stored, size_t storedSize, size_t decodedSize) {
  Bytes out(decodedSize);
  lzo_uint length = decodedSize;
  EXPECT_EQ(lzo1y_decompress(stored, storedSize, out.data(), &length, nullptr), LZO_E_OK);
  EXPECT_EQ(length, decodedSize);
  return out;
}

TEST(ContainerFormat, BytesOnDiskMatchTheDocumentedLayout) {
  ASSERT_EQ(lzo_init(), LZO_E_OK);
  TempDir dir;
  const std::string path = dir.file("format.dwg");
  constexpr uint64_t kOffset = 256;
  writeFile(path, Bytes(kOffset, 0));
  const Bytes lzoData = sampleBytes(5000, 1);
  const Bytes zlibData = sampleBytes(3000, 2);
  ASSERT_EQ(writeContainer(path, kOffset,
                           {{"First", 0, 2, 4096, lzoData}, {"Second", 0, 3, 4096, zlibData}}),
            kErrorSuccess);
  const Bytes file = readFile(path);

  // Header: unscrambled with the mask, its fields and CRC.
  std::array<uint8_t, 108> h{};
  const auto m = mask();
  for (size_t i = 0; i < h.size(); ++i) h[i] = file[kOffset + i] ^ m[i];
  EXPECT_EQ(std::memcmp(h.data(), "DxFssFcAJMB", 12), 0);
  EXPECT_EQ(u32(&h[12]), 0u);
  EXPECT_EQ(u32(&h[16]), 108u);
  EXPECT_EQ(u32(&h[20]), 4u);
  EXPECT_EQ(u32(&h[68]), 32u);   // granularity
  EXPECT_EQ(u32(&h[72]), 128u);  // page area
  EXPECT_EQ(u32(&h[76]), 64u);   // split threshold
  std::array<uint8_t, 108> zeroedCrc = h;
  std::memset(&zeroedCrc[104], 0, 4);
  EXPECT_EQ(u32(&h[104]), crc32(0, zeroedCrc.data(), 108));
  const uint64_t area = kOffset + u32(&h[72]);
  const uint64_t usedEnd = u64(&h[52]);
  // The second copy ends the file.
  ASSERT_EQ(file.size(), area + usedEnd + 108);
  EXPECT_TRUE(std::equal(file.begin() + kOffset, file.begin() + kOffset + 108,
                         file.begin() + area + usedEnd));

  // System pages: marker, sizes, Adler-32 from 0 over the header (checksum
  // field 0) and then the stored bytes, LZO content.
  auto systemPage = [&](uint64_t at, uint32_t marker) {
    const uint8_t* page = &file[area + at];
    EXPECT_EQ(u32(page), marker);
    EXPECT_EQ(u32(page + 12), 2u);  // compression type
    std::array<uint8_t, 20> head{};
    std::memcpy(head.data(), page, 20);
    std::memset(&head[16], 0, 4);
    const uint32_t stored = u32(page + 8);
    EXPECT_EQ(u32(page + 16), adler(adler(0, head.data(), 20), page + 20, stored));
    return lzo(page + 20, stored, u32(page + 4));
  };
  const Bytes map = systemPage(u64(&h[84]), 0x44780E3B);
  ASSERT_EQ(map.size(), u32(&h[64]) * 8 + u32(&h[60]) * 24);
  // Page positions by number: the running sum of the sizes.
  std::map<int32_t, std::pair<uint64_t, uint32_t>> pages;
  uint64_t position = 0;
  for (size_t at = 0; at < map.size();) {
    const auto number = static_cast<int32_t>(u32(&map[at]));
    const uint32_t size = u32(&map[at + 4]);
    EXPECT_EQ(size % 32, 0u);
    pages[number] = {position, size};
    position += size;
    at += number < 0 ? 24 : 8;
  }
  EXPECT_EQ(position, usedEnd);
  EXPECT_EQ(pages.at(static_cast<int32_t>(u32(&h[80]))).first, u64(&h[84]));

  const Bytes info = systemPage(pages.at(static_cast<int32_t>(u32(&h[92]))).first, 0x4478003B);
  ASSERT_GE(info.size(), 20u);
  EXPECT_EQ(u32(&info[0]), 2u);  // sections
  EXPECT_EQ(u32(&info[4]), 2u);  // default compression
  const uint32_t firstId = u32(&info[20 + 24]);
  EXPECT_NE(firstId, 0u);
  EXPECT_EQ(u32(&info[16]), firstId + 2);  // next identifier

  // Each stream: description, page entries, and its data pages.
  size_t at = 20;
  for (const auto& [name, data, type] :
       {std::tuple{"First", lzoData, 2u}, std::tuple{"Second", zlibData, 3u}}) {
    SCOPED_TRACE(name);
    const uint8_t* d = &info[at];
    EXPECT_EQ(u64(d), data.size());
    const uint32_t entries = u32(d + 8);
    const uint32_t pageSize = u32(d + 12);
    EXPECT_EQ(pageSize, 4096u);
    EXPECT_EQ(entries, (data.size() + pageSize - 1) / pageSize);
    EXPECT_EQ(u32(d + 20), type);
    EXPECT_STREQ(reinterpret_cast<const char*>(d + 32), name);
    const uint32_t id = u32(d + 24);
    EXPECT_EQ(id, firstId + (type == 3 ? 1 : 0));
    at += 96;
    Bytes decoded;
    for (uint32_t e = 0; e < entries; ++e, at += 16) {
      const auto number = static_cast<int32_t>(u32(&info[at]));
      EXPECT_EQ(u64(&info[at + 8]), uint64_t{e} * pageSize);
      const auto [pagePosition, pageBytes] = pages.at(number);
      // The eight header fields are masked with the page's position.
      std::array<uint32_t, 8> f{};
      std::array<uint8_t, 32> plain{};
      for (size_t i = 0; i < 8; ++i) {
        f[i] = u32(&file[area + pagePosition + 4 * i]) ^
               (static_cast<uint32_t>(pagePosition) ^ 0x56657861u);
        std::memcpy(&plain[4 * i], &f[i], 4);
      }
      EXPECT_EQ(f[0], 0x4478043Bu);
      EXPECT_EQ(f[1], id);
      EXPECT_EQ(f[3], pageBytes);
      EXPECT_EQ(f[4] | uint64_t{f[5]} << 32, uint64_t{e} * pageSize);
      const uint8_t* stored = &file[area + pagePosition + 32];
      const uint32_t dataSum = adler(0, stored, f[2]);
      EXPECT_EQ(f[7], dataSum);
      std::memset(&plain[24], 0, 4);
      EXPECT_EQ(f[6], adler(dataSum, plain.data(), 32));
      Bytes block(pageSize);
      if (type == 2) {
        block = lzo(stored, f[2], pageSize);
      } else {
        uLongf length = pageSize;
        EXPECT_EQ(uncompress(block.data(), &length, stored, f[2]), Z_OK);
        EXPECT_EQ(length, pageSize);
      }
      decoded.insert(decoded.end(), block.begin(), block.end());
    }
    decoded.resize(data.size());
    EXPECT_EQ(decoded, data);
  }
  EXPECT_EQ(at, info.size());
}

// Whatever the engine hands back reads as the system words it.
// The page checksum works sixteen bytes at a time in rounds; it must give zlib's Adler-32
// arithmetic for any start and any length, rounds and odd tails included.
TEST(ContainerFormat, PageChecksumIsAdler32ArithmeticForEveryLengthAndStart) {
  std::mt19937 random(1392);
  Bytes bytes(200000);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  std::fill(bytes.begin() + 70000, bytes.begin() + 140000, 0xFF);  // the largest sums
  for (int round = 0; round < 400; ++round) {
    const size_t length = round < 40 ? static_cast<size_t>(round) : random() % bytes.size();
    const size_t at = random() % (bytes.size() - length + 1);
    const uint32_t start =
        round % 3 == 0 ? 0 : (random() % 65521) << 16 | static_cast<uint32_t>(random() % 65521);
    const auto expected =
        static_cast<uint32_t>(adler32(start, bytes.data() + at, static_cast<uInt>(length)));
    ASSERT_EQ(pageChecksum(start, std::span(bytes.data() + at, length)), expected)
        << length << " bytes from " << at;
  }
}

TEST(ContainerFormat, EveryCodeTheEngineReturnsHasItsSystemText) {
  for (Win32Code code : {kErrorFileNotFound, kErrorAccessDenied, kErrorInvalidHandle,
                         kErrorNotEnoughMemory, kErrorGenFailure, kErrorHandleEof,
                         kErrorNotSupported, kErrorFileExists, kErrorInvalidParameter,
                         kErrorDiskFull, kErrorAlreadyExists, kErrorNotFound, kErrorFileCorrupt}) {
    EXPECT_TRUE(win32::systemMessage(code)) << code;
  }
  EXPECT_EQ(win32::systemMessage(kErrorFileCorrupt),
            u"The file or directory is corrupted and unreadable.");
}

}  // namespace
}  // namespace vexamor::container
