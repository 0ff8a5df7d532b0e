#include "strataquill/project/n_value.h"

#include <gtest/gtest.h>

namespace sq::project {
namespace {

struct Form {
  const char* typed;
  NValueKind kind;
  int n;
  const char* printed;
};

std::ostream& operator<<(std::ostream& os, const Form& f) { return os << '"' << f.typed << '"'; }

class NValueTable : public ::testing::TestWithParam<Form> {};

TEST_P(NValueTable, ReadsAsTheLogPrintsIt) {
  const Form& f = GetParam();
  const NValue v = ParseNValue(f.typed);
  EXPECT_EQ(v.kind, f.kind);
  EXPECT_EQ(v.n, f.n);
  EXPECT_EQ(v.text, f.printed);
}

using K = NValueKind;

INSTANTIATE_TEST_SUITE_P(
    Increments, NValueTable,
    ::testing::Values(Form{"5-7-9", K::kValue, 16, "16"},        //
                      Form{"4-5-7", K::kValue, 12, "12"},        //
                      Form{"5/7/9", K::kValue, 16, "16"},        //
                      Form{"5,7,9", K::kValue, 16, "16"},        //
                      Form{"5 7 9", K::kValue, 16, "16"},        //
                      Form{" 5 - 7 - 9 ", K::kValue, 16, "16"},  //
                      Form{"5--7,,9", K::kValue, 16, "16"},      //
                      Form{"5; 7; 9", K::kValue, 16, "16"},      //
                      Form{"5\xE2\x80\x93" "7\xE2\x80\x93" "9", K::kValue, 16, "16"},
                      Form{"-5-7-9-", K::kValue, 16, "16"},      //
                      Form{"12-18-22-25", K::kValue, 40, "40"},  // 24-inch spoon
                      Form{"0-0-0", K::kValue, 0, "0"}));

INSTANTIATE_TEST_SUITE_P(
    WeightOfHammerOrRods, NValueTable,
    ::testing::Values(Form{"WOH-WOH-2", K::kValue, 2, "2"},  //
                      Form{"wor-1-1", K::kValue, 2, "2"},    //
                      Form{"WOH/WOR/WOH", K::kValue, 0, "0"}));

INSTANTIATE_TEST_SUITE_P(
    TwoIncrements, NValueTable,
    ::testing::Values(Form{"7-9", K::kPartial, 16, "16*"},  //
                      Form{"WOH 3", K::kPartial, 3, "3*"}));

INSTANTIATE_TEST_SUITE_P(
    Refusals, NValueTable,
    ::testing::Values(Form{"50/5\"", K::kRefusal, 0, "50/5\""},          //
                      Form{"50/3in", K::kRefusal, 0, "50/3\""},          //
                      Form{"50/3 in.", K::kRefusal, 0, "50/3\""},        //
                      Form{"50-50/4", K::kRefusal, 0, "50/4\""},         //
                      Form{"24-39-50/5\"", K::kRefusal, 0, "50/5\""},    //
                      Form{"50/4", K::kRefusal, 0, "50/4\""},            //
                      Form{"50/5''", K::kRefusal, 0, "50/5\""},          //
                      Form{"50/75mm", K::kRefusal, 0, "50/75mm"},        //
                      Form{"WOH-50/2.5\"", K::kRefusal, 0, "50/2.5\""},  //
                      Form{"50 / 6 inches", K::kRefusal, 0, "50/6\""}));

INSTANTIATE_TEST_SUITE_P(
    AsTyped, NValueTable,
    ::testing::Values(Form{"", K::kEmpty, 0, ""},                       //
                      Form{"   ", K::kEmpty, 0, ""},                    //
                      Form{"Push", K::kText, 0, "Push"},                //
                      Form{"REC 82%", K::kText, 0, "REC 82%"},          //
                      Form{"16", K::kText, 0, "16"},                    //
                      Form{"1-2-3-4-5", K::kText, 0, "1-2-3-4-5"},      //
                      Form{"5-7.5-9", K::kText, 0, "5-7.5-9"},          //
                      Form{"5/7-9", K::kText, 0, "5/7-9"},              //
                      Form{"5/7/9\"", K::kText, 0, "5/7/9\""},          //
                      Form{"5\"-7-9", K::kText, 0, "5\"-7-9"},          //
                      Form{"N=16", K::kText, 0, "N=16"},                //
                      Form{"WOH/12\"", K::kText, 0, "WOH/12\""},        //
                      Form{"5-7-9 (wet)", K::kText, 0, "5-7-9 (wet)"},  //
                      Form{"9999999-1-1", K::kText, 0, "9999999-1-1"}));

}  // namespace
}  // namespace sq::project
