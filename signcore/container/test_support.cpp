#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <random>

#include <lzo/lzoconf.h>
#include "container_core.h"
#include "format.h"
#include "page_codec.h"
#include "page_headers.h"

namespace vexamor::container::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "container-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> sampleBytes(size_t size, uint32_t seed) {
  // Words from a small vocabulary with random numbers in between.
  static const char* const kWords[] = {"LINE ", "ARC ", "LAYER0 ", "CIRCLE ", "TEXT ", "BLOCK "};
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes;
  bytes.reserve(size + 16);
  while (bytes.size() < size) {
    const char* word = kWords[random() % 6];
    bytes.insert(bytes.end(), word, word + std::strlen(word));
    for (int i = 0; i < 3; ++i) bytes.push_back(static_cast<uint8_t>(random()));
  }
  bytes.resize(size);
  return bytes;
}

Win32Code writeContainer(const std::string& path, uint64_t headerOffset,
                         const std::vector<SampleStream>& streams) {
  auto container = Container::create();
  if (Win32Code rc = container->setHeaderOffset(headerOffset); rc != kErrorSuccess) return rc;
  if (Win32Code rc =
          container->open(path, kAccessRead | kAccessWrite, 0, Disposition::kOpenAlways, 0);
      rc != kErrorSuccess) {
    return rc;
  }
  for (const SampleStream& sample : streams) {
    StreamOptions options;
    options.compression = sample.compression;
    options.pageSize = sample.pageSize;
    Expected<Stream> stream =
        container->openStream(sample.name, sample.identifier, kAccessRead | kAccessWrite,
                              Disposition::kCreateAlways, options);
    if (!stream.ok()) return stream.error();
    for (size_t at = 0; at < sample.data.size(); at += 4096) {
      const size_t length = std::min<size_t>(4096, sample.data.size() - at);
      if (Win32Code rc = stream->write(std::span(sample.data.data() + at, length));
          rc != kErrorSuccess)
        return rc;
    }
    if (Win32Code rc = stream->close(); rc != kErrorSuccess) return rc;
  }
  return container->close();
}

Win32Code openForReading(Container& container, const std::string& path, uint64_t headerOffset) {
  if (Win32Code rc = container.setHeaderOffset(headerOffset); rc != kErrorSuccess) return rc;
  return container.open(path, kAccessRead, 0, Disposition::kOpenExisting, 0);
}

Expected<std::map<std::string, std::vector<uint8_t>>> readAllStreams(const std::string& path,
                                                                     uint64_t headerOffset) {
  auto container = Container::create();
  if (Win32Code rc = openForReading(*container, path, headerOffset); rc != kErrorSuccess)
    return Failure{rc};
  std::map<std::string, std::vector<uint8_t>> streams;
  const uint32_t count = container->info()->streamCount;
  for (uint32_t i = 0; i < count; ++i) {
    Expected<StreamInfo> info = container->streamInfo(i);
    Expected<Stream> stream = container->openStream(info->name, info->identifier, kAccessRead,
                                                    Disposition::kOpenExisting);
    if (!stream.ok()) return Failure{stream.error()};
    std::vector<uint8_t>& bytes = streams[info->name];
    for (;;) {
      Expected<std::span<const uint8_t>> piece = stream->nextPiece();
      if (!piece.ok()) return Failure{piece.error()};
      if (piece->empty()) break;
      bytes.insert(bytes.end(), piece->begin(), piece->end());
    }
  }
  return streams;
}

Layout inspect(const std::string& path, uint64_t headerOffset) {
  ContainerCore core;
  core.headerOffset = headerOffset;
  EXPECT_EQ(core.open(path, kAccessRead, Disposition::kOpenExisting), kErrorSuccess);
  Layout layout;
  const uint64_t area = core.pageAreaStart();
  layout.header = headerOffset;
  layout.pageMap = area + core.pageMapPosition;
  layout.sectionInfo = area + core.sectionInfoPosition;
  layout.secondHeader = area + core.header.usedEnd;
  layout.pageMapNumber = core.header.pageMapNumber;
  for (const auto& section : core.table.sections) {
    for (uint64_t position : section->pages)
      layout.dataPages[section->name].push_back(area + position);
  }
  return layout;
}

size_t Layout::dataPageCount() const {
  size_t count = 0;
  for (const auto& [name, pages] : dataPages) count += pages.size();
  return count;
}

void editHeader(const std::string& path, uint64_t offset,
                const std::function<void(FileHeader&)>& edit) {
  std::vector<uint8_t> bytes = readFile(path);
  Expected<FileHeader> fields =
      decodeHeader(std::span<const uint8_t, header::kSize>(bytes.data() + offset, header::kSize));
  ASSERT_TRUE(fields.ok());
  edit(*fields);
  const ScrambledHeader encoded = encodeHeader(*fields);
  std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<ptrdiff_t>(offset));
  writeFile(path, bytes);
}

void editHeaderField(const std::string& path, uint64_t offset, size_t fieldAt, uint32_t value) {
  std::vector<uint8_t> bytes = readFile(path);
  ASSERT_LE(offset + header::kSize, bytes.size());
  uint8_t* h = bytes.data() + offset;
  for (size_t i = 0; i < header::kSize; ++i) h[i] ^= headerMask()[i];
  storeU32(h + fieldAt, value);
  storeU32(h + header::kCrcAt, 0);
  storeU32(h + header::kCrcAt, static_cast<uint32_t>(lzo_crc32(0, h, header::kSize)));
  for (size_t i = 0; i < header::kSize; ++i) h[i] ^= headerMask()[i];
  writeFile(path, bytes);
}

void editSystemPage(const std::string& path, uint64_t position,
                    const std::function<void(std::vector<uint8_t>&)>& edit) {
  std::vector<uint8_t> bytes = readFile(path);
  const uint8_t* page = bytes.data() + position;
  const uint32_t marker = loadU32(page + syspage::kMarkerAt);
  std::vector<uint8_t> content(loadU32(page + syspage::kDecodedSizeAt));
  const uint32_t stored = loadU32(page + syspage::kStoredSizeAt);
  PageCodec codec;
  ASSERT_EQ(
      codec.decompress(kCompressionLzo, std::span(page + syspage::kHeaderSize, stored), content),
      0);
  edit(content);
  std::vector<uint8_t> rewritten(syspage::kHeaderSize + maxStoredSize(content.size()));
  size_t newStored = 0;
  ASSERT_EQ(codec.compress(kCompressionLzo, 0, content,
                           std::span(rewritten).subspan(syspage::kHeaderSize), &newStored),
            kErrorSuccess);
  rewritten.resize(syspage::kHeaderSize + newStored);
  sealSystemPage(rewritten, marker, static_cast<uint32_t>(content.size()));
  std::copy(rewritten.begin(), rewritten.end(), bytes.begin() + static_cast<ptrdiff_t>(position));
  writeFile(path, bytes);
}

void storeField(const std::string& path, uint64_t offset, uint32_t value) {
  std::vector<uint8_t> bytes = readFile(path);
  ASSERT_LE(offset + 4, bytes.size());
  storeU32(bytes.data() + offset, value);
  writeFile(path, bytes);
}

uint32_t loadField(const std::string& path, uint64_t offset) {
  std::vector<uint8_t> bytes = readFile(path);
  EXPECT_LE(offset + 4, bytes.size());
  return offset + 4 <= bytes.size() ? loadU32(bytes.data() + offset) : 0;
}

void flipByte(const std::string& path, uint64_t offset, uint8_t mask) {
  std::vector<uint8_t> bytes = readFile(path);
  ASSERT_LT(offset, bytes.size());
  bytes[offset] ^= mask;
  writeFile(path, bytes);
}

void truncateFile(const std::string& path, uint64_t size) {
  std::filesystem::resize_file(path, size);
}

}  // namespace vexamor::container::testing
