#include "strataquill/layouts/pattern_check.h"

#include <gtest/gtest.h>

#include <set>

namespace sq::layouts {
namespace {

// A pattern folder that holds sand.png and clay.png.
PatternListFinding check(std::string_view list) {
  static const std::set<std::string> there = {"/p/sand.png", "/p/clay.png"};
  return checkPatternList(list, "/p", [](const std::string& path) { return there.count(path) > 0; });
}

TEST(PatternCheckTest, ListsThatPrintWhole) {
  for (const char* list : {"sand.png:100", "sand.png:50:clay.png:50", "sand.png:100:"}) {
    const PatternListFinding f = check(list);
    EXPECT_TRUE(f.printsWhole()) << list;
    EXPECT_EQ(f.problem(), "") << list;
    EXPECT_EQ(f.remark(), "") << list;
  }
  EXPECT_FALSE(check(" ").printsWhole()) << "a blank cell prints nothing";
  EXPECT_EQ(check(" ").problem(), "") << "but it is no mistake to point out";
}

TEST(PatternCheckTest, ABareNameOrAMissingPictureSaysWhyNothingPrints) {
  const PatternListFinding bare = check("sand.png");
  EXPECT_TRUE(bare.namesNothing);
  EXPECT_EQ(bare.problem(),
            "This names no pattern: each picture needs its share of the column after a colon, "
            "for example sand.png:100. Nothing prints for this class.");
  EXPECT_EQ(check("gone.png:100").problem(),
            "The picture \u201Cgone.png\u201D is not in the pattern folder, so nothing prints "
            "for this class.");
  EXPECT_EQ(check("sand.png:50:gone.png:30:lost.png:20").problem(),
            "The pictures \u201Cgone.png\u201D and \u201Clost.png\u201D are not in the pattern "
            "folder, so part of the column prints empty.");
  EXPECT_EQ(check("sand.png:0").problem(), "Every share is 0%, so nothing prints for this class.");
}

TEST(PatternCheckTest, SharesThatDoNotFillTheColumnAreRemarkedOn) {
  EXPECT_EQ(check("sand.png:60").remark(), "The shares add up to 60%: the right 40% of the column "
                                           "stays empty.");
  EXPECT_EQ(check("sand.png:80:clay.png:40").remark(),
            "The shares add up to 120%: the patterns run past the column's right edge.");
  EXPECT_FLOAT_EQ(check("sand.png:-20:clay.png:50").totalPercent, 50) << "negative shares draw nothing";
}

}  // namespace
}  // namespace sq::layouts
