#include "strataquill/project/interval_checks.h"

#include <gtest/gtest.h>

namespace sq::project {
namespace {

std::vector<std::string> describe(const std::vector<IntervalFinding>& findings) {
  std::vector<std::string> out;
  for (const IntervalFinding& f : findings) out.push_back(std::to_string(f.row) + " " + f.text);
  return out;
}

TEST(IntervalChecksTest, ContiguousIntervalsPass) {
  EXPECT_TRUE(CheckIntervals({{1, 0, 5}, {2, 5, 12.5f}, {3, 12.5f, 20}}, true).empty());
  // Out of order in the grid, still contiguous by depth.
  EXPECT_TRUE(CheckIntervals({{1, 10, 20}, {2, 0, 10}}, true).empty());
}

TEST(IntervalChecksTest, InvertedAndEmptyIntervals) {
  auto f = CheckIntervals({{1, 5, 2}, {2, 3, 3}, {3, 0, 1}}, false);
  EXPECT_EQ(describe(f), (std::vector<std::string>{"1 From 5 is not above To 2",
                                                   "2 From 3 is not above To 3"}));
  EXPECT_EQ(CountProblems(f), 2);
}

TEST(IntervalChecksTest, OverlapsAndGapsMarkBothRows) {
  auto f = CheckIntervals({{1, 0, 15}, {2, 12, 20}, {3, 22, 30}}, true);
  EXPECT_EQ(describe(f), (std::vector<std::string>{"1 Overlaps 12 \u2013 15", "2 Overlaps 12 \u2013 15",
                                                   "2 Gap 20 \u2013 22", "3 Gap 20 \u2013 22"}));
  EXPECT_EQ(CountProblems(f), 2);
}

TEST(IntervalChecksTest, AnIntervalInsideALongOneStillOverlapsTheNext) {
  auto f = CheckIntervals({{1, 0, 10}, {2, 2, 5}, {3, 5, 12}}, true);
  EXPECT_EQ(describe(f), (std::vector<std::string>{"1 Overlaps 2 \u2013 5", "2 Overlaps 2 \u2013 5",
                                                   "1 Overlaps 5 \u2013 10", "3 Overlaps 5 \u2013 10"}));
}

TEST(IntervalChecksTest, SamplesMayOverlapAndRowsWithoutDepthsAreLeftOut) {
  EXPECT_TRUE(CheckIntervals({{1, 0, 2}, {2, 1, 3}, {3, 9, 10}}, false).empty());
  EXPECT_TRUE(CheckIntervals({{1, std::nullopt, 2}, {2, 1, std::nullopt}, {3, 40, 41}}, true).empty());
}

TEST(IntervalChecksTest, InvertedRowsAreNotComparedWithNeighbours) {
  auto f = CheckIntervals({{1, 0, 5}, {2, 9, 1}, {3, 5, 8}}, true);
  EXPECT_EQ(describe(f), std::vector<std::string>{"2 From 9 is not above To 1"});
}

TEST(IntervalChecksTest, ListCellsHoldAnItemOrNothing) {
  const std::vector<std::string> classes = {"CL - Lean clay", "SM - Silty sand"};
  EXPECT_TRUE(IsListValue("CL - Lean clay", classes));
  EXPECT_TRUE(IsListValue("", classes));
  EXPECT_FALSE(IsListValue("cl - lean clay", classes)) << "class texts compare exactly";
  EXPECT_FALSE(IsListValue("Clay", classes));
  EXPECT_TRUE(IsListValue("Clay", {})) << "an unreadable list cannot refuse";
  EXPECT_EQ(NotInListNote("Classification"), "Not in the classification list");
  EXPECT_EQ(NotInListNote("Line Type"), "Not in the line type list");
}

}  // namespace
}  // namespace sq::project
