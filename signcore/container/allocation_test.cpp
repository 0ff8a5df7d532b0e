// Running out of memory at any one allocation of an operation gives 8 (not
// enough memory) or success, never an exception, and the file keeps what a
// commit wrote: the old container or the new one.
#include <gtest/gtest.h>

#include "container.h"
#include "platform/com/testing/allocation_failures.h"
#include "test_support.h"

namespace vexamor::container {
namespace {

using namespace testing;
using vexamor::testing::failEachAllocation;
constexpr uint32_t kReadWrite = kAccessRead | kAccessWrite;

class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(writeContainer(path, 0,
                             {{"Drawing", 0, 2, 4096, sampleBytes(20000, 1)},
                              {"Objects", 0, 3, 2048, sampleBytes(9000, 2)},
                              {"", 77, 0, 1024, sampleBytes(3000, 3)}}),
              kErrorSuccess);
    original = readFile(path);
    before = *readAllStreams(path, 0);
  }

  // Reads every stream with engine calls only: nothing here allocates but the engine.
  Win32Code readEverything() {
    std::unique_ptr<Container> container = Container::create();
    if (container == nullptr) return kErrorNotEnoughMemory;
    if (Win32Code rc = container->open(path, kAccessRead, 0, Disposition::kOpenExisting, 0))
      return rc;
    Expected<ContainerInfo> info = container->info();
    if (!info.ok()) return info.error();
    for (uint32_t i = 0; i < info->streamCount; ++i) {
      Expected<StreamInfo> stream = container->streamInfo(i);
      if (!stream.ok()) return stream.error();
      Expected<Stream> s = container->openStream(stream->name, stream->identifier, kAccessRead,
                                                 Disposition::kOpenExisting);
      if (!s.ok()) return s.error();
      for (;;) {
        Expected<std::span<const uint8_t>> piece = s->nextPiece();
        if (!piece.ok()) return piece.error();
        if (piece->empty()) break;
      }
    }
    return container->close();
  }

  Win32Code replaceAStream() {
    std::unique_ptr<Container> container = Container::create();
    if (container == nullptr) return kErrorNotEnoughMemory;
    if (Win32Code rc = container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0))
      return rc;
    if (Win32Code rc = container->removeStream("Objects", 0)) return rc;
    Expected<Stream> s = container->openStream("DxDb:Signature", 0, kReadWrite,
                                               Disposition::kCreateNew, {2, -1, 1024});
    if (!s.ok()) return s.error();
    if (Win32Code rc = s->write(payload)) return rc;
    if (Win32Code rc = s->close()) return rc;
    return container->close();
  }

  TempDir dir;
  std::string path = dir.file("drawing.dwg");
  std::vector<uint8_t> original;
  std::map<std::string, std::vector<uint8_t>> before;
  const std::vector<uint8_t> payload = sampleBytes(5000, 8);
};

TEST_F(AllocationTest, ReadingGivesNotEnoughMemoryWhereverMemoryRunsOut) {
  const uint64_t failed =
      failEachAllocation([&] { return readEverything(); },
                         [](Win32Code rc, uint64_t n) {
                           if (n == 0) {
                             EXPECT_EQ(rc, kErrorSuccess);
                           } else {
                             EXPECT_TRUE(rc == kErrorNotEnoughMemory || rc == kErrorSuccess)
                                 << "allocation " << n << ": " << rc;
                           }
                         });
  EXPECT_GT(failed, 10u);
}

TEST_F(AllocationTest, ChangesGiveNotEnoughMemoryAndLeaveTheLastCommit) {
  const uint64_t failed =
      failEachAllocation([&] { return replaceAStream(); },
                         [&](Win32Code rc, uint64_t n) {
                           auto read = readAllStreams(path, 0);
                           writeFile(path, original);  // for the next run
                           ASSERT_TRUE(read.ok()) << "allocation " << n << ": " << read.error();
                           if (n == 0) {
                             EXPECT_EQ(rc, kErrorSuccess);
                             EXPECT_EQ((*read)["DxDb:Signature"], payload);
                             return;
                           }
                           EXPECT_TRUE(rc == kErrorNotEnoughMemory || rc == kErrorSuccess)
                               << "allocation " << n << ": " << rc;
                           if (*read != before) {
                             EXPECT_EQ((*read)["DxDb:Signature"], payload) << "allocation " << n;
                             EXPECT_EQ(read->count("Objects"), 0u);
                           }
                         });
  EXPECT_GT(failed, 10u);
}

}  // namespace
}  // namespace vexamor::container
