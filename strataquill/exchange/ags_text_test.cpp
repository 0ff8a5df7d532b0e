// Characters between files and projects, the writer's form, and the facts
// of the standard that the table must keep.

#include <gtest/gtest.h>

#include <sstream>

#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_dictionary.h"
#include "strataquill/exchange/ags_text.h"
#include "strataquill/exchange/ags_writer.h"

namespace sq::exchange {
namespace {

TEST(AgsTextTest, Utf8IsToldFromOtherBytes) {
  EXPECT_TRUE(isValidUtf8("plain"));
  EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(isValidUtf8("caf\xE9"));               // Windows-1252
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));              // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));          // a surrogate
  EXPECT_FALSE(isValidUtf8("\xE2\x80"));              // cut short
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));      // beyond U+10FFFF
  EXPECT_EQ(firstNonAscii("abc\xC3\xA9"), 3u);
  EXPECT_EQ(firstNonAscii("abc"), std::string_view::npos);
}

TEST(AgsTextTest, Windows1252BecomesUtf8) {
  EXPECT_EQ(windows1252ToUtf8("5\xB0 \x93wet\x94 \x96 \x80" "5"),
            "5\xC2\xB0 \xE2\x80\x9Cwet\xE2\x80\x9D \xE2\x80\x93 \xE2\x82\xAC" "5");
  // The five bytes without a character become the replacement character.
  EXPECT_EQ(windows1252ToUtf8("\x81"), "\xEF\xBF\xBD");
  bool cp1252 = true;
  EXPECT_EQ(toUtf8("caf\xC3\xA9", &cp1252), "caf\xC3\xA9");
  EXPECT_FALSE(cp1252);
  EXPECT_EQ(toUtf8("caf\xE9", &cp1252), "caf\xC3\xA9");
  EXPECT_TRUE(cp1252);
}

TEST(AgsTextTest, AsciiStandInsAreCounted) {
  std::map<std::string, int> replaced;
  EXPECT_EQ(toAscii("\xE2\x80\x9CSand\xE2\x80\x9D, 5\xC2\xB0, \xC2\xBD\" \xC3\x86sir \xE2\x82\xAC"
                    "5 \xE2\x88\x9A",
                    &replaced),
            "\"Sand\", 5deg, 1/2\" AEsir EUR5 ?");
  EXPECT_EQ(replaced, (std::map<std::string, int>{{"\xC2\xB0", 1},
                                                  {"\xC2\xBD", 1},
                                                  {"\xC3\x86", 1},
                                                  {"\xE2\x80\x9C", 1},
                                                  {"\xE2\x80\x9D", 1},
                                                  {"\xE2\x82\xAC", 1},
                                                  {"\xE2\x88\x9A", 1}}));
  // Bytes that are not UTF-8 at all become "?" one by one.
  EXPECT_EQ(toAscii("a\xFF" "b"), "a?b");
  EXPECT_EQ(characterAt("x\xE2\x80\x93y", 1), "\xE2\x80\x93");
}

TEST(AgsWriterTest, GroupsAreWrittenQuotedWithCrLf) {
  AgsTable a("LOCA");
  a.column("LOCA_ID", "", "ID");
  a.column("LOCA_REM");
  a.column("LOCA_GL", "m", "2DP");
  auto& row = a.addRow();
  a.set(row, "LOCA_ID", "BH \"1\"");
  a.set(row, "LOCA_GL", "4.50");
  AgsTable empty("GEOL");
  empty.column("LOCA_ID");
  AgsTable b("PROJ");
  b.column("PROJ_ID");
  b.set(b.addRow(), "PROJ_ID", "P1");
  a.dropEmptyColumns({"LOCA_ID"});
  std::ostringstream out;
  writeAgs(out, {a, empty, b});
  EXPECT_EQ(out.str(),
            "\"GROUP\",\"LOCA\"\r\n\"HEADING\",\"LOCA_ID\",\"LOCA_GL\"\r\n\"UNIT\",\"\",\"m\"\r\n"
            "\"TYPE\",\"ID\",\"2DP\"\r\n\"DATA\",\"BH \"\"1\"\"\",\"4.50\"\r\n\r\n"
            "\"GROUP\",\"PROJ\"\r\n\"HEADING\",\"PROJ_ID\"\r\n\"UNIT\",\"\"\r\n\"TYPE\",\"X\"\r\n"
            "\"DATA\",\"P1\"\r\n");
}

TEST(AgsWriterTest, WhatTheWriterWritesTheReaderReadsBack) {
  AgsTable t("GEOL");
  for (const char* h : {"LOCA_ID", "GEOL_TOP", "GEOL_DESC"}) t.column(h);
  const std::vector<std::string> texts = {"", "\"", "a,b", "\"\"", " lead", "x\"y\"z", ",\""};
  for (const std::string& text : texts) {
    auto& row = t.addRow();
    t.set(row, "LOCA_ID", "B");
    t.set(row, "GEOL_DESC", text);
  }
  std::ostringstream out;
  writeAgs(out, {t});
  std::istringstream in(out.str());
  struct Collect : AgsVisitor {
    std::vector<std::string> desc;
    std::vector<AgsIssue> issues;
    void row(const AgsGroup&, const AgsRow& r) override { desc.push_back(r.at(2)); }
    void issue(const AgsIssue& i) override { issues.push_back(i); }
  } collect;
  readAgs(in, collect);
  EXPECT_EQ(collect.desc, texts);
  EXPECT_TRUE(collect.issues.empty());
}

TEST(AgsDictionaryTest, TheTableKeepsTheStandardsFacts) {
  EXPECT_EQ(agsGroups().size(), 148u);
  const AgsGroupDef* geol = findAgsGroup("GEOL");
  ASSERT_NE(geol, nullptr);
  EXPECT_STREQ(geol->parent, "LOCA");
  ASSERT_NE(geol->heading("GEOL_TOP"), nullptr);
  EXPECT_TRUE(geol->heading("GEOL_TOP")->key());
  EXPECT_STREQ(geol->heading("GEOL_TOP")->type, "2DP");
  EXPECT_STREQ(geol->heading("GEOL_TOP")->unit, "m");
  EXPECT_EQ(geol->position("GEOL_DESC"), 3);
  EXPECT_EQ(geol->heading("GEOL_NOPE"), nullptr);
  const AgsGroupDef* proj = findAgsGroup("PROJ");
  EXPECT_TRUE(proj->heading("PROJ_ID")->key() && proj->heading("PROJ_ID")->required());
  EXPECT_TRUE(findAgsGroup("TRAN")->heading("TRAN_AGS")->required());
  EXPECT_FALSE(findAgsGroup("TRAN")->heading("TRAN_AGS")->key());
  EXPECT_STREQ(findAgsGroup("MOND")->parent, "MONG");
  EXPECT_STREQ(findAgsGroup("WSTD")->parent, "WSTG");
  EXPECT_STREQ(findAgsGroup("UNIT")->parent, "");
  EXPECT_EQ(findAgsGroup("ZZZZ"), nullptr);
}

// More of the check, on what the per-rule files leave out.
std::vector<AgsIssue> checked(const std::string& text) {
  std::istringstream in(text);
  return checkAgs(in).issues;
}

const std::string kHeader =
    "\"GROUP\",\"PROJ\"\r\n\"HEADING\",\"PROJ_ID\"\r\n\"UNIT\",\"\"\r\n\"TYPE\",\"ID\"\r\n"
    "\"DATA\",\"P1\"\r\n\r\n\"GROUP\",\"TRAN\"\r\n"
    "\"HEADING\",\"TRAN_ISNO\",\"TRAN_DATE\",\"TRAN_PROD\",\"TRAN_STAT\",\"TRAN_AGS\",\"TRAN_RECV\","
    "\"TRAN_RCON\"\r\n\"UNIT\",\"\",\"yyyy-mm-dd\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"TYPE\",\"X\",\"DT\",\"X\",\"X\",\"X\",\"X\",\"X\"\r\n"
    "\"DATA\",\"1\",\"2025-01-02\",\"Us\",\"Final\",\"4.1.1\",\"Them\",\";\"\r\n\r\n"
    "\"GROUP\",\"LOCA\"\r\n\"HEADING\",\"LOCA_ID\",\"LOCA_TYPE\"\r\n\"UNIT\",\"\",\"\"\r\n"
    "\"TYPE\",\"ID\",\"PA\"\r\n\"DATA\",\"BH1\",\"CP;RC\"\r\n\"DATA\",\"BH2\",\"CP+RC\"\r\n\r\n";
const std::string kFooter =
    "\r\n\"GROUP\",\"ABBR\"\r\n\"HEADING\",\"ABBR_HDNG\",\"ABBR_CODE\",\"ABBR_DESC\"\r\n"
    "\"UNIT\",\"\",\"\",\"\"\r\n\"TYPE\",\"X\",\"X\",\"X\"\r\n"
    "\"DATA\",\"LOCA_TYPE\",\"CP\",\"Cable percussion\"\r\n"
    "\"DATA\",\"LOCA_TYPE\",\"RC\",\"Rotary cored\"\r\n\r\n"
    "\"GROUP\",\"UNIT\"\r\n\"HEADING\",\"UNIT_UNIT\",\"UNIT_DESC\"\r\n\"UNIT\",\"\",\"\"\r\n"
    "\"TYPE\",\"X\",\"X\"\r\n\"DATA\",\"m\",\"metre\"\r\n\"DATA\",\"min\",\"minute\"\r\n"
    "\"DATA\",\"yyyy-mm-dd\",\"date\"\r\n\r\n"
    "\"GROUP\",\"TYPE\"\r\n\"HEADING\",\"TYPE_TYPE\",\"TYPE_DESC\"\r\n\"UNIT\",\"\",\"\"\r\n"
    "\"TYPE\",\"X\",\"X\"\r\n\"DATA\",\"0DP\",\"v\"\r\n\"DATA\",\"2DP\",\"v\"\r\n"
    "\"DATA\",\"DT\",\"d\"\r\n\"DATA\",\"ID\",\"i\"\r\n\"DATA\",\"PA\",\"a\"\r\n\"DATA\",\"X\",\"t\"\r\n";

// The issues of kHeader, `group` and kFooter, with the locations' codes
// made plain, each formatted.
std::vector<std::string> issuesWith(const std::string& group) {
  std::string text = kHeader + group + kFooter;
  text.replace(text.find("\"CP;RC\""), 7, "\"CP\"").replace(text.find("\"CP+RC\""), 7, "\"RC\"");
  std::vector<std::string> out;
  for (const AgsIssue& i : checked(text)) out.push_back(formatIssue(i));
  return out;
}

TEST(AgsCheckDetailTest, CodesAreSplitAtTheFilesConcatenator) {
  // TRAN_RCON is ";": "CP;RC" is two known codes, "CP+RC" one unknown one.
  const auto issues = checked(kHeader + kFooter);
  ASSERT_EQ(issues.size(), 1u);
  EXPECT_EQ(formatIssue(issues[0]),
            "Line 18: Rule 16: LOCA LOCA_TYPE: the abbreviation \"CP+RC\" is not in the ABBR group");
}

TEST(AgsCheckDetailTest, ChildRowsFindParentsByEveryKeyTheyShare) {
  // WSTD rows belong to a strike: the location and its depth together.
  const std::string strikes =
      "\"GROUP\",\"WSTG\"\r\n\"HEADING\",\"LOCA_ID\",\"WSTG_DPTH\"\r\n\"UNIT\",\"\",\"m\"\r\n"
      "\"TYPE\",\"ID\",\"2DP\"\r\n\"DATA\",\"BH1\",\"1.20\"\r\n\"DATA\",\"BH2\",\"3.40\"\r\n\r\n"
      "\"GROUP\",\"WSTD\"\r\n\"HEADING\",\"LOCA_ID\",\"WSTG_DPTH\",\"WSTD_NMIN\"\r\n"
      "\"UNIT\",\"\",\"m\",\"min\"\r\n\"TYPE\",\"ID\",\"2DP\",\"0DP\"\r\n"
      "\"DATA\",\"BH1\",\"1.20\",\"5\"\r\n\"DATA\",\"BH1\",\"3.40\",\"5\"\r\n"
      "\"DATA\",\"BH1\",\"3.40\",\"10\"\r\n";
  EXPECT_EQ(issuesWith(strikes),
            std::vector<std::string>{
                "Line 32: Rule 10c: WSTD: no WSTG row with LOCA_ID \"BH1\", WSTG_DPTH \"3.40\""});
}

TEST(AgsCheckDetailTest, OwnIdentifiersAreUnique) {
  const std::string samples =
      "\"GROUP\",\"SAMP\"\r\n"
      "\"HEADING\",\"LOCA_ID\",\"SAMP_TOP\",\"SAMP_REF\",\"SAMP_TYPE\",\"SAMP_ID\"\r\n"
      "\"UNIT\",\"\",\"m\",\"\",\"\",\"\"\r\n\"TYPE\",\"ID\",\"2DP\",\"X\",\"X\",\"ID\"\r\n"
      "\"DATA\",\"BH1\",\"1.00\",\"1\",\"D\",\"S-1\"\r\n"
      "\"DATA\",\"BH1\",\"2.00\",\"2\",\"D\",\"S-1\"\r\n"
      "\"DATA\",\"BH1\",\"3.00\",\"3\",\"D\",\"\"\r\n\"DATA\",\"BH1\",\"4.00\",\"4\",\"D\",\"\"\r\n";
  EXPECT_EQ(issuesWith(samples),
            std::vector<std::string>{
                "Line 25: Rule 8: SAMP SAMP_ID: the identifier repeats that of line 24"});
}

TEST(AgsCheckDetailTest, AFileOfAbbreviationsWithoutAnAbbrGroupIsToldOnce) {
  std::string text = kHeader + kFooter;
  const std::size_t abbr = text.find("\"GROUP\",\"ABBR\"");
  text.erase(abbr, text.find("\"GROUP\",\"UNIT\"") - abbr);
  const auto issues = checked(text);
  ASSERT_EQ(issues.size(), 1u);
  EXPECT_EQ(issues[0].rule, "16");
  EXPECT_EQ(issues[0].message, "the file uses abbreviations but has no ABBR group");
}

}  // namespace
}  // namespace sq::exchange
