#include "page_pool.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vexamor::container {
namespace {

TEST(PagePoolTest, ReusesFreedBlocksOfTheSameClass) {
  PoolBuffer first;
  ASSERT_TRUE(first.allocate(5000));
  std::memset(first.data(), 0xAB, first.size());
  const uint8_t* address = first.data();
  first.reset();
  const size_t left = PagePool::instance().reservedLeft();
  PoolBuffer second;
  ASSERT_TRUE(second.allocate(8000));  // same 8 KiB class
  EXPECT_EQ(second.data(), address);
  EXPECT_EQ(PagePool::instance().reservedLeft(), left);
  EXPECT_TRUE(second.reserve(8192));
  EXPECT_EQ(second.data(), address);  // large enough already: kept
  PoolBuffer moved = std::move(second);
  EXPECT_TRUE(second.empty());
  EXPECT_EQ(moved.data(), address);
}

TEST(PagePoolTest, RefusesWhatItCannotSupply) {
  PoolBuffer huge;
  EXPECT_FALSE(huge.allocate(size_t{2} << 30));
  EXPECT_TRUE(huge.empty());
  // Blocks beyond the largest class are mapped on their own and given back.
  PoolBuffer large;
  ASSERT_TRUE(large.allocate(size_t{40} << 20));
  large.data()[large.size() - 1] = 1;
}

}  // namespace
}  // namespace vexamor::container
