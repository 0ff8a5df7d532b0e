#include "container.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "recognition.h"
#include "test_support.h"

namespace vexamor::container {
namespace {

using namespace testing;
constexpr uint32_t kReadWrite = kAccessRead | kAccessWrite;

// A dozen streams of every compression type, odd and exact page multiples,
// empty and unnamed ones among them.
std::vector<SampleStream> dozenStreams() {
  std::vector<SampleStream> streams;
  const size_t sizes[] = {0, 1, 4095, 32768, 100000, 70001};
  for (uint32_t i = 0; i < 12; ++i) {
    SampleStream s;
    s.name = i == 5 ? "" : "Stream:" + std::to_string(i);
    s.identifier = i == 5 ? 500 : 0;
    s.compression = i % 4;
    s.pageSize = i % 3 == 0 ? 0 : 1024 * (i + 1);
    s.data = sampleBytes(sizes[i % 6], i);
    streams.push_back(std::move(s));
  }
  return streams;
}

std::string nameOf(const SampleStream& s) {
  return s.name.empty() ? "STREAM" + std::to_string(s.identifier) : s.name;
}

class ContainerTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("drawing.drx");
};

TEST_F(ContainerTest, RoundTripsEveryCompressionTypeAndListsInContainerOrder) {
  const auto streams = dozenStreams();
  ASSERT_EQ(writeContainer(path, 0, streams), kErrorSuccess);

  auto container = Container::create();
  ASSERT_EQ(openForReading(*container, path, 0), kErrorSuccess);
  ASSERT_EQ(container->info()->streamCount, streams.size());
  uint32_t previousId = 0;
  for (uint32_t i = 0; i < streams.size(); ++i) {
    Expected<StreamInfo> info = container->streamInfo(i);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->name, nameOf(streams[i]));
    EXPECT_EQ(info->size, streams[i].data.size());
    EXPECT_TRUE(info->present);
    EXPECT_NE(info->identifier, 0u);
    EXPECT_NE(info->identifier, previousId);
    previousId = info->identifier;
  }
  EXPECT_EQ(container->streamInfo(12).error(), kErrorInvalidParameter);
  EXPECT_EQ(container->streamInfo(5)->identifier, 500u);

  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok()) << read.error();
  for (const SampleStream& s : streams) EXPECT_EQ((*read)[nameOf(s)], s.data) << nameOf(s);
}

TEST_F(ContainerTest, CompressionTypeDecidesHowBlocksAreStored) {
  const auto data = sampleBytes(4096, 5);
  ASSERT_EQ(writeContainer(path, 0,
                           {{"T0", 0, 0, 4096, data},
                            {"T1", 0, 1, 4096, data},
                            {"T2", 0, 2, 4096, data},
                            {"T3", 0, 3, 4096, data}}),
            kErrorSuccess);
  const Layout layout = inspect(path, 0);
  const auto bytes = readFile(path);
  auto stored = [&](const char* name) {
    const uint64_t page = layout.dataPages.at(name)[0];
    // Header fields are masked with the page's position in the page area (behind 128 bytes).
    const uint32_t size =
        loadField(path, page + 8) ^ (static_cast<uint32_t>(page - 128) ^ 0x56657861);
    return std::vector<uint8_t>(bytes.begin() + page + 32, bytes.begin() + page + 32 + size);
  };
  EXPECT_EQ(stored("T0"), data);
  EXPECT_EQ(stored("T1"), data);
  EXPECT_LT(stored("T2").size(), data.size() * 3 / 4);
  const auto zlib = stored("T3");
  ASSERT_GE(zlib.size(), 2u);
  EXPECT_EQ(zlib[0], 0x78);  // zlib stream, 32 KiB window
  EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
  EXPECT_LT(zlib.size(), data.size() * 3 / 4);
}

TEST_F(ContainerTest, HeaderAtLaterOffsetsKeepsWhatPrecedesIt) {
  for (uint64_t offset : {uint64_t{128}, uint64_t{896}}) {
    const std::vector<uint8_t> preamble(offset, 0xA5);
    writeFile(path, preamble);
    const std::vector<SampleStream> streams{{"Body", 0, 3, 0, sampleBytes(50000, 7)}};
    ASSERT_EQ(writeContainer(path, offset, streams), kErrorSuccess);

    EXPECT_EQ(findContainerHeader(path), offset);
    const auto bytes = readFile(path);
    EXPECT_TRUE(std::equal(preamble.begin(), preamble.end(), bytes.begin()));
    auto read = readAllStreams(path, offset);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ((*read)["Body"], streams[0].data);
    // Looked for at the wrong offset, the same file is no container.
    EXPECT_EQ(readAllStreams(path, 0).error(), kErrorFileCorrupt);
  }
  EXPECT_EQ(Container::create()->setHeaderOffset(100), kErrorInvalidParameter);
  EXPECT_EQ(Container::create()->setHeaderOffset(1024), kErrorInvalidParameter);
}

TEST_F(ContainerTest, RecognitionNeedsTheSignatureInARegularFile) {
  writeFile(path, std::vector<uint8_t>(2000, 0));
  EXPECT_EQ(findContainerHeader(path), std::nullopt);
  EXPECT_EQ(findContainerHeader(dir.file("")), std::nullopt);
  EXPECT_EQ(findContainerHeader(dir.file("missing")), std::nullopt);
  // Bytes at the header offset that are no header are refused, not overwritten.
  EXPECT_EQ(writeContainer(path, 256, {}), kErrorFileCorrupt);
  std::filesystem::remove(path);
  ASSERT_EQ(writeContainer(path, 256, {{"A", 0, 2, 0, {1, 2, 3}}}), kErrorSuccess);
  std::vector<uint8_t> bytes = readFile(path);
  EXPECT_EQ(findContainerHeader(bytes), 256u);
  // Only the first 15 bytes of the 16 count.
  bytes[256 + 15] ^= 0xFF;
  EXPECT_EQ(findContainerHeader(bytes), 256u);
  bytes[256 + 4] ^= 0x01;
  EXPECT_EQ(findContainerHeader(bytes), std::nullopt);
}

TEST_F(ContainerTest, ReplacesAndRemovesStreamsAcrossSessions) {
  ASSERT_EQ(writeContainer(path, 0, dozenStreams()), kErrorSuccess);
  const auto replacement = sampleBytes(12345, 99);
  {
    auto container = Container::create();
    ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
    ASSERT_EQ(container->removeStream("Stream:3", 0), kErrorSuccess);
    EXPECT_EQ(container->removeStream("Stream:3", 0), kErrorNotFound);
    // A removed stream keeps its place in this session's list, marked absent.
    EXPECT_FALSE(container->streamInfo(3)->present);
    Expected<Stream> again =
        container->openStream("Stream:3", 0, kReadWrite, Disposition::kCreateNew);
    ASSERT_TRUE(again.ok());
    ASSERT_EQ(again->write(replacement), kErrorSuccess);
    again->close();
    EXPECT_EQ(container->info()->streamCount, 13u);
    EXPECT_GT(container->streamInfo(12)->identifier, container->streamInfo(11)->identifier);

    Expected<Stream> truncated =
        container->openStream("Stream:0", 0, kReadWrite, Disposition::kTruncateExisting);
    ASSERT_TRUE(truncated.ok());
    EXPECT_EQ(*truncated->size(), 0u);
    ASSERT_EQ(container->close(), kErrorSuccess);
  }
  auto container = Container::create();
  ASSERT_EQ(openForReading(*container, path, 0), kErrorSuccess);
  ASSERT_EQ(container->info()->streamCount, 12u);
  EXPECT_EQ(container->streamInfo(11)->name, "Stream:3");
  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ((*read)["Stream:3"], replacement);
  EXPECT_TRUE((*read)["Stream:0"].empty());
  EXPECT_EQ((*read)["Stream:4"], dozenStreams()[4].data);
}

TEST_F(ContainerTest, DispositionsAndArgumentsGiveTheirCodes) {
  ASSERT_EQ(writeContainer(path, 0, {{"Present", 0, 2, 0, {9, 9}}}), kErrorSuccess);
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
  auto code = [&](std::string_view name, uint32_t id, uint32_t access, uint32_t disposition,
                  StreamOptions options = {}) {
    Expected<Stream> s =
        container->openStream(name, id, access, static_cast<Disposition>(disposition), options);
    return s.ok() ? kErrorSuccess : s.error();
  };
  EXPECT_EQ(code("Present", 0, kReadWrite, 1), kErrorAlreadyExists);
  EXPECT_EQ(code("Missing", 0, kAccessRead, 3), kErrorNotFound);
  EXPECT_EQ(code("Missing", 0, kReadWrite, 5), kErrorNotFound);
  // Emptying a stream needs write access, however it is asked for.
  EXPECT_EQ(code("Present", 0, kAccessRead, 5), kErrorAccessDenied);
  EXPECT_EQ(code("Present", 0, kAccessRead, 2), kErrorAccessDenied);
  EXPECT_EQ(code("Present", 0, kAccessRead, 0), kErrorInvalidParameter);
  EXPECT_EQ(code("Present", 0, kAccessRead, 6), kErrorInvalidParameter);
  EXPECT_EQ(code("Present", 0, 0, 3), kErrorInvalidParameter);
  EXPECT_EQ(code("Present", 0, 0x20000000, 3), kErrorInvalidParameter);
  EXPECT_EQ(code("", 0, kAccessRead, 3), kErrorInvalidParameter);
  EXPECT_EQ(code(std::string(64, 'x'), 0, kReadWrite, 1), kErrorInvalidParameter);
  EXPECT_EQ(code("New", 0, kReadWrite, 1, {4, -1, 0}), kErrorInvalidParameter);
  EXPECT_EQ(code("New", 0, kReadWrite, 1, {2, 10, 0}), kErrorInvalidParameter);
  EXPECT_EQ(code("New", 0, kReadWrite, 1, {2, -1, 0x1000001}), kErrorInvalidParameter);
  EXPECT_EQ(code("New", 0, kReadWrite, 1, {2, -1, 0x1000000}), kErrorSuccess);
  EXPECT_EQ(code("Present", 99, kAccessRead, 3), kErrorNotFound);  // name and identifier must agree
  EXPECT_EQ(code("Present", 1, kAccessRead, 3), kErrorSuccess);
  EXPECT_EQ(code("", 1, kAccessRead, 3), kErrorSuccess);
  EXPECT_EQ(code("Other", 0, kReadWrite, 4), kErrorSuccess);  // open always creates
  EXPECT_EQ(code("Other", 0, kReadWrite, 2), kErrorSuccess);  // create always opens
  EXPECT_EQ(*container->openStream("Present", 0, kAccessRead, Disposition::kOpenExisting)->size(),
            2u);
  container.reset();

  auto readOnly = Container::create();
  ASSERT_EQ(openForReading(*readOnly, path, 0), kErrorSuccess);
  EXPECT_EQ(readOnly->openStream("Present", 0, kReadWrite, Disposition::kOpenExisting).error(),
            kErrorAccessDenied);
  EXPECT_EQ(readOnly->openStream("Fresh", 0, kAccessRead, Disposition::kCreateNew).error(),
            kErrorAccessDenied);
  EXPECT_EQ(readOnly->removeStream("Present", 0), kErrorAccessDenied);
  Expected<Stream> reader =
      readOnly->openStream("Present", 0, kAccessRead, Disposition::kOpenExisting);
  ASSERT_TRUE(reader.ok());
  const uint8_t byte = 1;
  EXPECT_EQ(reader->write(std::span(&byte, 1)), kErrorAccessDenied);
}

TEST_F(ContainerTest, UnnamedStreamsAndIdentifiers) {
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kCreateAlways, 0), kErrorSuccess);
  ASSERT_TRUE(container->openStream("", 7, kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_EQ(container->streamInfo(0)->name, "STREAM7");
  EXPECT_EQ(container->openStream("", 7, kReadWrite, Disposition::kCreateNew).error(),
            kErrorAlreadyExists);
  // A named stream takes the next identifier, past those already in use.
  ASSERT_TRUE(container->openStream("Named", 0, kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_EQ(container->streamInfo(1)->identifier, 8u);
  // The highest identifier: the next one wraps past 0, and named streams
  // still get identifiers not in use.
  ASSERT_TRUE(container->openStream("", 0xFFFFFFFF, kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_EQ(container->info()->nextIdentifier, 1u);
  ASSERT_TRUE(container->openStream("", 1, kReadWrite, Disposition::kCreateNew).ok());
  ASSERT_TRUE(container->openStream("DxDb:Signature", 0, kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_EQ(container->streamInfo(4)->identifier, 2u);
  EXPECT_EQ(container->info()->nextIdentifier, 3u);
  ASSERT_EQ(container->close(), kErrorSuccess);
  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->size(), 5u);
  EXPECT_TRUE(read->count("STREAM4294967295"));
  EXPECT_TRUE(read->count("DxDb:Signature"));
}

TEST_F(ContainerTest, StreamsSpanManyPagesAndSupportPositionedAccess) {
  const auto data = sampleBytes(300 * 1000, 3);
  ASSERT_EQ(writeContainer(path, 0, {{"Long", 0, 2, 128, data}, {"Big", 0, 3, 1000, data}}),
            kErrorSuccess);
  // 128-byte blocks, and 1000 rounded up to 1024.
  EXPECT_EQ(inspect(path, 0).dataPageCount(), 2344u + 293u);

  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
  Expected<Stream> s = container->openStream("Big", 0, kReadWrite, Disposition::kOpenExisting);
  ASSERT_TRUE(s.ok());
  std::vector<uint8_t> buffer(5000);
  s->setPosition(123456);
  ASSERT_EQ(*s->read(buffer), buffer.size());
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), data.begin() + 123456));
  // Overwrite across a block boundary (1024-byte blocks), then past the end.
  const std::vector<uint8_t> patch(3000, 0x5A);
  s->setPosition(1000);
  ASSERT_EQ(s->write(patch), kErrorSuccess);
  s->setPosition(data.size() + 10000);
  ASSERT_EQ(s->write(patch), kErrorSuccess);
  EXPECT_EQ(*s->size(), data.size() + 13000);
  s->setPosition(data.size() + 20000);
  EXPECT_EQ(*s->read(buffer), 0u);
  s->close();
  ASSERT_EQ(container->close(), kErrorSuccess);

  auto expected = data;
  std::copy(patch.begin(), patch.end(), expected.begin() + 1000);
  expected.resize(data.size() + 10000, 0);
  expected.insert(expected.end(), patch.begin(), patch.end());
  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ((*read)["Big"], expected);
  EXPECT_EQ((*read)["Long"], data);
}

TEST_F(ContainerTest, RewritingAStreamReusesFreePages) {
  const auto data = sampleBytes(400 * 1000, 11);
  ASSERT_EQ(
      writeContainer(path, 0, {{"Keep", 0, 2, 0, sampleBytes(20000, 1)}, {"Data", 0, 2, 0, data}}),
      kErrorSuccess);
  const auto firstSize = std::filesystem::file_size(path);
  // A rewrite may not go over the pages the file's header still refers to,
  // so it goes behind them; the next rewrite takes what the one before freed.
  // The file alternates between two sizes instead of growing.
  std::vector<uintmax_t> sizes;
  for (int round = 0; round < 4; ++round) {
    ASSERT_EQ(writeContainer(path, 0, {{"Data", 0, 2, 0, data}}), kErrorSuccess);
    sizes.push_back(std::filesystem::file_size(path));
  }
  EXPECT_LT(sizes[0], 2 * firstSize);
  EXPECT_EQ(sizes[1], firstSize);
  EXPECT_EQ(sizes[2], sizes[0]);
  EXPECT_EQ(sizes[3], firstSize);
  // Removing the last stream gives its pages back: the commit that drops
  // them still has to write its system pages behind them, the next one puts
  // them in their place and the file shrinks.
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
  ASSERT_EQ(container->removeStream("Data", 0), kErrorSuccess);
  ASSERT_EQ(container->commit(), kErrorSuccess);
  EXPECT_LE(std::filesystem::file_size(path), firstSize + 1024);
  ASSERT_TRUE(container->openStream("Small", 0, kReadWrite, Disposition::kCreateNew).ok());
  ASSERT_EQ(container->close(), kErrorSuccess);
  EXPECT_LT(std::filesystem::file_size(path), firstSize / 4);
  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ((*read)["Keep"], sampleBytes(20000, 1));
  EXPECT_EQ(read->count("Data"), 0u);
}

// The reader refuses system pages that claim to expand more than real ones
// can; the engine's own, of thousands of near-identical descriptions, stay
// well inside that bound.
TEST_F(ContainerTest, ThousandsOfEmptyStreamsRoundTrip) {
  std::vector<SampleStream> streams;
  for (uint32_t i = 0; i < 3000; ++i)
    streams.push_back({"Entity:" + std::to_string(i), 0, 2, 0, {}});
  for (uint32_t i = 0; i < 1000; ++i) streams.push_back({"", 10000 + i, 2, 0, {}});
  streams.push_back({"Long", 0, 0, 128, sampleBytes(200000, 4)});
  ASSERT_EQ(writeContainer(path, 0, streams), kErrorSuccess);
  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read->size(), streams.size());
  EXPECT_EQ((*read)["Long"], streams.back().data);
}

TEST_F(ContainerTest, SecondHeaderCopyEndsTheFile) {
  ASSERT_EQ(writeContainer(path, 128, dozenStreams()), kErrorSuccess);
  const Layout layout = inspect(path, 128);
  const auto bytes = readFile(path);
  ASSERT_EQ(bytes.size(), layout.secondHeader + 108);
  EXPECT_TRUE(std::equal(bytes.begin() + 128, bytes.begin() + 128 + 108,
                         bytes.begin() + layout.secondHeader));
  // Every page lies before the copy.
  for (const auto& [name, pages] : layout.dataPages) {
    for (uint64_t page : pages) EXPECT_LT(page, layout.secondHeader);
  }
  EXPECT_LT(layout.pageMap, layout.secondHeader);
}

TEST_F(ContainerTest, NewAndShortFiles) {
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kCreateNew, 0), kErrorSuccess);
  EXPECT_EQ(container->info()->streamCount, 0u);
  ASSERT_EQ(container->close(), kErrorSuccess);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);  // nothing changed, nothing written
  EXPECT_EQ(Container::create()->open(path, kReadWrite, 0, Disposition::kCreateNew, 0),
            kErrorFileExists);
  EXPECT_EQ(
      Container::create()->open(dir.file("none"), kAccessRead, 0, Disposition::kOpenExisting, 0),
      kErrorFileNotFound);
  EXPECT_EQ(Container::create()->open(dir.file(""), kAccessRead, 0, Disposition::kOpenExisting, 0),
            kErrorNotSupported);
  EXPECT_EQ(Container::create()->open("/dev/null", kAccessRead, 0, Disposition::kOpenExisting, 0),
            kErrorNotSupported);
  // Too short for a header: read as an empty container, but never written
  // over, since it may be a drawing cut short.
  for (uint64_t offset : {uint64_t{0}, uint64_t{128}}) {
    SCOPED_TRACE(offset);
    const std::vector<uint8_t> shortFile(offset + 107, 1);
    writeFile(path, shortFile);
    auto reader = Container::create();
    ASSERT_EQ(openForReading(*reader, path, offset), kErrorSuccess);
    EXPECT_EQ(reader->info()->streamCount, 0u);
    EXPECT_EQ(reader->openStream("A", 0, kAccessRead, Disposition::kOpenExisting).error(),
              kErrorNotFound);
    EXPECT_EQ(reader->close(), kErrorSuccess);
    auto writer = Container::create();
    ASSERT_EQ(writer->setHeaderOffset(offset), kErrorSuccess);
    EXPECT_EQ(writer->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorHandleEof);
    EXPECT_EQ(readFile(path), shortFile);
  }
}

TEST_F(ContainerTest, HandlesOfOneStreamShareItsData) {
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kCreateAlways, 0), kErrorSuccess);
  Expected<Stream> writer = container->openStream("S", 0, kReadWrite, Disposition::kCreateNew);
  Expected<Stream> reader = container->openStream("S", 0, kAccessRead, Disposition::kOpenExisting);
  ASSERT_TRUE(writer.ok() && reader.ok());
  const std::vector<uint8_t> bytes{1, 2, 3, 4};
  ASSERT_EQ(writer->write(bytes), kErrorSuccess);
  std::vector<uint8_t> out(4);
  EXPECT_EQ(*reader->read(out), 4u);
  EXPECT_EQ(out, bytes);
  ASSERT_EQ(container->removeStream("S", 0), kErrorSuccess);
  EXPECT_EQ(reader->read(out).error(), kErrorInvalidHandle);
  ASSERT_EQ(container->close(), kErrorSuccess);
  EXPECT_EQ(writer->write(bytes), kErrorInvalidHandle);
}

// Handles kept across a removal or a close and reopen of their container
// must neither read the stream's new state nor write into the file.
TEST_F(ContainerTest, StaleHandlesGiveInvalidHandleAndTouchNothing) {
  const auto original = sampleBytes(70000, 1);
  ASSERT_EQ(writeContainer(path, 0, {{"S", 0, 2, 4096, original}, {"T", 0, 3, 0, {7, 7}}}),
            kErrorSuccess);
  auto container = Container::create();
  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
  Expected<Stream> kept = container->openStream("S", 0, kReadWrite, Disposition::kOpenExisting);
  ASSERT_TRUE(kept.ok());
  Expected<std::span<const uint8_t>> piece = kept->nextPiece();
  ASSERT_TRUE(piece.ok());
  const std::vector<uint8_t> pieceBytes(piece->begin(), piece->end());
  ASSERT_EQ(container->close(), kErrorSuccess);
  // The piece stays readable while its handle is open.
  EXPECT_EQ(std::vector<uint8_t>(piece->begin(), piece->end()), pieceBytes);

  ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
  std::vector<uint8_t> out(100);
  const std::vector<uint8_t> junk(9000, 0xEE);
  EXPECT_EQ(kept->read(out).error(), kErrorInvalidHandle);
  EXPECT_EQ(kept->nextPiece().error(), kErrorInvalidHandle);
  EXPECT_EQ(kept->size().error(), kErrorInvalidHandle);
  EXPECT_EQ(kept->write(junk), kErrorInvalidHandle);

  // Removed under a handle: the handle gives 6; a stream of the same name
  // made afterwards is not the handle's.
  Expected<Stream> doomed = container->openStream("T", 0, kReadWrite, Disposition::kOpenExisting);
  ASSERT_TRUE(doomed.ok());
  ASSERT_TRUE(doomed->nextPiece().ok());
  ASSERT_EQ(container->removeStream("T", 0), kErrorSuccess);
  ASSERT_TRUE(container->openStream("T", 0, kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_EQ(doomed->write(junk), kErrorInvalidHandle);
  EXPECT_EQ(doomed->read(out).error(), kErrorInvalidHandle);
  EXPECT_EQ(doomed->close(), kErrorSuccess);
  EXPECT_EQ(kept->close(), kErrorSuccess);
  ASSERT_EQ(container->close(), kErrorSuccess);

  auto read = readAllStreams(path, 0);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ((*read)["S"], original);
  EXPECT_TRUE((*read)["T"].empty());
}

TEST_F(ContainerTest, StreamsReadInParallelThreads) {
  const auto streams = dozenStreams();
  ASSERT_EQ(writeContainer(path, 0, streams), kErrorSuccess);
  auto container = Container::create();
  ASSERT_EQ(openForReading(*container, path, 0), kErrorSuccess);
  std::vector<std::thread> threads;
  std::vector<int> mismatches(streams.size(), -1);
  for (size_t i = 0; i < streams.size(); ++i) {
    threads.emplace_back([&, i] {
      Expected<Stream> s =
          container->openStream(nameOf(streams[i]), 0, kAccessRead, Disposition::kOpenExisting);
      if (!s.ok()) return;
      std::vector<uint8_t> out(streams[i].data.size());
      for (int pass = 0; pass < 5; ++pass) {
        s->setPosition(0);
        if (*s->read(out) != out.size()) return;
      }
      mismatches[i] = out == streams[i].data ? 0 : 1;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(mismatches, std::vector<int>(streams.size(), 0));
}

}  // namespace
}  // namespace vexamor::container
