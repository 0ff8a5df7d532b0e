#include "strataquill/db/value.h"

#include <gtest/gtest.h>

namespace sq::db {
namespace {

TEST(ValueTest, SingleTextIsShortestRoundTrip) {
  EXPECT_EQ(formatSingle(12.1f), "12.1");
  EXPECT_EQ(formatSingle(40.0f), "40");
  EXPECT_EQ(formatSingle(0.333f), "0.333");
  EXPECT_EQ(formatSingle(-0.0f), "0");
  EXPECT_EQ(Value::single(12.1f).toString(), "12.1");
  // The float nearest 12.1 printed as a double shows its real value.
  EXPECT_EQ(Value::real(static_cast<double>(12.1f)).toString(), "12.100000381469727");
  for (float f : {0.1f, 1.0f / 3, 123456.789f, 1e-7f, 3.4e38f}) {
    std::string text = formatSingle(f);
    EXPECT_EQ(std::stof(text), f) << text;
  }
}

TEST(ValueTest, LeadingNumberParseNeverFails) {
  EXPECT_EQ(parseLeadingNumber("12.5 ft"), 12.5);
  EXPECT_EQ(parseLeadingNumber("  -3"), -3);
  EXPECT_EQ(parseLeadingNumber("abc"), 0);
  EXPECT_EQ(parseLeadingNumber(""), 0);
  EXPECT_EQ(parseLeadingNumber("1e2x"), 100);
  EXPECT_EQ(parseLeadingNumber("1e"), 1);
  EXPECT_EQ(parseLeadingNumber(".5"), 0.5);
  EXPECT_EQ(parseLeadingNumber("-"), 0);
  EXPECT_EQ(parseLeadingNumber("5."), 5);
}

TEST(ValueTest, WholeNumberParseIsStrict) {
  EXPECT_EQ(parseWholeNumber(" 12.5 "), 12.5);
  EXPECT_FALSE(parseWholeNumber("12.5 ft"));
  EXPECT_FALSE(parseWholeNumber(""));
  EXPECT_FALSE(parseWholeNumber(" "));
  EXPECT_EQ(parseWholeNumber("+4"), 4);
}

}  // namespace
}  // namespace sq::db
