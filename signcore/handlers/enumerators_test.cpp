// VexaGetData and R18GetData: the blocks they deliver, the mask, the end of the data, and the
// answers of enumerators that a client creates through COM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "container.h"
#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/last_error.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/handlers/r18_get_data.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/vexa_get_data.h"

namespace vexamor::signcore {
namespace {

using com::ComPtr;
namespace fs = std::filesystem;

struct Delivery {
  std::vector<std::vector<uint8_t>> blocks;
  std::vector<LONG> more;
  HRESULT last = S_OK;
};

// Calls until bMore is 0 or a call fails (at most `limit` calls).
Delivery drain(IVexaGetData* data, int limit = 100000) {
  Delivery d;
  for (int i = 0; i < limit; ++i) {
    LONG n = -1, more = -1;
    BYTE* bytes = reinterpret_cast<BYTE*>(1);
    d.last = data->GetNextDataBlock(&n, &bytes, &more);
    if (FAILED(d.last)) break;
    d.blocks.emplace_back(bytes, bytes + n);
    d.more.push_back(more);
    CoTaskMemFree(bytes);
    if (more == 0) break;
  }
  return d;
}

std::vector<uint8_t> joined(const Delivery& d) {
  std::vector<uint8_t> all;
  for (const auto& b : d.blocks) all.insert(all.end(), b.begin(), b.end());
  return all;
}

class Enumerators : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("enumerators." + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // An enumerator over the first `length` bytes of a file holding `bytes`.
  ComPtr<IVexaGetData> overFile(const std::vector<uint8_t>& bytes, uint64_t length,
                                uint64_t maskAt = 148, uint32_t maskLength = 4) {
    const std::string path = (dir_ / "data.bin").string();
    EXPECT_TRUE(testing::writeFile(path, bytes));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ComPtr<IVexaGetData> data;
    EXPECT_EQ(createFileRangeData(fd, length, maskAt, maskLength, data.out()), S_OK);
    ::close(fd);  // the enumerator reads through its own descriptor
    return data;
  }

  fs::path dir_;
};

TEST_F(Enumerators, DeliversBlocksOf4096WithTheLastShorter) {
  const auto bytes = testing::sampleBytes(4097, 3);
  Delivery exact = drain(overFile(bytes, 4096, 0, 0).get());
  ASSERT_EQ(exact.blocks.size(), 1u);
  EXPECT_EQ(exact.blocks[0].size(), 4096u);
  EXPECT_EQ(exact.more, std::vector<LONG>{0});

  Delivery over = drain(overFile(bytes, 4097, 0, 0).get());
  ASSERT_EQ(over.blocks.size(), 2u);
  EXPECT_EQ(over.blocks[0].size(), 4096u);
  EXPECT_EQ(over.blocks[1].size(), 1u);
  EXPECT_EQ(over.more, (std::vector<LONG>{1, 0}));
  EXPECT_EQ(joined(over), bytes);

  // Across many blocks and the read-ahead's boundaries the bytes come through unchanged.
  const auto large = testing::sampleBytes(700001, 4);
  Delivery many = drain(overFile(large, large.size(), 0, 0).get());
  EXPECT_EQ(many.blocks.size(), 171u);
  EXPECT_EQ(joined(many), large);
}

TEST_F(Enumerators, ReadsTheMaskedBytesAsZerosWhereverTheBlocksFall) {
  std::vector<uint8_t> bytes(9000, 0xEE);
  auto expectMasked = [&](uint64_t at, uint32_t length) {
    Delivery d = drain(overFile(bytes, bytes.size(), at, length).get());
    auto expected = bytes;
    for (uint64_t i = at; i < at + length && i < expected.size(); ++i) expected[i] = 0;
    EXPECT_EQ(joined(d), expected) << "mask at " << at;
  };
  expectMasked(148, 4);   // inside the first block
  expectMasked(4094, 4);  // split over the first two blocks: two bytes in each
  expectMasked(4096, 4);  // at the start of the second block
  expectMasked(8998, 4);  // running past the end of the data
  Delivery split = drain(overFile(bytes, bytes.size(), 4094, 4).get());
  ASSERT_GE(split.blocks.size(), 2u);
  EXPECT_EQ(split.blocks[0][4094], 0);
  EXPECT_EQ(split.blocks[0][4095], 0);
  EXPECT_EQ(split.blocks[1][0], 0);
  EXPECT_EQ(split.blocks[1][1], 0);
  EXPECT_EQ(split.blocks[1][2], 0xEE);
}

TEST_F(Enumerators, AFileShorterThanTheRangeFailsInsteadOfEndingEarly) {
  const auto bytes = testing::sampleBytes(5000, 5);
  ComPtr<IVexaGetData> data = overFile(bytes, 9000, 0, 0);
  Delivery d = drain(data.get());
  EXPECT_EQ(d.last, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);  // so that a consumer cannot take it for the end
  ASSERT_EQ(d.blocks.size(), 1u);
  // After the end, and with null arguments, it answers without delivering.
  Delivery full = drain(overFile(bytes, 5000, 0, 0).get());
  EXPECT_EQ(full.more.back(), 0);
  ComPtr<IVexaGetData> done = overFile(bytes, 10, 0, 0);
  drain(done.get());
  LONG n = 5, more = 5;
  BYTE* block = nullptr;
  EXPECT_EQ(done->GetNextDataBlock(&n, &block, &more), E_UNEXPECTED);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(more, 0);
  EXPECT_EQ(done->GetNextDataBlock(nullptr, &block, &more), E_POINTER);
  EXPECT_EQ(done->GetNextDataBlock(&n, nullptr, &more), E_POINTER);
  EXPECT_EQ(done->GetNextDataBlock(&n, &block, nullptr), E_POINTER);
}

// Past the first MiB the blocks are read ahead on a thread of the enumerator's own: the bytes,
// the mask and the order stay the same, a file that ends early still fails after the blocks
// read whole, and an enumerator released half-way stops its thread.
TEST_F(Enumerators, LongDataIsReadAheadWithTheSameBlocksAndFailures) {
  const auto large = testing::sampleBytes((size_t{9} << 20) + 123, 6);
  Delivery all = drain(overFile(large, large.size(), 3 << 20, 4).get());
  ASSERT_EQ(all.last, S_OK);
  EXPECT_EQ(all.blocks.size(), (large.size() + 4095) / 4096);
  auto expected = large;
  std::fill_n(expected.begin() + (3 << 20), 4, 0);
  EXPECT_EQ(joined(all), expected);
  for (size_t i = 0; i + 1 < all.blocks.size(); ++i) ASSERT_EQ(all.blocks[i].size(), 4096u);

  // The range runs 5 MiB past the file's end: what the file holds, then ERROR_HANDLE_EOF.
  Delivery cut = drain(overFile(large, large.size() + (5 << 20), 0, 0).get());
  EXPECT_EQ(cut.last, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);
  EXPECT_EQ(joined(cut),
            std::vector<uint8_t>(large.begin(), large.begin() + (large.size() / 4096) * 4096));

  ComPtr<IVexaGetData> abandoned = overFile(large, large.size(), 0, 0);
  Delivery some = drain(abandoned.get(), 600);  // past the first MiB, then let go
  EXPECT_EQ(some.blocks.size(), 600u);
  abandoned.reset();
}

TEST_F(Enumerators, LongStreamsAreDecodedAheadAndADamagedPageStillFails) {
  const std::string path = (dir_ / "large.drx").string();
  ASSERT_EQ(testing::writeLargeContainerDrawing(path, 3, 3 << 20, {2, 0, 3}), 0u);
  auto open = [&] {
    std::shared_ptr<container::Container> c = container::Container::create();
    EXPECT_EQ(c->open(path, container::kAccessRead, 3, container::Disposition::kOpenExisting, 0),
              0u);
    return c;
  };
  auto refsOf = [](const container::Container& c) {
    std::vector<StreamRef> refs;
    for (uint32_t i = 0; i < c.info()->streamCount; ++i) {
      auto info = c.streamInfo(i);
      refs.push_back({info->identifier, info->name});
    }
    return refs;
  };
  std::shared_ptr<container::Container> c = open();
  ComPtr<IVexaGetData> data;
  ASSERT_EQ(createContainerStreamData(c, refsOf(*c), data.out()), S_OK);
  Delivery d = drain(data.get());
  ASSERT_EQ(d.last, S_OK);
  std::vector<uint8_t> expected;
  for (const auto& [name, bytes] : testing::readContainerStreams(path)) {
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  EXPECT_EQ(joined(d).size(), size_t{9} << 20);
  EXPECT_EQ(joined(d), expected);

  // A byte of the last stream's stored data flipped, well past the first MiB.
  {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekg(0, std::ios::end);
    const std::streamoff at = f.tellg() - std::streamoff{200000};
    f.seekg(at);
    const char was = static_cast<char>(f.get());
    f.seekp(at);
    f.put(static_cast<char>(was ^ 0x40));
  }
  c = open();
  ComPtr<IVexaGetData> damaged;
  ASSERT_EQ(createContainerStreamData(c, refsOf(*c), damaged.out()), S_OK);
  Delivery bad = drain(damaged.get());
  EXPECT_EQ(bad.last, E_FAIL);
  EXPECT_EQ(GetLastError(), 1392u);  // the file is corrupt
  EXPECT_GT(joined(bad).size(), size_t{1} << 20);
}

TEST_F(Enumerators, StreamDataDeliversThePiecesInTheGivenOrderThenNothing) {
  const std::string path = (dir_ / "drawing.drx").string();
  const auto streams = testing::dozenStreams();
  ASSERT_EQ(testing::writeContainerDrawing(path, streams), 0u);
  std::shared_ptr<container::Container> c = container::Container::create();
  ASSERT_EQ(c->open(path, container::kAccessRead, 3, container::Disposition::kOpenExisting, 0), 0u);
  std::vector<StreamRef> refs;
  for (uint32_t i = 0; i < streams.size(); ++i) {
    auto info = c->streamInfo(i);
    refs.push_back({info->identifier, info->name});
  }
  std::swap(refs[1], refs[4]);  // an order other than the container's

  ComPtr<IVexaGetData> data;
  ASSERT_EQ(createContainerStreamData(c, refs, data.out()), S_OK);
  Delivery d = drain(data.get());
  ASSERT_EQ(d.last, S_OK);
  ASSERT_FALSE(d.blocks.empty());
  EXPECT_TRUE(d.blocks.back().empty()) << "the end is a call that delivers nothing";
  d.more.pop_back();
  for (LONG more : d.more) EXPECT_EQ(more, 1);
  std::vector<uint8_t> expected;
  std::vector<size_t> order = {0, 4, 2, 3, 1, 5, 6, 7, 8, 9, 10, 11};
  for (size_t i : order) expected.insert(expected.end(), streams[i].data.begin(), streams[i].data.end());
  EXPECT_EQ(joined(d), expected);

  // Calls after the end keep answering "nothing more".
  LONG n = 1, more = 1;
  BYTE* block = nullptr;
  EXPECT_EQ(data->GetNextDataBlock(&n, &block, &more), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(more, 0);
}

TEST_F(Enumerators, StreamDataFailsOnAStreamThatIsGone) {
  const std::string path = (dir_ / "drawing.drx").string();
  ASSERT_EQ(testing::writeContainerDrawing(path, testing::dozenStreams()), 0u);
  std::shared_ptr<container::Container> c = container::Container::create();
  ASSERT_EQ(c->open(path, container::kAccessRead, 3, container::Disposition::kOpenExisting, 0), 0u);
  ComPtr<IVexaGetData> data;
  ASSERT_EQ(createContainerStreamData(c, {{999, "Missing"}}, data.out()), S_OK);
  Delivery d = drain(data.get());
  EXPECT_EQ(d.last, E_FAIL);
  EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
}

TEST(EnumeratorsThroughCom, HaveNothingToDeliverWhenAClientMakesThem) {
  registry::TempRegistry registry;
  registry.importBuildTree();
  for (const CLSID* clsid : {&CLSID_VexaGetData, &CLSID_R18GetData}) {
    ComPtr<IVexaGetData> data;
    ASSERT_EQ(com::createInstance<IVexaGetData>(*clsid, &data), S_OK);
    LONG n = 7, more = 7;
    BYTE* block = reinterpret_cast<BYTE*>(1);
    EXPECT_EQ(data->GetNextDataBlock(&n, &block, &more), E_UNEXPECTED);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(more, 0);
    EXPECT_EQ(block, nullptr);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
    com::Bstr source;
    info->GetSource(source.out());
    EXPECT_EQ(source.utf8(), *clsid == CLSID_VexaGetData ? "DxSignCore.VexaGetData.1"
                                                         : "DxSignCore.R18GetData.1");
  }
}

}  // namespace
}  // namespace vexamor::signcore
