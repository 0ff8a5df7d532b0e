// The readers of the three signature layouts, on bytes from hostile files as well as good ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace vexamor::signcore {
namespace {

using testing::makeClassicDrawing;
using testing::sampleBytes;

std::vector<uint8_t> withBlock(std::vector<uint8_t> file, uint32_t at,
                               const std::vector<uint8_t>& blob) {
  storeLe32(&file[classic::kPointerOffset], at);
  file.resize(at);
  const auto block = classic::encodeBlock(at, blob);
  file.insert(file.end(), block.begin(), block.end());
  return file;
}

TEST(ClassicLayout, ReadsTheBlockBehindThePointer) {
  const auto drawing = makeClassicDrawing(5000);
  const std::vector<uint8_t> blob = {1, 2, 3, 4, 5};
  const auto file = withBlock(drawing.bytes, 5000, blob);
  MemorySource source(file);
  ASSERT_EQ(*classic::readPointer(source), 5000u);
  Result<classic::Block> block = classic::readBlock(source, 5000);
  ASSERT_TRUE(block.ok());
  EXPECT_EQ(block->blob, blob);
  EXPECT_EQ(*classic::endOfDrawingData(source, 5000), 5000u);
  EXPECT_EQ(*classic::endOfDrawingData(source, 0), file.size());  // unsigned: the file size
}

TEST(ClassicLayout, RefusesBlocksThatDoNotReadBack) {
  const auto drawing = makeClassicDrawing(3000);
  auto file = withBlock(drawing.bytes, 3000, {9, 9, 9});

  auto blockAt = [&](const std::vector<uint8_t>& bytes, uint32_t p) {
    MemorySource source(bytes);
    return classic::readBlock(source, p);
  };
  EXPECT_EQ(blockAt(file, 2999).hr(), E_FAIL);      // the copy of P differs
  EXPECT_EQ(blockAt(file, 0xFFFFFFF0).hr(), E_FAIL);  // a pointer past the end
  EXPECT_FALSE(blockAt(file, 0xFFFFFFF0).fault().systemError);

  auto lying = file;
  storeLe32(&lying[3004], 0xFFFFFFFF);  // a length the file cannot hold
  EXPECT_EQ(blockAt(lying, 3000).hr(), E_FAIL);
  auto cut = file;
  cut.pop_back();  // one byte of blob missing
  EXPECT_EQ(blockAt(cut, 3000).hr(), E_FAIL);
  auto empty = withBlock(drawing.bytes, 3000, {});
  ASSERT_TRUE(blockAt(empty, 3000).ok());
  EXPECT_TRUE(blockAt(empty, 3000)->blob.empty());

  const std::vector<uint8_t> tiny(150, 0);  // ends inside the pointer
  MemorySource tinySource(tiny);
  EXPECT_EQ(classic::readPointer(tinySource).hr(), E_INVALIDARG);
}

TEST(ClassicLayout, TheVersionTextMustMatchExactly) {
  auto file = makeClassicDrawing(400).bytes;
  MemorySource source(file);
  EXPECT_TRUE(classic::checkVersion(source).ok());
  for (const char* other : {"DX1016", "dx1015", "DX101 ", "EX1015"}) {
    std::memcpy(file.data(), other, 6);
    EXPECT_EQ(classic::checkVersion(MemorySource(file)).hr(), E_INVALIDARG) << other;
  }
  const std::vector<uint8_t> shortFile = {'D', 'X', '1', '0', '1'};
  EXPECT_EQ(classic::checkVersion(MemorySource(shortFile)).hr(), E_INVALIDARG);
}

TEST(ClassicLayout, TheEndOfTheDataComesFromTheFurthestSection) {
  auto file = makeClassicDrawing(10000, 4).bytes;
  // Locator 1 (of 4) reaching furthest: the end is its end, wherever it is listed.
  storeLe32(&file[classic::kLocatorsOffset + 9 + 1], 9000);
  storeLe32(&file[classic::kLocatorsOffset + 9 + 5], 1000);
  file.resize(12000);
  EXPECT_EQ(*classic::endOfDrawingData(MemorySource(file), 10000), 10000u);
  storeLe32(&file[classic::kLocatorsOffset + 9 + 5], 1500);
  EXPECT_EQ(*classic::endOfDrawingData(MemorySource(file), 10000), 10500u);
}

TEST(ClassicLayout, LocatorsThatDoNotFitAreRefused) {
  auto file = makeClassicDrawing(2000, 3).bytes;
  auto endWith = [&](auto edit) {
    auto bytes = file;
    edit(bytes);
    return classic::endOfDrawingData(MemorySource(bytes), 1);
  };
  EXPECT_EQ(endWith([](auto& b) { storeLe32(&b[classic::kLocatorCountOffset], 0xFFFFFFFF); }).hr(),
            E_FAIL);
  EXPECT_EQ(endWith([](auto& b) { storeLe32(&b[classic::kLocatorCountOffset], 220); }).hr(),
            E_FAIL);  // 25 + 9 * 220 > 2000
  // A section reaching past the end of the file, and sections ending inside the header.
  EXPECT_EQ(endWith([](auto& b) { storeLe32(&b[classic::kLocatorsOffset + 5], 0xFFFFFFFF); }).hr(),
            E_FAIL);
  EXPECT_EQ(endWith([](auto& b) { storeLe32(&b[classic::kLocatorCountOffset], 0); }).hr(), E_FAIL);
  const std::vector<uint8_t> stub = {'D', 'X', '1', '0', '1', '5'};
  EXPECT_EQ(classic::endOfDrawingData(MemorySource(stub), 1).hr(), E_FAIL);
}

std::vector<uint8_t> bytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}
const std::string kMarker(appended::kMarker);

TEST(MarkerSearch, FindsTheMarkerAndAnswersForEmptyAndTinyFiles) {
  EXPECT_EQ(appended::findMarker(MemorySource({})).hr(), E_UNEXPECTED);
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf("x"))), 0u);
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(kMarker))), kMarker.size());
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(kMarker.substr(0, 35)))), 0u);
  // The case of the marker's letters counts.
  std::string lower = kMarker;
  lower[20] = 'E';
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf("data" + lower + "tail"))), 0u);
}

TEST(MarkerSearch, LooksOnlyAtTheLast32768Bytes) {
  const std::string before(100, 'a');
  // The marker starting exactly 32768 bytes before the end is found; one byte earlier not.
  const std::string inside = before + kMarker + std::string(32768 - kMarker.size(), 'b');
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(inside))), before.size() + kMarker.size());
  const std::string outside = before + kMarker + std::string(32769 - kMarker.size(), 'b');
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(outside))), 0u);
}

TEST(MarkerSearch, TheNearestWindowWinsThenTheLowestOffset) {
  // One marker 20000 bytes from the end, two in the last 2048: the lower of those two wins.
  std::string file = std::string(500, 'x') + kMarker + std::string(20000, 'y');
  const size_t first = file.size();
  file += kMarker + std::string(100, 'z');
  file += kMarker + std::string(100, 'z');
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(file))), first + kMarker.size());

  // A marker across the boundary of the first window (2048 from the end) is found in the
  // second round.
  std::string across = std::string(3000, 'x') + kMarker + std::string(2048 - 10, 'y');
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(across))), 3000 + kMarker.size());
  // A file of 2048 bytes or less is one window.
  std::string small = kMarker + std::string(2000, 'q');
  EXPECT_EQ(*appended::findMarker(MemorySource(bytesOf(small))), kMarker.size());
}

// The search rule in its plainest form: the rounds of growing windows, every start position
// compared byte by byte.
uint64_t markerByTheRule(const std::vector<uint8_t>& file) {
  const uint64_t limit = std::min<uint64_t>(file.size(), 32768);
  const uint64_t base = file.size() - limit;
  uint64_t window = std::min<uint64_t>(2048, limit), searched = 0;
  for (;;) {
    for (uint64_t at = limit - window; at < limit - searched && at + kMarker.size() <= limit;
         ++at) {
      if (std::memcmp(file.data() + base + at, kMarker.data(), kMarker.size()) == 0) {
        return base + at + kMarker.size();
      }
    }
    if (window == limit) return 0;
    searched = window;
    window = std::min(window * 2, limit);
  }
}

// Random tails with markers, markers damaged in one byte and look-alikes (right first and last
// bytes, wrong middle) planted anywhere, the window boundaries and the ends included: the
// search answers what the rule answers.
TEST(MarkerSearch, AgreesWithTheRuleOnRandomTails) {
  std::mt19937 random(23);
  const std::string lookAlike = "{" + std::string(34, '{') + "}";
  for (int round = 0; round < 3000; ++round) {
    const size_t size = 1 + random() % (round % 3 == 0 ? 40000 : 5000);
    std::vector<uint8_t> file(size);
    for (auto& b : file) b = static_cast<uint8_t>(random() % (round % 2 == 0 ? 256 : 4) + '{' - 2);
    const int planted = static_cast<int>(random() % 4);
    for (int k = 0; k < planted && size >= kMarker.size(); ++k) {
      size_t at = random() % (size - kMarker.size() + 1);
      if (random() % 3 == 0) {  // at, or just across, a window boundary counted from the end
        const size_t boundary = size_t{2048} << (random() % 5);
        at = size >= boundary + 20 ? size - boundary - 20 + random() % 40 : at;
        at = std::min(at, size - kMarker.size());
      }
      std::string text = random() % 4 == 0 ? lookAlike : kMarker;
      if (random() % 4 == 0) text[1 + random() % 34] ^= 1;
      std::memcpy(file.data() + at, text.data(), text.size());
    }
    ASSERT_EQ(*appended::findMarker(MemorySource(file)), markerByTheRule(file))
        << "round " << round << ", " << size << " bytes";
  }
}

TEST(MarkerSearch, TheBlobBehindTheMarkerMustBeThere) {
  const std::vector<uint8_t> blob = {7, 7, 7};
  auto file = bytesOf("data");
  const auto trailer = appended::encodeTrailer(blob);
  file.insert(file.end(), trailer.begin(), trailer.end());
  const uint64_t behind = *appended::findMarker(MemorySource(file));
  EXPECT_EQ(*appended::readBlob(MemorySource(file), behind), blob);
  auto cut = file;
  cut.pop_back();
  EXPECT_EQ(appended::readBlob(MemorySource(cut), behind).hr(),
            HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  auto lying = file;
  storeLe32(&lying[behind], 4);  // one more than there is
  EXPECT_EQ(appended::readBlob(MemorySource(lying), behind).hr(),
            HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  // A length that no signature has is refused whatever the file holds.
  storeLe32(&lying[behind], kMaxBlobLength + 1);
  lying.resize(lying.size() + kMaxBlobLength, 0);
  EXPECT_EQ(appended::readBlob(MemorySource(lying), behind).hr(),
            HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  auto noLength = bytesOf("data" + kMarker + "ab");
  EXPECT_EQ(appended::readBlob(MemorySource(noLength), 4 + kMarker.size()).hr(),
            HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
}

class MemoryReader final : public signature_stream::Reader {
 public:
  explicit MemoryReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  Result<size_t> read(std::span<uint8_t> out) override {
    const size_t n = std::min(out.size(), bytes_.size() - at_);
    if (n > 0) std::memcpy(out.data(), bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
};

TEST(SignatureStream, RoundTripsAndRefusesEveryLie) {
  const signature_stream::Content content{{3, 1, 7}, {0xAA, 0xBB}};
  const auto bytes = signature_stream::encode(content);
  ASSERT_EQ(bytes.size(), 16u + 12 + 2);
  EXPECT_EQ(loadLe32(bytes.data()), 28u);
  MemoryReader good(bytes);
  Result<signature_stream::Content> read = signature_stream::read(good);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->identifiers, content.identifiers);
  EXPECT_EQ(read->blob, content.blob);

  auto readEdited = [&](size_t field, uint32_t value, size_t field2 = 0, uint32_t value2 = 28) {
    auto edited = bytes;
    storeLe32(&edited[field2], value2);
    storeLe32(&edited[field], value);
    MemoryReader reader(edited);
    return signature_stream::read(reader).hr();
  };
  EXPECT_EQ(readEdited(0, 32), E_UNEXPECTED);          // a header size that lies
  EXPECT_EQ(readEdited(0, 0xFFFFFFFF), E_UNEXPECTED);
  EXPECT_EQ(readEdited(4, 3), E_UNEXPECTED);           // a blob longer than the stream
  EXPECT_EQ(readEdited(4, 0xFFFFFFFF), E_UNEXPECTED);
  EXPECT_EQ(readEdited(8, 0xABCDABCE), E_UNEXPECTED);  // the magic
  EXPECT_EQ(readEdited(12, 0), E_UNEXPECTED);          // n = 0
  // n whose 16 + 4n wraps to the header size in 32 bits.
  EXPECT_EQ(readEdited(12, 0x40000000, 0, 16), E_UNEXPECTED);
  for (size_t cut : {0u, 3u, 15u, 20u, 29u}) {
    MemoryReader shortStream({bytes.begin(), bytes.begin() + cut});
    EXPECT_EQ(signature_stream::read(shortStream).hr(), E_UNEXPECTED) << cut;
  }
}

}  // namespace
}  // namespace vexamor::signcore
