#include "strataquill/widgets/tsv.h"

#include <gtest/gtest.h>

namespace sq::widgets {
namespace {

TEST(TsvTest, SpreadsheetRowsWithWindowsLineEnds) {
  const auto rows = decodeTsv("0\t5\tClay\r\n5\t12.5\tSand, fine\r\n");
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0], (QStringList{"0", "5", "Clay"}));
  EXPECT_EQ(rows[1], (QStringList{"5", "12.5", "Sand, fine"}));
}

TEST(TsvTest, MultiLineCellsAndQuotesRoundTrip) {
  const QList<QStringList> rows = {{"0", "5", "Clay, stiff\nmoist", "\"CL\" lean", ""},
                                   {"5", "", "tab\there", "say \"hi\"", "end"}};
  const QString text = encodeTsv(rows);
  EXPECT_EQ(decodeTsv(text), rows);
  EXPECT_TRUE(text.startsWith("0\t5\t\"Clay, stiff\nmoist\"\t\"\"\"CL\"\" lean\"\t\n"));
}

TEST(TsvTest, EmptyCellsAndSingleValues) {
  EXPECT_EQ(decodeTsv("\t\tx"), (QList<QStringList>{{"", "", "x"}}));
  EXPECT_EQ(decodeTsv("12.5"), (QList<QStringList>{{"12.5"}}));
  EXPECT_EQ(decodeTsv("a\n\nb\n"), (QList<QStringList>{{"a"}, {""}, {"b"}}));
  EXPECT_TRUE(decodeTsv("").isEmpty());
}

}  // namespace
}  // namespace sq::widgets
