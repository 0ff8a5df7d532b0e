#include "signcore/handlers/testing/drawing_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

#include "container.h"
#include "recognition.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"

namespace vexamor::signcore::testing {
namespace {

using container::Container;
using container::Disposition;
using container::kAccessRead;
using container::kAccessWrite;

constexpr int kMaxSections = 13;  // 25 + 9 * 13 = 142: the locators end before offset 148

// Section i's place: back to back from the end of the header to `size`.
std::vector<ClassicSection> layOutSections(uint64_t size, int count) {
  count = std::clamp(count, 0, kMaxSections);
  std::vector<ClassicSection> sections;
  const uint64_t first = classic::kHeaderEnd;
  const uint64_t body = size > first ? size - first : 0;
  uint64_t at = first;
  for (int i = 0; i < count; ++i) {
    const uint64_t length = i + 1 == count ? first + body - at : body / count;
    sections.push_back({static_cast<uint8_t>(i + 1), at, length});
    at += length;
  }
  return sections;
}

std::vector<uint8_t> classicHeader(const std::vector<ClassicSection>& sections, uint32_t seed) {
  std::vector<uint8_t> header = sampleBytes(classic::kHeaderEnd, seed ^ 0x5eed);
  std::memcpy(header.data(), classic::kVersionText.data(), classic::kVersionText.size());
  storeLe32(&header[classic::kLocatorCountOffset], static_cast<uint32_t>(sections.size()));
  for (size_t i = 0; i < sections.size(); ++i) {
    uint8_t* record = &header[classic::kLocatorsOffset + i * classic::kLocatorSize];
    record[0] = sections[i].number;
    storeLe32(record + 1, static_cast<uint32_t>(sections[i].offset));
    storeLe32(record + 5, static_cast<uint32_t>(sections[i].size));
  }
  storeLe32(&header[classic::kPointerOffset], 0);
  return header;
}

}  // namespace

std::vector<uint8_t> sampleBytes(size_t size, uint32_t seed) {
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

ClassicDrawing makeClassicDrawing(uint64_t size, int sectionCount, uint32_t seed) {
  size = std::max(size, classic::kHeaderEnd);
  ClassicDrawing drawing;
  drawing.sections = layOutSections(size, sectionCount);
  drawing.bytes = classicHeader(drawing.sections, seed);
  const std::vector<uint8_t> body = sampleBytes(static_cast<size_t>(size - classic::kHeaderEnd), seed);
  drawing.bytes.insert(drawing.bytes.end(), body.begin(), body.end());
  return drawing;
}

bool writeClassicDrawing(const std::string& path, uint64_t size, int sectionCount,
                         uint32_t seed) {
  size = std::max(size, classic::kHeaderEnd);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::vector<uint8_t> header = classicHeader(layOutSections(size, sectionCount), seed);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  const std::vector<uint8_t> chunk = sampleBytes(size_t{1} << 20, seed);
  for (uint64_t left = size - classic::kHeaderEnd; left > 0 && out;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n));
    left -= n;
  }
  return static_cast<bool>(out.flush());
}

std::vector<ContainerStream> dozenStreams(uint32_t seed) {
  static const char* const kNames[] = {
      "DxDb:Header", "DxDb:Classes",  "DxDb:Objects", "DxDb:Handles",  "DxDb:Preview",
      "DxDb:Layers", "DxDb:Styles",   "DxDb:Blocks",  "DxDb:Xrefs",    "DxDb:Summary",
      "DxDb:Empty",  "DxDb:AppInfo"};
  const size_t sizes[] = {1, 4095, 4096, 70001, 200000, 32768, 12345, 100000, 0, 777, 0, 65536};
  const uint32_t compressions[] = {2, 3, 0};
  const uint32_t pageSizes[] = {0, 1024, 8192, 65536};
  std::vector<ContainerStream> streams;
  for (uint32_t i = 0; i < 12; ++i) {
    streams.push_back({kNames[i], compressions[i % 3], pageSizes[i % 4],
                       sampleBytes(sizes[i], seed * 100 + i)});
  }
  return streams;
}

uint32_t writeContainerDrawing(const std::string& path, const std::vector<ContainerStream>& streams,
                               uint64_t headerOffset) {
  if (!writeFile(path, sampleBytes(static_cast<size_t>(headerOffset), 7))) return 5;
  auto c = Container::create();
  if (auto rc = c->setHeaderOffset(headerOffset); rc != 0) return rc;
  if (auto rc = c->open(path, kAccessRead | kAccessWrite, 3, Disposition::kOpenExisting, 0x80);
      rc != 0) {
    return rc;
  }
  for (const ContainerStream& s : streams) {
    container::StreamOptions options;
    options.compression = s.compression;
    options.pageSize = s.pageSize;
    auto stream = c->openStream(s.name, 0, kAccessRead | kAccessWrite, Disposition::kCreateNew,
                                options);
    if (!stream.ok()) return stream.error();
    for (size_t at = 0; at < s.data.size(); at += 4096) {
      const size_t n = std::min<size_t>(4096, s.data.size() - at);
      if (auto rc = stream->write(std::span(s.data.data() + at, n)); rc != 0) return rc;
    }
    if (auto rc = stream->close(); rc != 0) return rc;
  }
  return c->close();
}

uint32_t writeLargeContainerDrawing(const std::string& path, int streamCount, uint64_t streamSize,
                                    const std::vector<uint32_t>& compressions) {
  if (!writeFile(path, {})) return 5;
  auto c = Container::create();
  if (auto rc = c->open(path, kAccessRead | kAccessWrite, 3, Disposition::kOpenExisting, 0x80);
      rc != 0) {
    return rc;
  }
  const std::vector<uint8_t> chunk = sampleBytes(size_t{1} << 20, 3);
  for (int i = 0; i < streamCount; ++i) {
    container::StreamOptions options;
    options.compression = compressions.empty() ? 2 : compressions[i % compressions.size()];
    options.pageSize = 65536;
    auto stream = c->openStream("Bulk:" + std::to_string(i), 0, kAccessRead | kAccessWrite,
                                Disposition::kCreateNew, options);
    if (!stream.ok()) return stream.error();
    for (uint64_t left = streamSize; left > 0;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
      if (auto rc = stream->write(std::span(chunk.data(), n)); rc != 0) return rc;
      left -= n;
    }
    if (auto rc = stream->close(); rc != 0) return rc;
  }
  return c->close();
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> readContainerStreams(
    const std::string& path) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
  auto offset = container::findContainerHeader(path);
  if (!offset) return out;
  auto c = Container::create();
  if (c->setHeaderOffset(*offset) != 0 ||
      c->open(path, kAccessRead, 3, Disposition::kOpenExisting, 0x80) != 0) {
    return out;
  }
  auto info = c->info();
  if (!info.ok()) return out;
  for (uint32_t i = 0; i < info->streamCount; ++i) {
    auto s = c->streamInfo(i);
    if (!s.ok() || !s->present) continue;
    auto stream = c->openStream(s->name, s->identifier, kAccessRead, Disposition::kOpenExisting);
    if (!stream.ok()) return {};
    std::vector<uint8_t> data;
    for (;;) {
      auto piece = stream->nextPiece();
      if (!piece.ok()) return {};
      if (piece->empty()) break;
      data.insert(data.end(), piece->begin(), piece->end());
    }
    out.emplace_back(s->name, std::move(data));
  }
  return out;
}

uint32_t rewriteContainerStream(const std::string& path, const std::string& name,
                                const std::vector<uint8_t>& data) {
  auto offset = container::findContainerHeader(path);
  auto c = Container::create();
  if (auto rc = c->setHeaderOffset(offset.value_or(0)); rc != 0) return rc;
  if (auto rc = c->open(path, kAccessRead | kAccessWrite, 3, Disposition::kOpenExisting, 0x80);
      rc != 0) {
    return rc;
  }
  auto s = c->openStream(name, 0, kAccessRead | kAccessWrite, Disposition::kTruncateExisting);
  if (!s.ok()) return s.error();
  if (auto rc = s->write(data); rc != 0) return rc;
  if (auto rc = s->close(); rc != 0) return rc;
  return c->close();
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace vexamor::signcore::testing
