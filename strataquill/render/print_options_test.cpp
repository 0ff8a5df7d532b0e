#include "strataquill/render/print_options.h"

#include <gtest/gtest.h>

#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/test_home.h"

namespace sq::render {
namespace {

TEST(PrintOptionsTest, DefaultsWithAnEmptyStore) {
  TestHome home;
  PrintOptions o = PrintOptions::load();
  EXPECT_EQ(o.firstPageLayoutFile, "???");
  EXPECT_EQ(o.additionalPageLayoutFileTitle, "???");
  EXPECT_EQ(o.unitsPerFirstPage, 40);
  EXPECT_EQ(o.unitsPerAdditionalPage, 40);
  EXPECT_EQ(o.patternScaleFactor, 0.333f);
  EXPECT_EQ(o.majorTickInterval, 5);
  EXPECT_EQ(o.minorTickInterval, 1);
  EXPECT_FALSE(o.useAdditionalPageLayout);
  EXPECT_FALSE(o.printCancelled);
}

TEST(PrintOptionsTest, SavedValuesComeBackUnderTheirKeys) {
  TestHome home;
  PrintOptions o;
  o.unitsPerFirstPage = 25.5f;
  o.unitsPerAdditionalPage = 60;
  o.patternScaleFactor = 0.5f;
  o.majorTickInterval = 10;
  o.minorTickInterval = 2;
  o.useAdditionalPageLayout = true;
  ASSERT_TRUE(o.saveNumbers());
  ASSERT_TRUE(PrintOptions::saveFirstPageLayout("/logs/first.sqf", "first.sqf"));
  EXPECT_EQ(GetSetting("PrintOptions", "UnitsPerFirstPage", ""), "25.5");
  EXPECT_EQ(GetSetting("PrintOptions", "PatternScaleFactor", ""), "0.5");
  EXPECT_EQ(GetSetting("PrintOptions", "UseAdditionalPageLayout", ""), "True");
  EXPECT_EQ(GetSetting("PrintOptions", "FirstPageLayoutFileTitle", ""), "first.sqf");
  PrintOptions back = PrintOptions::load();
  EXPECT_EQ(back.unitsPerFirstPage, 25.5f);
  EXPECT_EQ(back.majorTickInterval, 10);
  EXPECT_TRUE(back.useAdditionalPageLayout);
  EXPECT_EQ(back.firstPageLayoutFile, "/logs/first.sqf");
  EXPECT_EQ(back.additionalPageLayoutFile, "???");
}

TEST(PrintOptionsTest, DamagedStoredValuesReadPredictably) {
  TestHome home;
  ASSERT_TRUE(SaveSetting("PrintOptions", "UnitsPerFirstPage", "forty"));
  ASSERT_TRUE(SaveSetting("PrintOptions", "MajorTickInterval", "99999999"));
  ASSERT_TRUE(SaveSetting("PrintOptions", "MinorTickInterval", "2.6"));
  ASSERT_TRUE(SaveSetting("PrintOptions", "UseAdditionalPageLayout", "maybe"));
  PrintOptions o = PrintOptions::load();
  EXPECT_EQ(o.unitsPerFirstPage, 0) << "text that is not a number reads as 0";
  EXPECT_EQ(o.majorTickInterval, 5) << "out of range keeps the default";
  EXPECT_EQ(o.minorTickInterval, 3);
  EXPECT_FALSE(o.useAdditionalPageLayout);
  EXPECT_NE(validateForRun(o, kBoringLog), "");
}

}  // namespace
}  // namespace sq::render
