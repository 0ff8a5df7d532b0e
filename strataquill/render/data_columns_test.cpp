#include "strataquill/render/data_columns.h"

#include <fstream>

#include "strataquill/render/render_test_support.h"
#include "strataquill/render/surface_painter.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;

class DataColumnsTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    addBoring("B-1");
  }
  // Lines of a page that lie inside the column from x0 to x1 (inches).
  std::vector<LineOp> linesIn(int page, double x0, double x1) const {
    std::vector<LineOp> out;
    for (const LineOp& l : lines(page))
      if (l.from.x() >= x0 * kTw - 0.01 && l.to.x() <= x1 * kTw + 0.01 &&
          l.to.x() >= x0 * kTw - 0.01 && l.from.x() <= x1 * kTw + 0.01)
        out.push_back(l);
    return out;
  }
  static bool has(const std::vector<LineOp>& ls, double x1, double y1, double x2, double y2) {
    for (const LineOp& l : ls)
      if (std::abs(l.from.x() - x1 * kTw) < 0.5 && std::abs(l.from.y() - y1 * kTw) < 0.5 &&
          std::abs(l.to.x() - x2 * kTw) < 0.5 && std::abs(l.to.y() - y2 * kTw) < 0.5)
        return true;
    return false;
  }
};

// The column runs from y = 2 to y = 10 inches for 40 feet: 0.2 inch a foot.
TEST_F(DataColumnsTest, IntervalAcrossAPageBreakIsOutlinedOnBothPages) {
  addClass("Lithology", "Clay", "clay.png:100");
  addClass("Completion", "Screen", "screen.png:100");
  addLithology("B-1", 35, 45, "", "Clay");
  addCompletion("B-1", 35, 45, "Screen");
  addColumn("Lithology", 1, 2, 2, 10);
  addColumn("Completion", 3, 2, 4, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  // Page 1: depth 35 (y = 9) to the bottom edge; page 2: top edge to 45 (y = 3).
  auto lith1 = linesIn(0, 1, 2), lith2 = linesIn(1, 1, 2);
  EXPECT_TRUE(has(lith1, 1, 9, 1, 10) && has(lith1, 2, 9, 2, 10));
  EXPECT_TRUE(has(lith1, 1, 9, 2, 9) && has(lith1, 1, 10, 2, 10)) << "all four sides";
  EXPECT_TRUE(has(lith2, 1, 2, 2, 2) && has(lith2, 1, 3, 2, 3) && has(lith2, 1, 2, 1, 3));
  auto comp1 = linesIn(0, 3, 4), comp2 = linesIn(1, 3, 4);
  EXPECT_TRUE(has(comp1, 3, 9, 3, 10) && has(comp1, 4, 9, 4, 10));
  EXPECT_EQ(comp1.size(), 2u) << "sides only, and the well is still open at the bottom";
  EXPECT_TRUE(has(comp2, 3, 2, 3, 3) && has(comp2, 4, 2, 4, 3));
  EXPECT_TRUE(has(comp2, 3, 3, 4, 3)) << "a line closes the well where it ends";
  ASSERT_EQ(patterns(0).size(), 2u);
  EXPECT_EQ(patterns(0)[0].rect, QRectF(QPointF(1 * kTw, 9 * kTw), QPointF(2 * kTw, 10 * kTw)));
}

TEST_F(DataColumnsTest, WellEndingOnThePagesBottomDepthIsClosedThere) {
  addClass("Completion", "Screen", "screen.png:100");
  addCompletion("B-1", 20, 40, "Screen");
  addColumn("Completion", 3, 2, 4, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 1);
  EXPECT_TRUE(has(linesIn(0, 3, 4), 3, 10, 4, 10)) << "the closing line on the bottom edge";

  // A well that goes on below the page stays open there and closes where
  // it ends on the next page.
  addCompletion("B-1", 40, 50, "Screen");
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  EXPECT_FALSE(has(linesIn(0, 3, 4), 3, 10, 4, 10));
  EXPECT_TRUE(has(linesIn(1, 3, 4), 3, 4, 4, 4));
  EXPECT_FALSE(has(linesIn(1, 3, 4), 3, 2, 4, 2)) << "not closed at its top";
}

TEST_F(DataColumnsTest, SlicesShareTheWidthAndPatternsScale) {
  addClass("Lithology", "Sandy clay", "sand.png:30:clay.png:70", 96);
  addLithology("B-1", 0, 10, "", "Sandy clay");
  addColumn("Lithology", 1, 2, 2, 10);
  options_.patternScaleFactor = 0.5f;
  compose("B-1");
  auto p = patterns(0);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_NEAR(p[0].rect.width(), 0.3 * kTw, 1e-6);
  EXPECT_NEAR(p[1].rect.left(), 1.3 * kTw, 1e-6);
  EXPECT_NEAR(p[1].rect.width(), 0.7 * kTw, 1e-6);
  EXPECT_NEAR(p[0].tileSize.width(), 0.5 * kTw, 1e-6) << "a 1-inch tile at half size";
  EXPECT_TRUE(has(linesIn(0, 1, 2), 1.3, 2, 1.3, 4)) << "each slice is outlined";

  options_.patternScaleFactor = 0.0f;  // raised to the smallest scale
  compose("B-1");
  EXPECT_NEAR(patterns(0)[0].tileSize.width(), 0.1 * kTw, 1e-6);
}

TEST_F(DataColumnsTest, UnknownClassesAndBadPatternsLeaveTheIntervalBlank) {
  addClass("Lithology", "Clay", "clay.png:100");
  sql(classification_,
      "INSERT INTO Lithology (Description, FileName) VALUES (\"Bare\", "
      "\"clay.png\"), (\"Missing\", \"nothing.png:100\"), (\"Odd\", "
      "\"clay.png:-50:clay.png:150\")");
  addLithology("B-1", 0, 5, "", "clay");       // case differs
  addLithology("B-1", 5, 10, "", "Bare");      // no colon: no slice
  addLithology("B-1", 10, 15, "", "Missing");  // outlined, not filled
  addLithology("B-1", 15, 20, "", "Odd");      // negative share skipped
  addLithology("B-1", 25, 20, "", "Clay");     // From after To
  addColumn("Lithology", 1, 2, 2, 10);
  compose("B-1");
  auto p = patterns(0);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_NEAR(p[0].rect.width(), 1.5 * kTw, 1e-6);
  auto ls = linesIn(0, 1, 2);
  EXPECT_FALSE(has(ls, 1, 2, 2, 2)) << "the unknown class has no outline";
  EXPECT_TRUE(has(ls, 1, 4, 2, 4)) << "the missing picture's slice is still outlined";
}

TEST_F(DataColumnsTest, BlowCountsCentreOnTheirIntervalAndStayInside) {
  addClass("Samples", "SPT", "spt.png:100");
  addSample("B-1", 10, 11.5, "SPT", "5-7-9");
  addSample("B-1", 0, 0.5, "SPT", "top");
  addSample("B-1", 39.5, 40, "SPT", "bottom");
  addSample("B-1", 38, 46, "SPT", "middle off page");
  addColumn("Blow Count", 3, 2, 4, 10);
  compose("B-1");
  PrintSurface probe;
  probe.font.size = 8;
  const double h = probe.textHeight();
  std::map<std::string, double> top;
  for (const TextOp& t : textOps(0)) top[t.text.toStdString()] = t.origin.y();
  ASSERT_TRUE(top.count("5-7-9"));
  EXPECT_NEAR(top["5-7-9"], (2 + 10.75 * 0.2) * kTw - h / 2, 0.5);
  EXPECT_NEAR(top["top"], 2 * kTw, 0.5) << "pushed down to the column top";
  EXPECT_NEAR(top["bottom"], 10 * kTw - h - 0.03 * kTw, 0.5) << "pushed up inside";
  EXPECT_FALSE(top.count("middle off page")) << "its middle (42) is on the next page";
  const auto page2 = texts(1);
  EXPECT_EQ(std::count(page2.begin(), page2.end(), "middle off page"), 1);
}

TEST_F(DataColumnsTest, SampleSpanningThePageIsDrawn) {
  addClass("Samples", "Core", "core.png:100");
  addSample("B-1", 30, 100, "Core", "");
  addColumn("Sample Symbol", 3, 2, 4, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 3);
  EXPECT_EQ(patterns(1).size(), 1u);
  EXPECT_EQ(patterns(1)[0].rect, QRectF(QPointF(3 * kTw, 2 * kTw), QPointF(4 * kTw, 10 * kTw)));
}

TEST_F(DataColumnsTest, ClassificationColumnRulesUnderEachInterval) {
  addLithology("B-1", 0, 10, "", "SP - Poorly graded sand");
  addLithology("B-1", 10, 40, "", "CL - Lean clay");
  addColumn("Classification", 5, 2, 7, 10);
  sql(layout_, "UPDATE ColumnGraphics SET PenWidth = 20");
  compose("B-1");
  auto ls = linesIn(0, 5, 7);
  ASSERT_EQ(ls.size(), 1u) << "a line at 10; 40 is the bottom edge";
  EXPECT_TRUE(has(ls, 5, 4, 7, 4));
  EXPECT_EQ(ls[0].pen.width, 0) << "the thinnest line";
  EXPECT_EQ(texts(0), (std::vector<std::string>{"SP - Poorly graded sand", "CL - Lean clay"}));
}

TEST_F(DataColumnsTest, DescriptionsWrapAndCarryToTheNextPage) {
  std::string longText;
  for (int i = 0; i < 60; ++i) longText += "word" + std::to_string(i) + " ";
  addLithology("B-1", 30, 38, longText, "x", "1 - Dash");
  addLithology("B-1", 38, 60, "Second unit.", "x");
  addColumn("Description", 2, 2, 4, 10);  // text area 2.3 .. 3.7
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  PrintSurface probe;
  probe.font.size = 8;
  std::string onPage1, onPage2;
  for (const TextOp& t : textOps(0)) {
    onPage1 += t.text.toStdString() + " ";
    EXPECT_GE(t.origin.x(), 2.3 * kTw - 0.5);
    EXPECT_LE(t.origin.x() + probe.textWidth(t.text), 3.7 * kTw + 0.5);
    EXPECT_LE(t.origin.y() + probe.textHeight(), 10 * kTw + 0.5);
  }
  const auto page2 = textOps(1);
  ASSERT_FALSE(page2.empty());
  EXPECT_NEAR(page2[0].origin.y(), 2 * kTw, 0.5) << "carried lines start at the column top";
  for (const TextOp& t : page2) onPage2 += t.text.toStdString() + " ";
  EXPECT_EQ((onPage1 + onPage2).find(longText), 0u) << "nothing lost, nothing repeated";
  EXPECT_NE(onPage2.find("Second unit."), std::string::npos);

  // The separator leaves page 1 through its bottom edge and is finished on
  // page 2 from the column top, with the interval's pen style.
  bool legLeavesPage1 = false, legOnPage2 = false;
  for (const LineOp& l : lines(0))
    legLeavesPage1 |= l.pen.style == kPenDash && std::abs(l.to.y() - 10 * kTw) < 0.5;
  for (const LineOp& l : lines(1))
    legOnPage2 |= l.pen.style == kPenDash && std::abs(l.from.y() - 2 * kTw) < 0.5;
  EXPECT_TRUE(legLeavesPage1);
  EXPECT_TRUE(legOnPage2);
}

TEST_F(DataColumnsTest, DescriptionOverrunningTheLastDepthGetsItsOwnPage) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += (i ? " long" : "long") + std::to_string(i);
  addLithology("B-1", 35, 40, text, "x");
  addColumn("Description", 2, 2, 4, 10);
  compose("B-1");
  std::string all;
  for (int p = 0; p < surface_.pageCount(); ++p)
    for (const std::string& t : texts(p)) all += t + " ";
  EXPECT_EQ(all, text + " ") << "every word printed once, in order";
  EXPECT_GT(surface_.pageCount(), 1);
}

TEST_F(DataColumnsTest, DescriptionsGoOnBehindTheLastDepthOnlyWhereAPageTakesThem) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += (i ? " long" : "long") + std::to_string(i);
  addLithology("B-1", 35, 40, text, "x");
  addColumn("Description", 2, 2, 4, 10);
  const std::string second = home_.path("second.sqf");
  ASSERT_TRUE(copyFile(layout_, second, false));
  sql(second, "DELETE * FROM ColumnGraphics");
  options_.additionalPageLayoutFile = second;
  options_.useAdditionalPageLayout = true;

  // No description column on the following pages: the log ends with its
  // depth range instead of adding pages that nothing is drawn on.
  sql(second,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontSize) VALUES (\"Depth\", 1, 2, "
      "1.5, 10, 8)");
  compose("B-1");
  EXPECT_EQ(surface_.pageCount(), 1);

  // Nor when the following pages' layout cannot be read.
  const std::string damaged = home_.path("damaged.sqf");
  std::ofstream(damaged) << "not a layout";
  options_.additionalPageLayoutFile = damaged;
  compose("B-1");
  EXPECT_EQ(surface_.pageCount(), 1);

  // A description column with no height takes nothing either.
  options_.additionalPageLayoutFile = second;
  sql(second,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontSize) VALUES (\"Description\", 2, "
      "5, 6, 5, 8)");
  compose("B-1");
  EXPECT_EQ(surface_.pageCount(), 1);

  // One that can take the text gets it, and the log ends once all of it is
  // printed.
  sql(second,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontSize) VALUES (\"Description\", 2, "
      "1, 6, 10, 8)");
  compose("B-1");
  ASSERT_GT(surface_.pageCount(), 1);
  std::string all;
  for (int p = 0; p < surface_.pageCount(); ++p)
    for (const std::string& t : texts(p))
      if (t.starts_with("long")) all += t + " ";
  EXPECT_EQ(all, text + " ");
  EXPECT_FALSE(texts(surface_.pageCount() - 1).empty()) << "no blank page at the end";
}

TEST_F(DataColumnsTest, NoColumnTextIsDrawnOutsideItsColumn) {
  // Columns shorter than one line of their text: a description carried to
  // the following pages and a blow count. What does not fit is cut at the
  // column's edges instead of running over the page footer.
  addLithology("B-1", 0, 10, "clay sand gravel", "x");
  addSample("B-1", 2, 3, "SPT", "5-7-9");
  addColumn("Description", 2, 2, 4, 2.08);
  addColumn("Blow Count", 5, 2, 6, 2.08);
  sql(layout_, "UPDATE ColumnGraphics SET FontSize = 10");
  compose("B-1");
  ASSERT_GE(surface_.pageCount(), 2);
  const double dpi = 96;
  int inked = 0;
  for (int page = 0; page < surface_.pageCount(); ++page) {
    const QImage image = renderPageImage(surface_.document(), page, dpi);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) > 160) continue;
        const double xi = (x + 0.5) / dpi, yi = (y + 0.5) / dpi;
        const bool inDescription = xi > 1.98 && xi < 4.02 && yi > 1.98 && yi < 2.1;
        const bool inBlowCount = xi > 4.98 && xi < 6.02 && yi > 1.98 && yi < 2.1;
        EXPECT_TRUE(inDescription || inBlowCount)
            << "ink at " << xi << ", " << yi << " inches on page " << page + 1;
        if (!(inDescription || inBlowCount)) return;
        ++inked;
      }
    }
  }
  EXPECT_GT(inked, 0) << "the tops of the texts still show";
}

TEST_F(DataColumnsTest, SeparatorIsStraightWhenTheTextEndsInsideTheInterval) {
  addLithology("B-1", 0, 20, "short", "x", "2 - Dot");
  addColumn("Description", 2, 2, 4, 10);
  compose("B-1");
  std::vector<LineOp> dotted;
  for (const LineOp& l : lines(0))
    if (l.pen.style == kPenDot) dotted.push_back(l);
  ASSERT_EQ(dotted.size(), 5u);
  for (const LineOp& l : dotted) {
    EXPECT_NEAR(l.from.y(), 6 * kTw, 0.5);
    EXPECT_NEAR(l.to.y(), 6 * kTw, 0.5);
  }
  EXPECT_NEAR(dotted.front().from.x(), 2 * kTw, 0.5);
  EXPECT_NEAR(dotted.back().to.x(), 4 * kTw, 0.5);
}

TEST(DescriptionLinesTest, WordsFillLinesAndLongWordsAreBrokenAsInEveryParagraph) {
  PrintSurface s;
  s.font.size = 8;
  const double w = s.textWidth("medium dense");
  auto lines = fillDescriptionLines(s, "medium dense sand\nwith gravel", w);
  EXPECT_EQ(lines, (std::vector<std::string>{"medium dense", "sand", "with gravel"}));
  // A word wider than the column is broken between characters, as every
  // paragraph of the surface is, so no line runs over the column.
  auto wide = fillDescriptionLines(s, "a Supercalifragilisticexpialidocious b", w);
  ASSERT_GE(wide.size(), 3u);
  EXPECT_EQ(wide.front(), "a");
  std::string joined;
  for (std::size_t i = 1; i < wide.size(); ++i) {
    EXPECT_LE(s.textWidth(QString::fromStdString(wide[i])), w) << wide[i];
    joined += wide[i];
  }
  EXPECT_EQ(joined.substr(0, 34), "Supercalifragilisticexpialidocious");
  EXPECT_TRUE(wide.back().ends_with("b"));
  for (const std::string& line : wide)
    EXPECT_EQ(s.wrapText(QString::fromStdString(line), w).size(), 1)
        << "each line prints as one line";
  EXPECT_EQ(fillDescriptionLines(s, "", w), std::vector<std::string>{""});
}

}  // namespace
}  // namespace sq::render
