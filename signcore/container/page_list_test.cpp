#include "page_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexamor::container {
namespace {

// Granularity 32, split threshold 64, as in a new container.
class PageListTest : public ::testing::Test {
 protected:
  PageList list{32, 64};
  uint64_t take(uint64_t bytes) {
    Expected<uint64_t> position = list.allocate(bytes);
    EXPECT_TRUE(position.ok());
    return position.ok() ? *position : 0;
  }
};

TEST_F(PageListTest, AppendsRoundedPagesAndNumbersThem) {
  EXPECT_EQ(take(1), 0u);
  EXPECT_EQ(take(33), 32u);
  EXPECT_EQ(list.end(), 96u);
  EXPECT_EQ(list.find(0)->number, 1);
  EXPECT_EQ(list.find(32)->number, 2);
  EXPECT_EQ(list.find(32)->size, 64u);
  EXPECT_FALSE(list.allocate(0).ok());
  EXPECT_FALSE(list.allocate(uint64_t{1} << 31).ok());
}

TEST_F(PageListTest, SplitsOnlyRemaindersReachingTheThreshold) {
  const uint64_t a = take(512);
  take(32);  // keeps the freed page from being the last one
  list.release(a);
  EXPECT_EQ(take(448), a);  // remainder 64: split off as a free page
  EXPECT_EQ(list.freeCount(), 1u);
  EXPECT_EQ(list.find(a + 448)->size, 64u);
  EXPECT_EQ(take(32), a + 448);  // remainder 32 is below the threshold: whole page taken
  EXPECT_EQ(list.find(a + 448)->size, 64u);
  EXPECT_EQ(list.freeCount(), 0u);
}

TEST_F(PageListTest, TakesTheSmallestFittingPageAndMergesNeighbours) {
  std::vector<uint64_t> pages;
  for (uint64_t size : {256, 32, 128, 32, 512, 32}) pages.push_back(take(size));
  list.release(pages[0]);
  list.release(pages[2]);
  list.release(pages[4]);
  EXPECT_EQ(take(100), pages[2]);  // 128 fits best
  list.release(pages[2]);
  list.release(pages[1]);  // 256 + 32 + 128 merge into one free page
  EXPECT_EQ(list.freeCount(), 2u);
  EXPECT_EQ(list.find(pages[0])->size, 416u);
  EXPECT_EQ(list.find(pages[1]), nullptr);
}

TEST_F(PageListTest, GrowsAndTrimsAFreeLastPage) {
  take(64);
  const uint64_t last = take(64);
  list.release(last);
  EXPECT_EQ(take(200), last);  // the free last page grows instead of leaving a gap
  EXPECT_EQ(list.end(), last + 224);
  list.release(last);
  list.trimFreeTail();
  EXPECT_EQ(list.end(), last);
  EXPECT_EQ(list.freeCount(), 0u);
}

TEST_F(PageListTest, PageMapContentRoundTrips) {
  for (uint64_t size : {96, 64, 32, 128}) take(size);
  list.release(96);
  list = list.nextCommit();
  std::vector<uint8_t> content(list.contentSize());
  list.serialise(content);
  FileHeader header;
  header.usedEnd = list.end();
  header.usedCount = 3;
  header.freeCount = 1;
  PageNumbers numbers;
  Expected<PageList> parsed = PageList::parse(content, header, &numbers);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(numbers.find(-1), 96u);
  EXPECT_EQ(numbers.find(4), 192u);
  EXPECT_EQ(numbers.find(5), std::nullopt);
  EXPECT_TRUE(parsed->find(96)->free);
  EXPECT_EQ(parsed->highestUsed(), 4);
  header.freeCount = 0;
  EXPECT_EQ(PageList::parse(content, header, &numbers).error(), kErrorFileCorrupt);
}

// A page holds at least a page header, so a page map can list no more pages
// than its used area has room for, whatever granularity its header claims.
TEST_F(PageListTest, PagesSmallerThanAPageHeaderAreRefused) {
  FileHeader header;
  header.granularity = 8;
  std::vector<uint8_t> content;
  auto add = [&](int32_t number, uint32_t size) {
    content.resize(content.size() + (number < 0 ? 24 : 8), 0);
    storeI32(&content[content.size() - (number < 0 ? 24 : 8)], number);
    storeU32(&content[content.size() - (number < 0 ? 20 : 4)], size);
    header.usedEnd += size;
    ++(number < 0 ? header.freeCount : header.usedCount);
  };
  add(1, 24);
  add(-1, 24);
  PageNumbers numbers;
  ASSERT_TRUE(PageList::parse(content, header, &numbers).ok());
  add(-2, 8);
  EXPECT_EQ(PageList::parse(content, header, &numbers).error(), kErrorFileCorrupt);
  PageList fine(8, 8);  // nor does the engine make such pages
  EXPECT_EQ(fine.allocate(40).value(), 0u);
  EXPECT_EQ(fine.find(fine.allocate(1).value())->size, 24u);
  fine.release(0);
  EXPECT_EQ(fine.allocate(8).value(), 0u);  // the 16 bytes left are no page of their own
  EXPECT_EQ(fine.find(0)->size, 40u);
}

TEST_F(PageListTest, CommittedPagesStayUntouchedUntilTheNextCommit) {
  for (uint64_t size : {64, 128, 64}) take(size);
  list = list.nextCommit();  // as a page map just written describes it
  list.release(64);          // committed: retired, not free
  EXPECT_FALSE(list.find(64)->free);
  EXPECT_EQ(list.freeCount(), 0u);
  EXPECT_EQ(take(100), 256u);  // the retired page is not handed out
  list.release(256);           // never committed: free at once
  EXPECT_EQ(take(100), 256u);

  PageList next = list.nextCommit();
  EXPECT_TRUE(next.find(64)->free);
  EXPECT_EQ(next.find(64)->number, -1);
  EXPECT_TRUE(next.find(256)->committed);
  EXPECT_EQ(next.contentSize(), 3 * 8u + 24u);
  EXPECT_EQ(next.allocate(100).value(), 64u);  // reusable once the new map is durable
}

TEST_F(PageListTest, RetiredPagesAtTheEndLeaveTheNextMap) {
  take(64);
  const uint64_t last = take(64);
  list = list.nextCommit();
  list.release(last);
  EXPECT_EQ(list.end(), last + 64);
  EXPECT_EQ(take(64), last + 64);  // appended behind the retired page
  list.release(last + 64);
  PageList next = list.nextCommit();
  EXPECT_EQ(next.end(), last);
  EXPECT_EQ(next.freeCount(), 0u);
}

}  // namespace
}  // namespace vexamor::container
