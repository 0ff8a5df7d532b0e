// The reader on the files met in practice: line ends, quoting slips,
// characters outside ASCII, missing header rows, counts that do not match,
// continuation lines and long files.

#include "strataquill/exchange/ags_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sq::exchange {
namespace {

struct Recorded {
  std::vector<AgsIssue> issues;
  std::vector<AgsGroup> groups;
  std::vector<std::pair<std::string, AgsRow>> rows;  // group name, row
  AgsReadResult result;

  std::vector<std::string> issueList() const {
    std::vector<std::string> out;
    for (const AgsIssue& i : issues) out.push_back(formatIssue(i));
    return out;
  }
};

class Recorder : public AgsVisitor {
 public:
  explicit Recorder(Recorded& r) : r_(r) {}
  void issue(const AgsIssue& i) override { r_.issues.push_back(i); }
  void groupStart(const AgsGroup& g) override { r_.groups.push_back(g); }
  void row(const AgsGroup& g, const AgsRow& row) override { r_.rows.emplace_back(g.name, row); }

 private:
  Recorded& r_;
};

Recorded read(const std::string& text) {
  Recorded r;
  Recorder recorder(r);
  std::istringstream in(text);
  r.result = readAgs(in, recorder);
  return r;
}

const std::string kGroup =
    "\"GROUP\",\"GEOL\"\r\n"
    "\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_DESC\"\r\n"
    "\"UNIT\",\"\",\"m\",\"\"\r\n"
    "\"TYPE\",\"ID\",\"2DP\",\"X\"\r\n";

TEST(AgsReaderTest, ReadsGroupsAndRowsWithTheirLines) {
  const Recorded r = read(kGroup + "\"DATA\",\"BH1\",\"0.50\",\"Sand, \"\"clean\"\"\"\r\n\r\n" +
                          "\"GROUP\",\"PROJ\"\r\n\"HEADING\",\"PROJ_ID\"\r\n\"UNIT\",\"\"\r\n"
                          "\"TYPE\",\"ID\"\r\n\"DATA\",\"P1\"\r\n");
  EXPECT_TRUE(r.issues.empty()) << r.issueList()[0];
  ASSERT_EQ(r.groups.size(), 2u);
  EXPECT_EQ(r.groups[0].headings, (std::vector<std::string>{"LOCA_ID", "GEOL_TOP", "GEOL_DESC"}));
  EXPECT_EQ(r.groups[0].units[1], "m");
  EXPECT_EQ(r.groups[0].types[1], "2DP");
  EXPECT_EQ(r.groups[0].typeLine, 4);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].second.line, 5);
  EXPECT_EQ(r.rows[0].second.values[2], "Sand, \"clean\"");
  EXPECT_EQ(r.rows[1].first, "PROJ");
  EXPECT_EQ(r.rows[1].second.line, 11);
  EXPECT_EQ(r.result.lines, 11);
  EXPECT_EQ(r.result.groups, 2);
}

TEST(AgsReaderTest, LineEndsOtherThanCrLfAreReportedOnTheirLines) {
  const Recorded r = read("\"GROUP\",\"PROJ\"\n\"HEADING\",\"PROJ_ID\"\r\n\"UNIT\",\"\"\r"
                          "\"TYPE\",\"ID\"\r\n\"DATA\",\"P1\"");
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{"Line 1: Rule 2a: line ends with LF alone, not CR LF",
                                      "Line 3: Rule 2a: PROJ: line ends with CR alone, not CR LF"}));
  ASSERT_EQ(r.rows.size(), 1u);  // the last line may lack its line end
  EXPECT_EQ(r.rows[0].second.values[0], "P1");
}

TEST(AgsReaderTest, QuotingSlipsAreReportedAndTheValuesStillRead) {
  std::vector<std::string> fields;
  std::vector<std::pair<std::string, std::string>> problems;
  splitAgsLine("\"DATA\",BH1,\"12\" pipe\",\"open", fields, &problems);
  EXPECT_EQ(fields, (std::vector<std::string>{"DATA", "BH1", "12\" pipe", "open"}));
  EXPECT_EQ(problems, (std::vector<std::pair<std::string, std::string>>{
                          {"5", "field 2 is not enclosed in double quotes"},
                          {"5", "a double quote inside field 3 is not doubled"},
                          {"5", "field 4 has no closing double quote"}}));

  problems.clear();
  splitAgsLine("\"DATA\" , \"a\",\"b\",", fields, &problems);
  EXPECT_EQ(fields, (std::vector<std::string>{"DATA", "a", "b", ""}));
  EXPECT_EQ(problems, (std::vector<std::pair<std::string, std::string>>{
                          {"6", "blanks after field 1"},
                          {"6", "blanks before field 2"},
                          {"5", "the line ends with a comma"}}));
}

TEST(AgsReaderTest, Windows1252AndUtf8CharactersBecomeUtf8WithTheirLine) {
  const Recorded r = read(kGroup + "\"DATA\",\"BH1\",\"0.50\",\"Caf\xE9 fill\"\r\n" +
                          "\"DATA\",\"BH1\",\"1.00\",\"Caf\xC3\xA9 fill\"\r\n");
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].second.values[2], "Caf\xC3\xA9 fill");
  EXPECT_EQ(r.rows[1].second.values[2], "Caf\xC3\xA9 fill");
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{
                "Line 5: Rule 1: GEOL GEOL_DESC: character 0xE9 is not ASCII (read as "
                "Windows-1252 \"\xC3\xA9\")",
                "Line 6: Rule 1: GEOL GEOL_DESC: character \"\xC3\xA9\" is not ASCII (UTF-8)"}));
}

TEST(AgsReaderTest, AByteOrderMarkIsReportedAndSkipped) {
  const Recorded r = read("\xEF\xBB\xBF" + kGroup + "\"DATA\",\"BH1\",\"0.50\",\"\"\r\n");
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_EQ(r.issueList(), std::vector<std::string>{
                               "Line 1: Rule 1: the file starts with a UTF-8 byte order mark"});
}

TEST(AgsReaderTest, MissingUnitAndTypeRowsLeaveEmptyUnitsAndTypes) {
  const Recorded r = read("\"GROUP\",\"GEOL\"\r\n\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\"\r\n"
                          "\"DATA\",\"BH1\",\"0.5\"\r\n");
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{"Line 3: Rule 2b: GEOL: group GEOL has no UNIT row",
                                      "Line 3: Rule 2b: GEOL: group GEOL has no TYPE row"}));
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_FALSE(r.groups[0].hasUnit);
  EXPECT_EQ(r.groups[0].units, (std::vector<std::string>{"", ""}));
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_TRUE(r.rows[0].second.aligned);
}

TEST(AgsReaderTest, HeaderRowsOutOfPlace) {
  const Recorded r = read("\"UNIT\",\"m\"\r\n\"GROUP\",\"GEOL\"\r\n\"HEADING\",\"LOCA_ID\"\r\n"
                          "\"TYPE\",\"ID\"\r\n\"UNIT\",\"\"\r\n\"DATA\",\"BH1\"\r\n"
                          "\"HEADING\",\"X\"\r\n\"DATA\",\"BH2\"\r\n\"GROUP\",\"LOCA\"\r\n");
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{
                "Line 1: Rule 2b: UNIT row before the HEADING row",
                "Line 5: Rule 2b: GEOL: the UNIT row must come before the TYPE row",
                "Line 7: Rule 2b: GEOL: a second HEADING row in group GEOL",
                "Line 9: Rule 2: LOCA: the group has no DATA rows"}));
  EXPECT_EQ(r.rows.size(), 2u);
}

TEST(AgsReaderTest, ACountThatDoesNotMatchTheHeadingsLeavesTheRowUnaligned) {
  const Recorded r = read(kGroup + "\"DATA\",\"BH1\",\"0.50\"\r\n\"DATA\",\"BH1\",\"1.00\",\"a\"\r\n");
  EXPECT_EQ(r.issueList(), std::vector<std::string>{
                               "Line 5: Rule 4: GEOL: DATA row has 2 values for 3 headings"});
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_FALSE(r.rows[0].second.aligned);
  EXPECT_TRUE(r.rows[1].second.aligned);
}

TEST(AgsReaderTest, ContinuationLinesAreJoinedToTheirDataRow) {
  const Recorded r = read(kGroup + "\"DATA\",\"BH1\",\"0.50\",\"Firm brown \"\r\n" +
                          "\"<CONT>\",\"\",\"\",\"sandy CLAY\"\r\n" +
                          "\"DATA\",\"<CONT>\",\"\",\" with gravel\"\r\n" +
                          "\"DATA\",\"BH1\",\"1.00\",\"Sand\"\r\n");
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].second.values[2], "Firm brown sandy CLAY with gravel");
  EXPECT_EQ(r.rows[0].second.line, 5);
  EXPECT_EQ(r.rows[1].second.line, 8);
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{
                "Line 6: Rule 3: GEOL: a continuation line (<CONT>) is not part of AGS4; joined "
                "to the DATA row on line 5",
                "Line 7: Rule 3: GEOL: a continuation line (<CONT>) is not part of AGS4; joined "
                "to the DATA row on line 5"}));
}

TEST(AgsReaderTest, UnknownDescriptorsAndStrayContinuations) {
  const Recorded r = read("\"<CONT>\",\"x\"\r\n\"HEADER\",\"A\"\r\n,\r\n");
  EXPECT_EQ(r.issueList(),
            (std::vector<std::string>{
                "Line 1: Rule 3: a continuation line (<CONT>) with no DATA row before it",
                "Line 2: Rule 3: \"HEADER\" is not a data descriptor (GROUP, HEADING, UNIT, TYPE "
                "or DATA)",
                "Line 3: Rule 5: field 1 is not enclosed in double quotes",
                "Line 3: Rule 5: the line ends with a comma",
                "Line 3: Rule 3: the line has no data descriptor"}));
  EXPECT_EQ(r.result.groups, 0);
}

TEST(AgsReaderTest, AHundredThousandRowsKeepTheirLineNumbers) {
  std::string text = kGroup;
  for (int i = 0; i < 100000; ++i)
    text += "\"DATA\",\"BH" + std::to_string(i / 100) + "\",\"" + std::to_string(i) + ".00\",\"\"\r\n";
  text += "\"DATA\",\"BH\",\"1.00\"\r\n";  // one short row at the very end
  const Recorded r = read(text);
  EXPECT_EQ(r.rows.size(), 100001u);
  EXPECT_EQ(r.rows[99999].second.line, 100004);
  EXPECT_EQ(r.issueList(), std::vector<std::string>{
                               "Line 100005: Rule 4: GEOL: DATA row has 2 values for 3 headings"});
}

TEST(AgsReaderTest, ALineTooLongToHoldMakesTheFileUnreadable) {
  std::string text = kGroup + "\"DATA\",\"BH1\",\"0.50\",\"";
  text.append(kMaxAgsLine, 'x');
  const Recorded r = read(text + "\"\r\n");
  EXPECT_FALSE(r.result.readable);
  EXPECT_EQ(r.result.error, "line 5 is longer than 16777216 characters");
}

}  // namespace
}  // namespace sq::exchange
