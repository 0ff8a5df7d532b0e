// Damaged containers: every checksum, marker and size the engine reads is
// broken in turn, and the engine must refuse the container (or the stream)
// with the documented code.
#include <gtest/gtest.h>

#include <functional>

#include "container.h"
#include "format.h"
#include "test_support.h"

namespace vexamor::container {
namespace {

using namespace testing;
constexpr uint64_t kOffset = 128;

struct Damage {
  const char* what;
  std::function<void(const std::string& path, const Layout& layout)> apply;
  Win32Code code;
};

class CorruptionTest : public ::testing::Test {
 protected:
  // A fresh sample container, and where its parts lie.
  Layout fresh() {
    std::filesystem::remove(path);
    const std::vector<SampleStream> streams{{"Lzo", 0, 2, 1024, sampleBytes(8000, 1)},
                                            {"Zlib", 0, 3, 2048, sampleBytes(5000, 2)},
                                            {"Stored", 0, 0, 256, sampleBytes(600, 3)}};
    EXPECT_EQ(writeContainer(path, kOffset, streams), kErrorSuccess);
    return inspect(path, kOffset);
  }
  Win32Code openCode() {
    auto container = Container::create();
    return openForReading(*container, path, kOffset);
  }

  TempDir dir;
  std::string path = dir.file("damaged.drx");
};

// Sets a field of a system page header (checksum left as it was).
auto sysField(uint64_t Layout::*page, size_t fieldAt, uint32_t value) {
  return
      [=](const std::string& path, const Layout& l) { storeField(path, l.*page + fieldAt, value); };
}
auto sysFlip(uint64_t Layout::*page, size_t at) {
  return [=](const std::string& path, const Layout& l) { flipByte(path, l.*page + at); };
}
auto headerField(size_t fieldAt, uint32_t value) {
  return [=](const std::string& path, const Layout&) {
    editHeaderField(path, kOffset, fieldAt, value);
  };
}
auto headerEdit(std::function<void(FileHeader&)> edit) {
  return [=](const std::string& path, const Layout&) { editHeader(path, kOffset, edit); };
}

TEST_F(CorruptionTest, DamagedHeaderAndSystemPagesAreRefusedAtOpen) {
  using namespace header;
  using namespace syspage;
  const Damage cases[] = {
      {"header magic", [](auto& p, auto&) { flipByte(p, kOffset + 2); }, kErrorFileCorrupt},
      {"header crc", [](auto& p, auto&) { flipByte(p, kOffset + kCrcAt); }, kErrorFileCorrupt},
      {"header kept field without new crc", [](auto& p, auto&) { flipByte(p, kOffset + kKeptAt); },
       kErrorFileCorrupt},
      {"header size field", headerField(kSizeAt, 109), kErrorFileCorrupt},
      {"header version field", headerField(kVersionAt, 5), kErrorFileCorrupt},
      {"header granularity", headerField(kGranularityAt, 0), kErrorFileCorrupt},
      {"header granularity not dividing pages", headerField(kGranularityAt, 4096),
       kErrorFileCorrupt},
      {"page area overlapping the header", headerField(kPageAreaAt, 100), kErrorFileCorrupt},
      {"page area beyond the file", headerField(kPageAreaAt, 0x7FFFFFFF), kErrorFileCorrupt},
      {"used end beyond the file", headerEdit([](FileHeader& h) { h.usedEnd += 1 << 20; }),
       kErrorFileCorrupt},
      {"used end short of the pages", headerEdit([](FileHeader& h) { h.usedEnd -= 32; }),
       kErrorFileCorrupt},
      {"used page count", headerEdit([](FileHeader& h) { h.usedCount += 1; }), kErrorFileCorrupt},
      {"huge page counts",
       headerEdit([](FileHeader& h) { h.usedCount = h.freeCount = 0x7FFFFFFF; }),
       kErrorFileCorrupt},
      {"page map position", headerEdit([](FileHeader& h) { h.pageMapPosition += 32; }),
       kErrorFileCorrupt},
      {"page map position huge",
       headerEdit([](FileHeader& h) { h.pageMapPosition = ~uint64_t{0} - 4; }), kErrorFileCorrupt},
      {"page map number", headerEdit([](FileHeader& h) { h.pageMapNumber += 1; }),
       kErrorFileCorrupt},
      {"section info number",
       headerEdit([](FileHeader& h) { h.sectionInfoNumber = h.pageMapNumber; }), kErrorFileCorrupt},
      {"section info number missing", headerEdit([](FileHeader& h) { h.sectionInfoNumber = 999; }),
       kErrorFileCorrupt},
      {"file cut inside the pages", [](auto& p, auto& l) { truncateFile(p, l.sectionInfo + 10); },
       kErrorFileCorrupt},
      {"page map marker", sysFlip(&Layout::pageMap, kMarkerAt), kErrorFileCorrupt},
      {"page map decoded size", sysField(&Layout::pageMap, kDecodedSizeAt, 16), kErrorFileCorrupt},
      {"page map stored size", sysField(&Layout::pageMap, kStoredSizeAt, 0x7FFFFFF0),
       kErrorFileCorrupt},
      {"page map stored size short", sysField(&Layout::pageMap, kStoredSizeAt, 3),
       kErrorFileCorrupt},
      {"page map checksum", sysFlip(&Layout::pageMap, kChecksumAt), kErrorFileCorrupt},
      {"page map content", sysFlip(&Layout::pageMap, kHeaderSize + 2), kErrorFileCorrupt},
      {"section info marker", sysFlip(&Layout::sectionInfo, kMarkerAt), kErrorFileCorrupt},
      {"section info decoded size", sysField(&Layout::sectionInfo, kDecodedSizeAt, 0x7FFFFFFF),
       kErrorFileCorrupt},
      {"section info stored size", sysField(&Layout::sectionInfo, kStoredSizeAt, 0x10000),
       kErrorFileCorrupt},
      {"section info checksum", sysFlip(&Layout::sectionInfo, kChecksumAt + 3), kErrorFileCorrupt},
      {"section info content", sysFlip(&Layout::sectionInfo, kHeaderSize + 5), kErrorFileCorrupt},
  };
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.what);
    const Layout layout = fresh();
    ASSERT_EQ(openCode(), kErrorSuccess);
    damage.apply(path, layout);
    EXPECT_EQ(openCode(), damage.code);
  }
}

// Section information and page map content that checksums correctly but
// does not make sense: what a crafted file would carry.
TEST_F(CorruptionTest, CraftedSystemPageContentIsRefused) {
  using namespace sectioninfo;
  constexpr size_t kFirst = kPrologueSize;                   // first description
  constexpr size_t kFirstEntry = kFirst + kDescriptionSize;  // its first page entry
  using Edit = std::function<void(std::vector<uint8_t>&)>;
  auto info = [](Edit edit) {
    return [=](auto& p, const Layout& l) { editSystemPage(p, l.sectionInfo, edit); };
  };
  auto onPageMap = [](auto& p, const Layout& l) {
    editSystemPage(p, l.sectionInfo,
                   [&](auto& c) { storeI32(&c[kFirstEntry + kEntryPageAt], l.pageMapNumber); });
  };
  auto map = [](Edit edit) {
    return [=](auto& p, const Layout& l) { editSystemPage(p, l.pageMap, edit); };
  };
  const Damage cases[] = {
      {"section count", info([](auto& c) { storeU32(&c[kCountAt], 0x7FFFFFFF); }),
       kErrorFileCorrupt},
      {"entry count", info([](auto& c) { storeU32(&c[kFirst + kEntryCountAt], 0x7FFFFFFF); }),
       kErrorFileCorrupt},
      {"stream size", info([](auto& c) { storeU64(&c[kFirst + kStreamSizeAt], 1ull << 60); }),
       kErrorFileCorrupt},
      {"page size", info([](auto& c) { storeU32(&c[kFirst + kPageSizeAt], 100); }),
       kErrorFileCorrupt},
      {"unterminated name",
       info([](auto& c) { std::fill_n(&c[kFirst + kNameAt], kNameSize, 'x'); }), kErrorFileCorrupt},
      {"entry offset",
       info([](auto& c) { storeU64(&c[kFirstEntry + kEntrySize + kEntryOffsetAt], 0); }),
       kErrorFileCorrupt},
      {"entry bytes", info([](auto& c) { storeU32(&c[kFirstEntry + kEntryBytesAt], 5); }),
       kErrorFileCorrupt},
      {"entry on the page map", onPageMap, kErrorFileCorrupt},
      {"entry page number zero", info([](auto& c) { storeU32(&c[kFirstEntry + kEntryPageAt], 0); }),
       kErrorFileCorrupt},
      {"one page in two entries",
       info([](auto& c) { storeU32(&c[kFirstEntry + kEntrySize], loadU32(&c[kFirstEntry])); }),
       kErrorFileCorrupt},
      {"missing page", info([](auto& c) { storeU32(&c[kFirstEntry], 0x7FFFFF00); }),
       kErrorFileCorrupt},
      {"duplicate identifier", info([](auto& c) {
         const size_t second = kFirstEntry + 8 * kEntrySize;  // "Lzo" has eight blocks
         storeU32(&c[second + kIdentifierAt], loadU32(&c[kFirst + kIdentifierAt]));
       }),
       kErrorFileCorrupt},
      {"trailing bytes", info([](auto& c) { c.push_back(0); }), kErrorFileCorrupt},
      {"page size off the granularity", map([](auto& c) { storeU32(&c[4], loadU32(&c[4]) + 8); }),
       kErrorFileCorrupt},
      {"page number zero", map([](auto& c) { storeU32(&c[0], 0); }), kErrorFileCorrupt},
      {"page number twice", map([](auto& c) { storeU32(&c[8], loadU32(&c[0])); }),
       kErrorFileCorrupt},
  };
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.what);
    const Layout layout = fresh();
    damage.apply(path, layout);
    EXPECT_EQ(openCode(), damage.code);
  }
}

TEST_F(CorruptionTest, DamagedDataPagesFailTheirStreamOnly) {
  using namespace datapage;
  const size_t fields[] = {kMarkerAt,   kStreamIdAt + 1, kStoredSizeAt,     kPageSizeAt,
                           kOffsetAt,   kOffsetAt + 5,   kHeaderChecksumAt, kDataChecksumAt + 2,
                           kHeaderSize, kHeaderSize + 17};
  for (const char* stream : {"Lzo", "Zlib", "Stored"}) {
    for (size_t at : fields) {
      SCOPED_TRACE(std::string(stream) + " byte " + std::to_string(at));
      const Layout layout = fresh();
      flipByte(path, layout.dataPages.at(stream)[0] + at, 0x10);
      auto container = Container::create();
      ASSERT_EQ(openForReading(*container, path, kOffset), kErrorSuccess);
      for (const char* name : {"Lzo", "Zlib", "Stored"}) {
        Expected<Stream> s =
            container->openStream(name, 0, kAccessRead, Disposition::kOpenExisting);
        ASSERT_TRUE(s.ok());
        Expected<std::span<const uint8_t>> piece = s->nextPiece();
        EXPECT_EQ(piece.ok() ? kErrorSuccess : piece.error(),
                  name == std::string(stream) ? kErrorFileCorrupt : 0u);
      }
    }
  }
}

TEST_F(CorruptionTest, PageReadCutShortGivesEndOfFile) {
  const Layout layout = fresh();
  auto container = Container::create();
  ASSERT_EQ(openForReading(*container, path, kOffset), kErrorSuccess);
  truncateFile(path, layout.dataPages.at("Lzo")[2] + 5);
  Expected<Stream> s = container->openStream("Lzo", 0, kAccessRead, Disposition::kOpenExisting);
  std::vector<uint8_t> out(8000);
  EXPECT_EQ(s->read(out).error(), kErrorHandleEof);
  // The blocks before the cut still read.
  s->setPosition(0);
  EXPECT_EQ(*s->read(std::span(out).first(2048)), 2048u);
}

TEST_F(CorruptionTest, BlocksStoredAsFreePagesReadAsZerosAndGetPagesOnCommit) {
  // Removing a stream in the middle leaves a free page; point a block at it.
  std::filesystem::remove(path);
  ASSERT_EQ(writeContainer(path, kOffset,
                           {{"First", 0, 2, 256, sampleBytes(300, 1)},
                            {"Gone", 0, 2, 256, sampleBytes(3000, 2)},
                            {"Last", 0, 2, 256, sampleBytes(300, 3)}}),
            kErrorSuccess);
  auto remover = Container::create();
  ASSERT_EQ(remover->setHeaderOffset(kOffset), kErrorSuccess);
  ASSERT_EQ(remover->open(path, kAccessRead | kAccessWrite, 0, Disposition::kOpenExisting, 0),
            kErrorSuccess);
  ASSERT_EQ(remover->removeStream("Gone", 0), kErrorSuccess);
  ASSERT_EQ(remover->close(), kErrorSuccess);
  editSystemPage(path, inspect(path, kOffset).sectionInfo, [](std::vector<uint8_t>& c) {
    storeI32(&c[sectioninfo::kPrologueSize + sectioninfo::kDescriptionSize], -1);
  });
  auto expected = sampleBytes(300, 1);
  std::fill_n(expected.begin(), 256, 0);
  auto read = readAllStreams(path, kOffset);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ((*read)["First"], expected);

  auto writer = Container::create();
  ASSERT_EQ(writer->setHeaderOffset(kOffset), kErrorSuccess);
  ASSERT_EQ(writer->open(path, kAccessRead | kAccessWrite, 0, Disposition::kOpenExisting, 0),
            kErrorSuccess);
  ASSERT_TRUE(
      writer->openStream("New", 0, kAccessRead | kAccessWrite, Disposition::kCreateNew).ok());
  ASSERT_EQ(writer->close(), kErrorSuccess);
  read = readAllStreams(path, kOffset);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ((*read)["First"], expected);
  EXPECT_EQ(inspect(path, kOffset).dataPages.at("First").size(), 2u);
}

}  // namespace
}  // namespace vexamor::container
