#include "strataquill/layouts/layout_codes.h"

#include <gtest/gtest.h>

namespace sq::layouts {
namespace {

TEST(LayoutCodesTest, ColoursNeedTwoCharactersAndAKnownDigit) {
  EXPECT_EQ(GetColor("2 - Red"), 255u);
  EXPECT_EQ(GetColor("2x"), 255u);
  EXPECT_EQ(GetColor("2"), 0u);
  EXPECT_EQ(GetColor(""), 0u);
  EXPECT_EQ(GetColor("9 - Orange"), 0u);
  EXPECT_EQ(GetColor(" 2 - Red"), 0u);
  EXPECT_EQ(GetColor("3 - Green"), 65280u);
  EXPECT_EQ(GetColor("4 - Yellow"), 65535u);
  EXPECT_EQ(GetColor("5 - Blue"), 16711680u);
  EXPECT_EQ(GetColor("6 - Magenta"), 16711935u);
  EXPECT_EQ(GetColor("7 - Cyan"), 16776960u);
  EXPECT_EQ(GetColor("8 - White"), 16777215u);
}

TEST(LayoutCodesTest, PenStylesDecodeByTheFirstCharacter) {
  EXPECT_EQ(GetPenStyle(""), 0);
  EXPECT_EQ(GetPenStyle("5"), 5);
  EXPECT_EQ(GetPenStyle("9"), 0);
  EXPECT_EQ(GetPenStyle("3 - Dash-Dot"), 3);
  EXPECT_EQ(GetPenStyle("- 3"), 0);
}

TEST(LayoutCodesTest, AlignmentAndYesNo) {
  EXPECT_EQ(GetAlignment("2 - Center"), Alignment::kCenter);
  EXPECT_EQ(GetAlignment("3"), Alignment::kRight);
  EXPECT_EQ(GetAlignment(""), Alignment::kLeft);
  EXPECT_EQ(GetAlignment("Right"), Alignment::kLeft);
  EXPECT_TRUE(GetYesNo("-1"));
  EXPECT_TRUE(GetYesNo("1"));
  EXPECT_TRUE(GetYesNo("True"));
  EXPECT_TRUE(GetYesNo("0.5"));
  EXPECT_FALSE(GetYesNo("0"));
  EXPECT_FALSE(GetYesNo(""));
  EXPECT_FALSE(GetYesNo(" "));
  EXPECT_FALSE(GetYesNo("no"));
  EXPECT_FALSE(GetYesNo("1e-50")) << "not 0 as a double, but 0 in single precision";
}

}  // namespace
}  // namespace sq::layouts
