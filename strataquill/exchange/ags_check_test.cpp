// One small file per rule: a clean file, and for each rule the same file
// broken in that one way, which the check reports under that rule only.

#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>

#include "strataquill/exchange/ags_values.h"

namespace sq::exchange {
namespace {

const std::string kProj =
    "\"GROUP\",\"PROJ\"\n\"HEADING\",\"PROJ_ID\",\"PROJ_NAME\"\n\"UNIT\",\"\",\"\"\n"
    "\"TYPE\",\"ID\",\"X\"\n\"DATA\",\"P1\",\"Test\"\n\n";
const std::string kTran =
    "\"GROUP\",\"TRAN\"\n"
    "\"HEADING\",\"TRAN_ISNO\",\"TRAN_DATE\",\"TRAN_PROD\",\"TRAN_STAT\",\"TRAN_AGS\",\"TRAN_RECV\"\n"
    "\"UNIT\",\"\",\"yyyy-mm-dd\",\"\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"DT\",\"X\",\"X\",\"X\",\"X\"\n"
    "\"DATA\",\"1\",\"2025-01-02\",\"Us\",\"Final\",\"4.1.1\",\"Them\"\n\n";
const std::string kLoca =
    "\"GROUP\",\"LOCA\"\n\"HEADING\",\"LOCA_ID\",\"LOCA_TYPE\",\"LOCA_GL\",\"LOCA_STAR\"\n"
    "\"UNIT\",\"\",\"\",\"m\",\"yyyy-mm-dd\"\n\"TYPE\",\"ID\",\"PA\",\"2DP\",\"DT\"\n"
    "\"DATA\",\"BH1\",\"CP\",\"12.50\",\"2025-01-01\"\n\"DATA\",\"BH2\",\"CP\",\"11.00\",\"\"\n\n";
const std::string kGeol =
    "\"GROUP\",\"GEOL\"\n\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_BASE\",\"GEOL_DESC\"\n"
    "\"UNIT\",\"\",\"m\",\"m\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"2DP\",\"X\"\n"
    "\"DATA\",\"BH1\",\"0.00\",\"1.20\",\"Topsoil\"\n\"DATA\",\"BH1\",\"1.20\",\"3.00\",\"Clay\"\n\n";
const std::string kAbbr =
    "\"GROUP\",\"ABBR\"\n\"HEADING\",\"ABBR_HDNG\",\"ABBR_CODE\",\"ABBR_DESC\"\n"
    "\"UNIT\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"X\",\"X\"\n"
    "\"DATA\",\"LOCA_TYPE\",\"CP\",\"Cable percussion\"\n\n";
const std::string kUnit =
    "\"GROUP\",\"UNIT\"\n\"HEADING\",\"UNIT_UNIT\",\"UNIT_DESC\"\n\"UNIT\",\"\",\"\"\n"
    "\"TYPE\",\"X\",\"X\"\n\"DATA\",\"m\",\"metre\"\n\"DATA\",\"yyyy-mm-dd\",\"year month day\"\n\n";
const std::string kType =
    "\"GROUP\",\"TYPE\"\n\"HEADING\",\"TYPE_TYPE\",\"TYPE_DESC\"\n\"UNIT\",\"\",\"\"\n"
    "\"TYPE\",\"X\",\"X\"\n\"DATA\",\"2DP\",\"Value; 2 decimal places\"\n\"DATA\",\"DT\",\"Date\"\n"
    "\"DATA\",\"ID\",\"Identifier\"\n\"DATA\",\"PA\",\"Abbreviation\"\n\"DATA\",\"X\",\"Text\"\n";
// A DICT group declaring `rows` (DICT_TYPE, DICT_GRP, DICT_HDNG).
std::string dict(const std::vector<std::array<const char*, 3>>& rows) {
  std::string out =
      "\n\"GROUP\",\"DICT\"\n"
      "\"HEADING\",\"DICT_TYPE\",\"DICT_GRP\",\"DICT_HDNG\",\"DICT_STAT\",\"DICT_DESC\"\n"
      "\"UNIT\",\"\",\"\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"X\",\"X\",\"X\",\"X\"\n";
  for (const auto& r : rows)
    out += std::string("\"DATA\",\"") + r[0] + "\",\"" + r[1] + "\",\"" + r[2] +
           "\",\"OTHER\",\"user-defined\"\n";
  return out;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

const std::string kClean = kProj + kTran + kLoca + kGeol + kAbbr + kUnit + kType;

AgsCheckReport check(const std::string& text) {
  std::istringstream in(text);
  return checkAgs(in);
}

std::string listed(const AgsCheckReport& r) {
  std::string out;
  for (const AgsIssue& i : r.issues) out += formatIssue(i) + "\n";
  return out;
}

TEST(AgsCheckTest, TheCleanFileHasNoIssue) {
  const AgsCheckReport r = check(crlf(kClean));
  EXPECT_TRUE(r.readable);
  EXPECT_TRUE(r.clean()) << listed(r);
}

struct Broken {
  std::string name;
  std::string text;  // as it is checked
  std::string rule;
  long line;  // of the first issue
};

std::ostream& operator<<(std::ostream& os, const Broken& b) { return os << b.name; }

// kLoca with user-defined headings added at the end of its rows, each with
// the value `value` for BH1 and nothing for BH2.
std::string locaWith(const std::vector<std::string>& headings, const std::string& value) {
  std::string h, u, t, one, two;
  for (const std::string& name : headings) {
    h += ",\"" + name + "\"";
    u += ",\"\"";
    t += ",\"X\"";
    one += ",\"" + value + "\"";
    two += ",\"\"";
  }
  std::string loca = replaced(kLoca, "\"LOCA_STAR\"\n", "\"LOCA_STAR\"" + h + "\n");
  loca = replaced(loca, "\"yyyy-mm-dd\"\n", "\"yyyy-mm-dd\"" + u + "\n");
  loca = replaced(loca, "\"DT\"\n", "\"DT\"" + t + "\n");
  loca = replaced(loca, "\"2025-01-01\"\n", "\"2025-01-01\"" + one + "\n");
  return replaced(loca, "\"11.00\",\"\"\n", "\"11.00\",\"\"" + two + "\n");
}

std::string withLoca(const std::string& loca) { return replaced(kClean, kLoca, loca); }

std::vector<Broken> brokenFiles() {
  const std::string geolWithoutBase =
      "\"GROUP\",\"GEOL\"\n\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_DESC\"\n"
      "\"UNIT\",\"\",\"m\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"X\"\n"
      "\"DATA\",\"BH1\",\"0.00\",\"Topsoil\"\n\"DATA\",\"BH1\",\"1.20\",\"Clay\"\n\n";
  const std::string locaUserInside =
      "\"GROUP\",\"LOCA\"\n"
      "\"HEADING\",\"LOCA_ID\",\"LOCA_TYPE\",\"LOCA_NOTE\",\"LOCA_GL\",\"LOCA_STAR\"\n"
      "\"UNIT\",\"\",\"\",\"\",\"m\",\"yyyy-mm-dd\"\n\"TYPE\",\"ID\",\"PA\",\"X\",\"2DP\",\"DT\"\n"
      "\"DATA\",\"BH1\",\"CP\",\"a note\",\"12.50\",\"2025-01-01\"\n"
      "\"DATA\",\"BH2\",\"CP\",\"\",\"11.00\",\"\"\n\n";
  const std::string twoRows = "\"DATA\",\"BH1\",\"0.00\",\"1.20\",\"Topsoil\"\n\"DATA\",\"BH1\","
                              "\"1.20\",\"3.00\",\"Clay\"\n";
  return {
      {"Rule1_NotAscii", crlf(replaced(kClean, "Topsoil", "Tops\xC3\xB6il")), "1", 24},
      {"Rule2_NoDataRows", crlf(replaced(kClean, twoRows, "")), "2", 20},
      {"Rule2a_LineEnd", replaced(crlf(kClean), "\"Test\"\r\n", "\"Test\"\n"), "2a", 5},
      {"Rule2b_NoUnitRow", crlf(replaced(kClean, "\"UNIT\",\"\",\"\",\"m\",\"yyyy-mm-dd\"\n", "")),
       "2b", 16},
      {"Rule3_Descriptor",
       crlf(replaced(kClean, "\n\"GROUP\",\"GEOL\"", "\n\"NOTE\",\"x\"\n\"GROUP\",\"GEOL\"")), "3",
       20},
      {"Rule4_Count", crlf(replaced(kClean, "\"Clay\"", "\"Clay\",\"stiff\"")), "4", 25},
      {"Rule5_Quotes", crlf(replaced(kClean, "\"DATA\",\"BH2\"", "\"DATA\",BH2")), "5", 18},
      {"Rule6_Separator", crlf(replaced(kClean, "\"DATA\",\"BH2\"", "\"DATA\", \"BH2\"")), "6", 18},
      {"Rule7_Order",
       crlf(replaced(kClean, "\"GEOL_TOP\",\"GEOL_BASE\"", "\"GEOL_BASE\",\"GEOL_TOP\"")), "7", 21},
      {"Rule8_Decimals", crlf(replaced(kClean, "\"1.20\",\"3.00\"", "\"1.2\",\"3.00\"")), "8", 25},
      {"Rule8_DateForm", crlf(replaced(kClean, "2025-01-01", "01/01/2025")), "8", 17},
      {"Rule8_DateOutOfRange", crlf(replaced(kClean, "2025-01-01", "2025-02-30")), "8", 17},
      {"Rule9_UserHeadingFirst",
       crlf(replaced(kClean, kLoca, locaUserInside) + dict({{"HEADING", "LOCA", "LOCA_NOTE"}})),
       "9", 14},
      {"Rule10a_KeyMissing", crlf(replaced(kClean, kGeol, geolWithoutBase)), "10a", 21},
      {"Rule10a_KeyRepeated",
       crlf(replaced(kClean, "\"DATA\",\"BH1\",\"1.20\",\"3.00\"",
                     "\"DATA\",\"BH1\",\"0.00\",\"1.20\"")),
       "10a", 25},
      {"Rule10b_RequiredEmpty", crlf(replaced(kClean, "\"Us\"", "\"\"")), "10b", 11},
      {"Rule10c_NoParent",
       crlf(replaced(kClean, "\"DATA\",\"BH1\",\"1.20\"", "\"DATA\",\"BH9\",\"1.20\"")), "10c", 25},
      {"Rule13_NoProj", crlf(replaced(kClean, kProj, "")), "13", 0},
      {"Rule13_TwoRows",
       crlf(replaced(kClean, "\"DATA\",\"P1\",\"Test\"\n",
                     "\"DATA\",\"P1\",\"Test\"\n\"DATA\",\"P2\",\"Test\"\n")),
       "13", 1},
      {"Rule14_NoTran", crlf(replaced(kClean, kTran, "")), "14", 0},
      {"Rule15_UnitNotListed",
       crlf(replaced(kClean, "\"\",\"\",\"m\",\"yyyy", "\"\",\"\",\"ft\",\"yyyy")), "15", 15},
      {"Rule16_CodeNotListed", crlf(replaced(kClean, "\"BH2\",\"CP\"", "\"BH2\",\"RC\"")), "16",
       18},
      {"Rule17_TypeNotListed", crlf(replaced(kClean, "\"DATA\",\"DT\",\"Date\"\n", "")), "17", 10},
      {"Rule18_NotInDict", crlf(withLoca(locaWith({"LOCA_NOTE"}, "a note"))), "18", 14},
      {"Rule18a_DictOrder",
       crlf(withLoca(locaWith({"LOCA_NA", "LOCA_NB"}, "x")) +
            dict({{"HEADING", "LOCA", "LOCA_NB"}, {"HEADING", "LOCA", "LOCA_NA"}})),
       "18a", 14},
      {"Rule19_GroupName",
       crlf(kClean + dict({{"GROUP", "MYGROUP", ""}}) +
            "\n\"GROUP\",\"MYGROUP\"\n\"HEADING\",\"LOCA_ID\"\n\"UNIT\",\"\"\n"
            "\"TYPE\",\"ID\"\n\"DATA\",\"BH1\"\n"),
       "19", 56},
      {"Rule19a_HeadingName",
       crlf(withLoca(locaWith({"LOCA_remark"}, "x")) + dict({{"HEADING", "LOCA", "LOCA_remark"}})),
       "19a", 14},
      {"Rule19b_HeadingPrefix",
       crlf(withLoca(locaWith({"GL_X"}, "x")) + dict({{"HEADING", "LOCA", "GL_X"}})), "19b", 14},
      {"Rule20_FileSet", crlf(withLoca(locaWith({"FILE_FSET"}, "FS1"))), "20", 17},
  };
}

class AgsRuleTest : public ::testing::TestWithParam<Broken> {};

TEST_P(AgsRuleTest, OnlyTheBrokenRuleIsReported) {
  const Broken& b = GetParam();
  const AgsCheckReport r = check(b.text);
  ASSERT_FALSE(r.issues.empty()) << b.name;
  std::set<std::string> rules;
  for (const AgsIssue& i : r.issues) rules.insert(i.rule);
  EXPECT_EQ(rules, std::set<std::string>{b.rule}) << listed(r);
  EXPECT_EQ(r.issues[0].line, b.line) << listed(r);
}

INSTANTIATE_TEST_SUITE_P(Rules, AgsRuleTest, ::testing::ValuesIn(brokenFiles()),
                         [](const auto& info) { return info.param.name; });

TEST(AgsCheckTest, IssuesNameTheirGroupAndHeading) {
  const AgsCheckReport r = check(crlf(replaced(kClean, "\"1.20\",\"3.00\"", "\"1.2\",\"3.00\"")));
  ASSERT_EQ(r.issues.size(), 1u);
  EXPECT_EQ(formatIssue(r.issues[0]),
            "Line 25: Rule 8: GEOL GEOL_TOP: \"1.2\" is not a number with 2 decimal places");
}

TEST(AgsCheckTest, ManyIssuesOfOneKindAreCutShort) {
  std::string rows;
  for (int i = 0; i < 60; ++i) rows += "\"DATA\",\"BH1\",\"" + std::to_string(i) + ".5\",\"x\",\"\"\n";
  const std::string geol = replaced(
      replaced(kGeol, "\"DATA\",\"BH1\",\"0.00\",\"1.20\",\"Topsoil\"\n\"DATA\",\"BH1\",\"1.20\","
                      "\"3.00\",\"Clay\"\n",
               rows),
      "", "");
  const AgsCheckReport r = check(crlf(replaced(kClean, kGeol, geol)));
  // Each row breaks 2DP twice (top and base) and only the first fifty of
  // each heading are listed.
  ASSERT_EQ(r.issues.size(), 102u) << listed(r);
  EXPECT_EQ(r.issues.back().message, "and 10 more of the same kind from this line on");
  EXPECT_EQ(r.issues.back().line, 74);
}

TEST(AgsCheckTest, AFileWithoutGroupsIsUnreadable) {
  const AgsCheckReport r = check("just some text\r\nand more\r\n");
  EXPECT_FALSE(r.readable);
  EXPECT_EQ(r.error, "not an AGS file: no line is a GROUP row");
}

TEST(AgsValuesTest, ValuesAgainstTheirTypes) {
  struct Case {
    const char* type;
    const char* unit;
    const char* value;
    bool ok;
  };
  const Case cases[] = {
      {"2DP", "", "12.50", true},      {"2DP", "", "-0.25", true},
      {"2DP", "", "12.5", false},      {"2DP", "", "12.500", false},
      {"0DP", "", "12", true},         {"0DP", "", "12.", false},
      {"2DP", "", "1e2", false},       {"2DP", "", "", true},
      {"3SF", "", "0.0123", true},     {"3SF", "", "1200", true},
      {"3SF", "", "12", false},        {"2SCI", "", "1.23E-04", true},
      {"2SCI", "", "12.3E-04", false}, {"DT", "yyyy-mm-dd", "2024-02-29", true},
      {"DT", "yyyy-mm-dd", "2023-02-29", false},
      {"DT", "yyyy-mm-ddThh:mm", "2024-09-16T13:05", true},
      {"DT", "yyyy-mm-ddThh:mm", "2024-09-16T24:05", false},
      {"DT", "hh:mm", "09:30", true},  {"DT", "", "2024-09-16", true},
      {"T", "hh:mm:ss", "36:10:00", true},
      {"YN", "", "Yes", true},         {"YN", "", "n", true},
      {"YN", "", "maybe", false},      {"DMS", "", "51:30:26.5N", true},
      {"DMS", "", "51.5", false},      {"U", "", "8.25", true},
      {"U", "", "8,25", false},        {"X", "", "anything", true},
      {"PA", "", "CP", true}};
  for (const Case& c : cases)
    EXPECT_EQ(valueTypeProblem(c.type, c.unit, c.value).empty(), c.ok)
        << c.type << " " << c.unit << " \"" << c.value << "\"";
}

TEST(AgsValuesTest, DatesBetweenTheProjectAndTheFile) {
  EXPECT_EQ(isoDate("09/16/2024", DateOrder::kMonthDayYear), "2024-09-16");
  EXPECT_EQ(isoDate("9/6/2024", DateOrder::kMonthDayYear), "2024-09-06");
  EXPECT_EQ(isoDate("16.09.2024", DateOrder::kDayMonthYear), "2024-09-16");
  EXPECT_EQ(isoDate("2024-09-16", DateOrder::kDayMonthYear), "2024-09-16");
  EXPECT_FALSE(isoDate("16/09/2024", DateOrder::kMonthDayYear));
  EXPECT_FALSE(isoDate("Sept. 16", DateOrder::kMonthDayYear));
  EXPECT_FALSE(isoDate("09/16/24", DateOrder::kMonthDayYear));
  EXPECT_EQ(projectDate("2024-09-16T10:30", DateOrder::kMonthDayYear), "09/16/2024");
  EXPECT_EQ(projectDate("2024-09-16", DateOrder::kDayMonthYear), "16/09/2024");
  EXPECT_FALSE(projectDate("16/09/2024", DateOrder::kIso));
}

TEST(AgsValuesTest, FixedDecimals) {
  EXPECT_EQ(fixedDecimals(12.5, 2), "12.50");
  EXPECT_EQ(fixedDecimals(0.125, 2), "0.13");
  EXPECT_EQ(fixedDecimals(-0.001, 2), "0.00");
  EXPECT_EQ(fixedDecimals(65, 0), "65");
}

}  // namespace
}  // namespace sq::exchange
