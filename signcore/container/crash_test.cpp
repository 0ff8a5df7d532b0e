// Commits cut short: every session below is stopped after its k-th write,
// for every k, with the writes since the last flush kept or all but the last
// lost; the container must then open with all its old streams or all its
// new ones.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "container.h"
#include "fault_injection.h"
#include "test_support.h"

namespace vexamor::container {
namespace {

using namespace testing;
using Streams = std::map<std::string, std::vector<uint8_t>>;
constexpr uint32_t kReadWrite = kAccessRead | kAccessWrite;
constexpr uint64_t kOffset = 128;

struct Session {
  const char* what;
  std::function<Win32Code(Container&)> change;
  bool shrinks = false;  // the file ends earlier afterwards
};

Win32Code rewrite(Container& c, std::string_view name, Disposition disposition,
                  const std::vector<uint8_t>& bytes, uint64_t at = 0) {
  StreamOptions options;
  options.compression = 2;
  options.pageSize = 4096;
  Expected<Stream> s = c.openStream(name, 0, kReadWrite, disposition, options);
  if (!s.ok()) return s.error();
  s->setPosition(at);
  if (Win32Code rc = s->write(bytes); rc != kErrorSuccess) return rc;
  return s->close();
}

const Session kSessions[] = {
    {"remove a stream and create it again",
     [](Container& c) {
       if (Win32Code rc = c.removeStream("Drawing", 0); rc != kErrorSuccess) return rc;
       return rewrite(c, "Drawing", Disposition::kCreateNew, sampleBytes(50000, 9));
     }},
    {"overwrite inside a stream and remove the last one",
     [](Container& c) {
       if (Win32Code rc = rewrite(c, "Objects", Disposition::kOpenExisting,
                                  std::vector<uint8_t>(6000, 0x5A), 3000);
           rc != kErrorSuccess) {
         return rc;
       }
       return c.removeStream("Preview", 0);
     }},
    {"remove the last stream, so that the file shrinks",
     [](Container& c) { return c.removeStream("Preview", 0); }, true},
    {"empty a stream and add a signature",
     [](Container& c) {
       if (Win32Code rc = rewrite(c, "Objects", Disposition::kTruncateExisting, {1, 2, 3});
           rc != kErrorSuccess) {
         return rc;
       }
       return rewrite(c, "DxDb:Signature", Disposition::kCreateNew, sampleBytes(3000, 4));
     }},
};

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(path, std::vector<uint8_t>(kOffset, 0x11));
    ASSERT_EQ(writeContainer(path, kOffset,
                             {{"Drawing", 0, 2, 4096, sampleBytes(60000, 1)},
                              {"Gap", 0, 0, 4096, sampleBytes(40000, 5)},
                              {"Objects", 0, 3, 8192, sampleBytes(30000, 2)},
                              {"Preview", 0, 0, 1024, sampleBytes(5000, 3)}}),
              kErrorSuccess);
    // Free pages in the middle: room for the system pages of a commit.
    auto container = Container::create();
    ASSERT_EQ(container->setHeaderOffset(kOffset), kErrorSuccess);
    ASSERT_EQ(container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0), kErrorSuccess);
    ASSERT_EQ(container->removeStream("Gap", 0), kErrorSuccess);
    ASSERT_EQ(container->close(), kErrorSuccess);
    original = readFile(path);
    auto read = readAllStreams(path, kOffset);
    ASSERT_TRUE(read.ok());
    before = *read;
  }

  // Runs the session on a fresh copy of the original file through `plan`;
  // commits with close() unless the session failed.
  void run(const Session& session, std::shared_ptr<FaultPlan> plan) {
    writeFile(path, original);
    auto container = Container::create(faultInjectingOpener(plan));
    ASSERT_EQ(container->setHeaderOffset(kOffset), kErrorSuccess);
    if (container->open(path, kReadWrite, 0, Disposition::kOpenExisting, 0) != kErrorSuccess) {
      return;
    }
    if (session.change(*container) == kErrorSuccess) (void)container->close();
  }

  TempDir dir;
  std::string path = dir.file("drawing.dwg");
  std::vector<uint8_t> original;
  Streams before;
};

TEST_F(CrashTest, ACommitStoppedAfterAnyWriteLeavesTheOldOrTheNewContainer) {
  for (const Session& session : kSessions) {
    SCOPED_TRACE(session.what);
    auto whole = std::make_shared<FaultPlan>();
    run(session, whole);
    const uint64_t writes = whole->changes();
    ASSERT_GT(writes, 4u);
    auto read = readAllStreams(path, kOffset);
    ASSERT_TRUE(read.ok()) << read.error();
    const Streams after = *read;
    ASSERT_NE(after, before);
    if (session.shrinks) EXPECT_LT(readFile(path).size(), original.size());

    for (CrashKeeps keeps : {CrashKeeps::kEverything, CrashKeeps::kOnlyTheLastUnflushedChange}) {
      int oldSeen = 0;
      int newSeen = 0;
      for (uint64_t k = 0; k <= writes; ++k) {
        SCOPED_TRACE("stopped after write " + std::to_string(k) +
                     (keeps == CrashKeeps::kEverything ? "" : ", unflushed writes lost"));
        auto plan = std::make_shared<FaultPlan>(k, keeps);
        run(session, plan);
        EXPECT_TRUE(plan->crashed());
        auto reopened = readAllStreams(path, kOffset);
        ASSERT_TRUE(reopened.ok()) << reopened.error();
        if (*reopened == before) {
          ++oldSeen;
        } else {
          EXPECT_EQ(*reopened, after);
          ++newSeen;
        }
        // What precedes the header is never touched.
        const auto bytes = readFile(path);
        EXPECT_TRUE(std::equal(original.begin(), original.begin() + kOffset, bytes.begin()));
      }
      // A crash before the header's write keeps the old container, one after
      // its flush the new.
      EXPECT_GT(oldSeen, 0);
      EXPECT_GT(newSeen, 0);
    }
  }
}

TEST_F(CrashTest, TheFaultLayerUndoesUnflushedWritesButTheLast) {
  auto plan = std::make_shared<FaultPlan>(3, CrashKeeps::kOnlyTheLastUnflushedChange);
  Expected<std::unique_ptr<ContainerFile>> opened =
      faultInjectingOpener(plan)(path, kReadWrite, Disposition::kOpenExisting);
  ASSERT_TRUE(opened.ok());
  ContainerFile& file = **opened;
  const std::vector<uint8_t> a(10, 0xAA), b(10, 0xBB), c(10, 0xCC);
  ASSERT_EQ(file.writeAt(0, a), kErrorSuccess);
  ASSERT_EQ(file.sync(), kErrorSuccess);
  ASSERT_EQ(file.writeAt(20, b), kErrorSuccess);
  ASSERT_EQ(file.writeAt(original.size() + 5, c), kErrorSuccess);  // grows the file
  EXPECT_EQ(file.sync(), kErrorWriteFault);                        // the crash
  EXPECT_EQ(file.writeAt(40, a), kErrorWriteFault);
  const auto bytes = readFile(path);
  ASSERT_EQ(bytes.size(), original.size() + 15);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), bytes.begin()));  // flushed
  EXPECT_TRUE(std::equal(bytes.begin() + 20, bytes.begin() + 30, original.begin() + 20));  // lost
  EXPECT_TRUE(std::equal(c.begin(), c.end(), bytes.end() - 10));  // the last write made it
  EXPECT_EQ(plan->changes(), 3u);
}

}  // namespace
}  // namespace vexamor::container
