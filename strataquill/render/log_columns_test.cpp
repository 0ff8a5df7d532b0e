// The columns and pages a professional log adds: elevations, groundwater
// levels, N-values and their plot, legend pages, page counts, and the
// end-of-boring note. Read back from the display list, without pixels.

#include <QPolygonF>

#include <algorithm>

#include "strataquill/render/legend_page.h"
#include "strataquill/render/render_test_support.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;

// Every column box runs from y = 2 to y = 10 inches for 40 feet: 0.2 inch a
// foot.
double yOf(double depthOnPage) {
  return (2 + depthOnPage * 0.2) * kTw;
}

class LogColumnsTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    addBoring("B-1");
  }
  void boringField(const std::string& field, const std::string& value) {
    sql(project_, "UPDATE [Boring Information] SET " + field + " = " + db::jetStringLiteral(value) +
                      " WHERE BoringName = \"B-1\"");
  }
  // The operations of a page inside the columns from x0 to x1 (inches).
  template <class Op>
  std::vector<Op> in(int page, double x0, double x1) const {
    std::vector<Op> out;
    for (const DrawOp& d : surface_.document().pages.at(page).ops) {
      const Op* op = std::get_if<Op>(&d);
      if (!op) continue;
      double left = 0, right = 0;
      if constexpr (std::is_same_v<Op, TextOp>) {
        left = right = op->origin.x();
      } else if constexpr (std::is_same_v<Op, LineOp>) {
        left = std::min(op->from.x(), op->to.x());
        right = std::max(op->from.x(), op->to.x());
      } else {
        left = op->points.boundingRect().left();
        right = op->points.boundingRect().right();
      }
      if (left >= x0 * kTw - 1 && right <= x1 * kTw + 1) out.push_back(*op);
    }
    return out;
  }
  std::vector<std::string> textsIn(int page, double x0, double x1) const {
    std::vector<std::string> out;
    for (const TextOp& t : in<TextOp>(page, x0, x1)) out.push_back(t.text.toStdString());
    return out;
  }
  static bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

// ---------------------------------------------------------------- elevation

TEST_F(LogColumnsTest, ElevationLabelsAreTheGroundElevationLessTheDepth) {
  boringField("GroundElevation", "742.3");
  addLithology("B-1", 0, 60, "clay", "none");
  addColumn("Elevation", 1, 2, 1.6, 10);
  compose("B-1");
  const std::vector<std::string> page1 = textsIn(0, 1, 1.6);
  ASSERT_GE(page1.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(page1.begin(), page1.begin() + 3),
            (std::vector<std::string>{" 742.3", " 737.3", " 732.3"}))
      << "at 0, 5 and 10 ft";
  EXPECT_EQ(page1.back(), " 702.3") << "the bottom depth of the page (40 ft) is labelled";
  EXPECT_EQ(textsIn(1, 1, 1.6).front(), " 702.3");
  // Ticks as the depth scale has them: one a foot, both sides.
  EXPECT_EQ(in<LineOp>(0, 1, 1.6).size(), 2u * 41);
}

TEST_F(LogColumnsTest, ElevationWithoutAGroundElevationPrintsNothing) {
  addLithology("B-1", 0, 30, "clay", "none");
  addColumn("Elevation", 1, 2, 1.6, 10);
  for (const char* ground : {"", " ", "unknown", "742.3.1"}) {
    boringField("GroundElevation", ground);
    compose("B-1");
    EXPECT_TRUE(in<LineOp>(0, 1, 1.6).empty()) << '"' << ground << '"';
    EXPECT_TRUE(textsIn(0, 1, 1.6).empty()) << '"' << ground << '"';
  }
  boringField("GroundElevation", " 1204 ft ");
  compose("B-1");
  EXPECT_EQ(textsIn(0, 1, 1.6).front(), " 1204") << "a unit after the number is read";
}

TEST_F(LogColumnsTest, ABottomLabelSitsAboveItsTickInsideTheColumn) {
  addLithology("B-1", 0, 30, "clay", "none");
  addColumn("Depth", 1, 2, 1.6, 10);
  compose("B-1");
  PrintSurface probe;
  probe.font.size = 8;
  const std::vector<TextOp> labels = in<TextOp>(0, 1, 1.6);
  ASSERT_EQ(labels.back().text, " 40");
  EXPECT_NEAR(labels.back().origin.y() + probe.textHeight(), 10 * kTw, 0.5);
  EXPECT_NEAR(labels[1].origin.y() + probe.textHeight() / 2, yOf(5), 0.5) << "others centred";
}

// -------------------------------------------------------------- groundwater

TEST_F(LogColumnsTest, WaterLevelsAreSymbolsWithTheirDepthAndDate) {
  boringField("DrilledWater", "18.5");
  boringField("StaticWater", "16.2 ft");
  boringField("PotentiometricWater", "12");
  boringField("DateStart", "09/16/2024");
  boringField("DateEnd", "09/18/2024");
  addLithology("B-1", 0, 30, "clay", "none");
  addColumn("Water Level", 5, 2, 5.7, 10);
  compose("B-1");
  const std::vector<PolygonOp> symbols = in<PolygonOp>(0, 5, 5.7);
  ASSERT_EQ(symbols.size(), 3u);
  // By depth: potentiometric and static open, while drilling filled.
  EXPECT_FALSE(symbols[0].filled);
  EXPECT_FALSE(symbols[1].filled);
  EXPECT_TRUE(symbols[2].filled);
  // Each triangle points down with its tip on its level.
  for (auto [symbol, depth] : {std::pair{0, 12.0}, {1, 16.2}, {2, 18.5}}) {
    const QPolygonF& t = symbols[symbol].points;
    ASSERT_EQ(t.size(), 3);
    EXPECT_NEAR(t[2].y(), yOf(depth), 0.5);
    EXPECT_LT(t[0].y(), t[2].y());
  }
  // And a short line under it at the level.
  int underLines = 0;
  for (const LineOp& l : in<LineOp>(0, 5, 5.7))
    underLines += l.from.y() == l.to.y() && std::fabs(l.from.y() - yOf(18.5)) < 0.5;
  EXPECT_EQ(underLines, 1);
  const std::vector<std::string> labels = textsIn(0, 5, 5.7);
  EXPECT_EQ(labels,
            (std::vector<std::string>{"12 (P)", "16.2 ft", "09/18/2024", "18.5", "09/16/2024"}))
      << "by depth; the date that goes with each";
}

TEST_F(LogColumnsTest, AWaterLevelOnAPageBreakIsDrawnOnceAtTheBottomOfThePageAbove) {
  boringField("StaticWater", "40");
  addLithology("B-1", 0, 70, "clay", "none");
  addColumn("Water Level", 5, 2, 5.7, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  const std::vector<PolygonOp> first = in<PolygonOp>(0, 5, 5.7);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_NEAR(first[0].points[2].y(), 10 * kTw, 0.5) << "its tip on the bottom edge";
  EXPECT_TRUE(in<PolygonOp>(1, 5, 5.7).empty()) << "not again at the top of page 2";
}

TEST_F(LogColumnsTest, WaterLevelsThatAreNotNumbersPrintOnceAtTheTopOfTheFirstPage) {
  boringField("DrilledWater", "Not encountered");
  boringField("StaticWater", "Dry");
  boringField("PotentiometricWater", "Dry");
  addLithology("B-1", 0, 70, "clay", "none");
  addColumn("Water Level", 5, 2, 6, 10);
  compose("B-1");
  EXPECT_EQ(textsIn(0, 5, 6), (std::vector<std::string>{"Not encountered", "Dry"}));
  EXPECT_TRUE(in<PolygonOp>(0, 5, 6).empty());
  EXPECT_TRUE(textsIn(1, 5, 6).empty());
}

// ------------------------------------------------------------------ N-value

TEST_F(LogColumnsTest, NValuesArePrintedAsTheirParserReadsThem) {
  addLithology("B-1", 0, 30, "clay", "none");
  addSample("B-1", 1, 2.5, "SPT", "5-7-9");
  addSample("B-1", 5, 6.5, "SPT", "7-9");
  addSample("B-1", 10, 11, "SPT", "50/5\"");
  addSample("B-1", 15, 16.5, "Tube", "Push");
  addSample("B-1", 20, 21.5, "SPT", "");
  addColumn("N Value", 3, 2, 3.5, 10);
  compose("B-1");
  EXPECT_EQ(textsIn(0, 3, 3.5), (std::vector<std::string>{"16", "16*", "50/5\"", "Push"}));
  // Centred on the middle of the sample, as blow counts are.
  PrintSurface probe;
  probe.font.size = 8;
  EXPECT_NEAR(in<TextOp>(0, 3, 3.5)[0].origin.y() + probe.textHeight() / 2, yOf(1.75), 0.5);
}

TEST_F(LogColumnsTest, TheNGraphPlotsEachNAtItsSamplesMiddle) {
  addLithology("B-1", 0, 30, "clay", "none");
  addSample("B-1", 1, 3, "SPT", "5-10-10");    // N 20 at 2 ft
  addSample("B-1", 9, 11, "SPT", "10-20-20");  // N 40 at 10 ft
  addColumn("N Graph", 3, 2, 4, 10);           // 0 to 50 across 1 inch
  compose("B-1");
  const std::vector<PolygonOp> points = in<PolygonOp>(0, 2.9, 4.1);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_NEAR(points[0].points.boundingRect().center().x(), 3.4 * kTw, 0.5);
  EXPECT_NEAR(points[0].points.boundingRect().center().y(), yOf(2), 0.5);
  EXPECT_NEAR(points[1].points.boundingRect().center().x(), 3.8 * kTw, 0.5);
  // Grid lines every 10 inside the column, light grey, over the depth window.
  std::vector<double> grid;
  bool joined = false;
  for (const LineOp& l : in<LineOp>(0, 3, 4)) {
    if (l.pen.color == 0xC0C0C0 && l.from.y() == 2 * kTw && l.to.y() == 10 * kTw)
      grid.push_back(l.from.x() / kTw);
    joined |= std::fabs(l.from.x() - 3.4 * kTw) < 0.5 && std::fabs(l.from.y() - yOf(2)) < 0.5 &&
              std::fabs(l.to.x() - 3.8 * kTw) < 0.5 && std::fabs(l.to.y() - yOf(10)) < 0.5;
  }
  EXPECT_EQ(grid.size(), 4u);
  EXPECT_NEAR(grid.front(), 3.2, 1e-9);
  EXPECT_TRUE(joined) << "the points are joined by a straight line";
  // The scale's labels stand above the column, the last one at its right side.
  const std::vector<TextOp> labels = in<TextOp>(0, 3, 4);
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels.front().text, "0");
  EXPECT_EQ(labels.back().text, "50");
  for (const TextOp& t : labels) EXPECT_LT(t.origin.y(), 2 * kTw);
}

TEST_F(LogColumnsTest, AnNGraphSegmentAcrossAPageBreakIsDrawnOnBothPagesUpToTheEdge) {
  addLithology("B-1", 0, 70, "clay", "none");
  addSample("B-1", 29, 31, "SPT", "5-5-5");     // N 10 at 30 ft
  addSample("B-1", 49, 51, "SPT", "15-15-15");  // N 30 at 50 ft
  addColumn("N Graph", 3, 2, 4, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  // From (10, 30 ft) to (30, 50 ft): at the break (40 ft) N is 20.
  auto segment = [&](int page) -> std::optional<LineOp> {
    for (const LineOp& l : in<LineOp>(page, 3, 4))
      if (l.pen.color != 0xC0C0C0 && l.from.y() != l.to.y()) return l;
    return std::nullopt;
  };
  const auto first = segment(0), second = segment(1);
  ASSERT_TRUE(first && second);
  EXPECT_NEAR(first->from.x(), 3.2 * kTw, 0.5);
  EXPECT_NEAR(first->from.y(), yOf(30), 0.5);
  EXPECT_NEAR(first->to.x(), 3.4 * kTw, 0.5);
  EXPECT_NEAR(first->to.y(), 10 * kTw, 0.5) << "to the bottom edge of page 1";
  EXPECT_NEAR(second->from.x(), 3.4 * kTw, 0.5);
  EXPECT_NEAR(second->from.y(), 2 * kTw, 0.5) << "from the top edge of page 2";
  EXPECT_NEAR(second->to.x(), 3.6 * kTw, 0.5);
  EXPECT_NEAR(second->to.y(), yOf(10), 0.5);
  EXPECT_EQ(in<PolygonOp>(0, 3, 4).size(), 1u) << "each point on its own page";
  EXPECT_EQ(in<PolygonOp>(1, 3, 4).size(), 1u);
}

TEST_F(LogColumnsTest, RefusalsAndNBeyondTheScaleAreDrawnAtItsMaximumWithAnArrow) {
  addLithology("B-1", 0, 30, "clay", "none");
  addSample("B-1", 4, 6, "SPT", "10-10-10");    // N 20 at 5 ft
  addSample("B-1", 9, 10, "SPT", "50/4\"");     // refusal at 9.5 ft
  addSample("B-1", 19, 21, "SPT", "30-40-45");  // N 85 at 20 ft
  // The row's Size gives the plot's maximum: 0 to 80.
  sql(layout_,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, TextColor, PenStyle, "
      "PenWidth, PenColor) VALUES (\"N Graph\", 3, 2, 4, 10, \"Arial\", 80, \"1 - Black\", "
      "\"0 - Solid\", 0, \"1 - Black\")");
  compose("B-1");
  const std::vector<PolygonOp> marks = in<PolygonOp>(0, 2.5, 4.1);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0].points.size(), 12) << "a point";
  EXPECT_EQ(marks[1].points.size(), 3) << "the refusal's arrowhead";
  EXPECT_NEAR(marks[1].points[0].x(), 4 * kTw, 0.5) << "its tip at the maximum";
  EXPECT_NEAR(marks[1].points[0].y(), yOf(9.5), 0.5);
  EXPECT_NEAR(marks[2].points[0].x(), 4 * kTw, 0.5) << "N 85 is off a scale to 80";
  const std::vector<TextOp> labels = in<TextOp>(0, 3, 4);
  EXPECT_EQ(labels.back().text, "80");
  EXPECT_DOUBLE_EQ(labels.back().font.pixelSize(), 6.5 * 20) << "small labels";
}

// ---------------------------------------------------------- pages and texts

TEST_F(LogColumnsTest, PageCountIsKnownOnEveryPageOfAThreePageLog) {
  addLithology("B-1", 0, 95, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  addText("Page <<Page Number>> of <<Page Count>>", 5, 0.5, 8, 0.8);
  addText("<<Page Count>>", 5, 0.9, 8, 1.2);
  addText("Sheet <<page number>>/<<PAGE COUNT>>, <<No Such>>", 5, 1.3, 8, 1.6);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 3);
  for (int page = 0; page < 3; ++page) {
    const std::string n = std::to_string(page + 1);
    EXPECT_EQ(textsIn(page, 5, 8), (std::vector<std::string>{"Page " + n + " of 3", "3",
                                                             "Sheet " + n + "/3, <<No Such>>"}));
  }
  // In its place among the page's operations: before the lines drawn after
  // the texts.
  sql(layout_,
      "INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES "
      "(\"0 - Solid\", 0, \"1 - Black\", 0, 11, 8, 11)");
  compose("B-1");
  const auto& ops = surface_.document().pages[0].ops;
  ASSERT_TRUE(std::holds_alternative<LineOp>(ops.back()));
}

TEST_F(LogColumnsTest, BottomDepthIsTheDeepestLithology) {
  addLithology("B-1", 0, 12.5, "clay", "none");
  addLithology("B-1", 12.5, 41.5, "sand", "none");
  addSample("B-1", 50, 52, "SPT", "1-2-3");
  addText("<<Bottom Depth>>", 1, 1, 4, 1.3);
  addText("<<Bottom Depth>> + <<Depth Units>>", 1, 1.4, 4, 1.7);
  addText("To <<Bottom Depth>> ft", 1, 1.8, 4, 2.1);
  compose("B-1");
  EXPECT_EQ(textsIn(0, 1, 4), (std::vector<std::string>{"41.5", "41.5 Feet", "To 41.5 ft"}));
}

TEST_F(LogColumnsTest, TheEndOfBoringNoteFollowsTheLastInterval) {
  addLithology("B-1", 0, 20, "CLAY.", "none");
  addLithology("B-1", 20, 32.5, "SAND.", "none");
  addColumn("Description", 2, 2, 6, 10);
  compose("B-1");
  EXPECT_FALSE(contains(textsIn(0, 2, 6), "Boring terminated at 32.5 feet."))
      << "off unless the layout asks for it";
  sql(layout_, "UPDATE Options SET EndOfBoringNote = True");
  compose("B-1");
  const std::vector<TextOp> texts = in<TextOp>(0, 2, 6);
  ASSERT_EQ(texts.back().text, "Boring terminated at 32.5 feet.");
  EXPECT_GT(texts.back().origin.y(), yOf(32.5)) << "below the last interval";
  EXPECT_EQ(surface_.pageCount(), 1);

  // At the foot of a full page it goes on to the next, as descriptions do.
  sql(project_, "UPDATE [Lithology Information] SET [To] = 40 WHERE [To] = 32.5");
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);
  EXPECT_EQ(textsIn(1, 2, 6), (std::vector<std::string>{"Boring terminated at 40 feet."}));
}

// ------------------------------------------------------------------- legend

TEST_F(LogColumnsTest, TheLegendPageListsExactlyTheClassesUsedInFileOrder) {
  addClass("Lithology", "Gravel", "gravel.png:100");
  addClass("Lithology", "Sand", "sand.png:100");
  addClass("Lithology", "Clay", "clay.png:50:silt.png:50");
  addClass("Lithology", "Peat", "peat.png:100");
  addClass("Samples", "SPT", "spt.png:100");
  addClass("Samples", "Core", "core.png:100");
  addClass("Completion", "Grout", "grout.png:100");
  addClass("Completion", "Screen", "screen.png:100");
  addLithology("B-1", 0, 10, "clay", "Clay");
  addLithology("B-1", 10, 20, "sand", "Sand");
  addLithology("B-1", 20, 25, "clay again", "Clay");
  addLithology("B-1", 25, 30, "fill", "Made ground");  // not in the file
  addSample("B-1", 1, 2, "SPT", "2-3-4");
  addSample("B-1", 5, 6, "SPT", "7-9");
  addCompletion("B-1", 0, 10, "Screen");
  boringField("StaticWater", "12");
  addColumn("Depth", 1, 2, 1.5, 10);
  addColumn("Description", 2, 2, 6, 10);
  // The rule between the columns starts at the top of their headings.
  sql(layout_,
      "INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES "
      "(\"0 - Solid\", 10, \"1 - Black\", 1.5, 1.5, 1.5, 10)");
  addText("LOG OF <<Boring Name>>", 1, 0.5, 6, 0.8);
  addText("Page <<Page Number>> of <<Page Count>>", 6, 0.5, 8, 0.8);
  addText("Depth", 1, 1.6, 1.5, 1.9);  // a column heading
  options_.legendPage = true;
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2) << "the log and its legend";
  const std::vector<std::string> legend = texts(1);
  const std::vector<std::string> expected = {
      "LEGEND",
      "Lithology",
      "Sand",
      "Clay",
      "Made ground",
      "Samples",
      "SPT",
      "Well completion",
      "Screen",
      "Groundwater",
      "Static groundwater level, with the date the boring was completed",
      "Standard Penetration Test",
      "16*",
      "N from two increments only"};
  std::vector<std::string> listed;
  for (const std::string& t : legend)
    if (std::find(expected.begin(), expected.end(), t) != expected.end()) listed.push_back(t);
  EXPECT_EQ(listed, expected);
  for (const char* unused : {"Gravel", "Peat", "Core", "Grout"})
    EXPECT_FALSE(contains(legend, unused)) << unused;
  // The header of the page stays; column headings and data do not.
  EXPECT_TRUE(contains(legend, "LOG OF B-1"));
  EXPECT_TRUE(contains(legend, "Page 2 of 2"));
  EXPECT_TRUE(contains(texts(0), "Page 1 of 2"));
  EXPECT_FALSE(contains(legend, "Depth"));
  EXPECT_FALSE(contains(legend, "clay"));
  // Swatches fill as the log's columns do: Clay with its two halves.
  int clayHalves = 0;
  for (const PatternOp& p : patterns(1))
    clayHalves += std::fabs(p.rect.width() - 0.275 * kTw) < 0.01;
  EXPECT_EQ(clayHalves, 2);
}

TEST_F(LogColumnsTest, ALegendTooLongForOnePageGoesOnToTheNext) {
  for (int i = 0; i < 150; ++i) {
    const std::string name = "Class " + std::to_string(1000 + i);
    addClass("Lithology", name, "p.png:100");
    addLithology("B-1", i * 0.2, i * 0.2 + 0.2, "x", name);
  }
  addColumn("Depth", 1, 2, 7.5, 10);
  options_.legendPage = true;
  compose("B-1");
  ASSERT_GT(surface_.pageCount(), 2) << "one page of log, more of legend";
  std::vector<std::string> listed;
  for (int page = 1; page < surface_.pageCount(); ++page)
    for (const std::string& t : texts(page))
      if (t.starts_with("Class ")) listed.push_back(t);
  ASSERT_EQ(listed.size(), 150u) << "every class once";
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end())) << "in file order";
  EXPECT_TRUE(contains(texts(2), "LEGEND (continued)"));
}

TEST(LegendAreaTest, TheBandOfTheColumnsAndTheirHeadingsFromTheColumnRules) {
  layouts::LayoutForPrint layout;
  layout.columns.push_back({"Depth", {0.5f, 4, 1, 10.25f}, {}, {}, {}, 0, {}});
  layout.columns.push_back({"Description", {1, 4, 8, 10.25f}, {}, {}, {}, 0, {}});
  layout.lines.push_back({"0 - Solid", 10, {}, {1, 3.5f, 1, 10.25f}});        // column rule
  layout.lines.push_back({"0 - Solid", 10, {}, {0.5f, 3.9f, 8, 3.9f}});       // heading rule
  layout.lines.push_back({"0 - Solid", 20, {}, {0.5f, 0.5f, 0.5f, 10.25f}});  // frame
  layout.lines.push_back({"0 - Solid", 20, {}, {8, 10.25f, 0.5f, 10.25f}});   // frame
  layout.texts.push_back({"Depth", {0.5f, 3.6f, 1, 3.8f}, {}, {}, {}, 0});
  layout.texts.push_back({"<<Company Name>>", {0.5f, 0.6f, 4, 0.8f}, {}, {}, {}, 0});
  const QRectF area = legendArea(layout, QSizeF(8.5, 11));
  EXPECT_NEAR(area.top(), 3.5, 1e-6);
  EXPECT_NEAR(area.left(), 0.5, 1e-6);
  EXPECT_NEAR(area.bottom(), 10.25, 1e-6);
  const layouts::LayoutForPrint page = legendPageLayout(layout, area);
  EXPECT_TRUE(page.columns.empty());
  ASSERT_EQ(page.texts.size(), 1u);
  EXPECT_EQ(page.texts[0].text, "<<Company Name>>");
  EXPECT_EQ(page.lines.size(), 2u) << "the frame stays, the rules inside go";
}

// ------------------------------------------------------------------- faults

TEST_F(LogColumnsTest, AThinLayersLabelIsMadeSmallerToFitOrLeftOut) {
  addLithology("B-1", 0, 0.5, "ASPHALT.", "Asphalt");
  addLithology("B-1", 0.5, 0.6, "CRACK.", "Crack");
  addLithology("B-1", 0.6, 10, "FILL.", "Fill");
  addColumn("Classification", 3, 2, 4, 10);  // 8 point labels; 0.5 ft is 0.1 inch
  compose("B-1");
  const std::vector<TextOp> labels = in<TextOp>(0, 3, 4);
  ASSERT_EQ(labels.size(), 2u) << "the 0.1 ft layer has no room for any label";
  EXPECT_EQ(labels[0].text, "Asphalt");
  EXPECT_LT(labels[0].font.pixelSize(), 8 * 20);
  PrintSurface probe;
  probe.font.size = labels[0].font.pixelSize() / 20.0;
  EXPECT_LE(probe.textHeight(), 0.1 * kTw) << "fits between its boundaries";
  EXPECT_NEAR(labels[0].origin.y() + probe.textHeight() / 2, yOf(0.25), 0.5)
      << "on the layer's middle";
  EXPECT_EQ(labels[1].text, "Fill");
  EXPECT_EQ(labels[1].font.pixelSize(), 8 * 20) << "a layer with room keeps its size";
}

TEST_F(LogColumnsTest, TextTooLargeForItsBoxPrintsWhatFitsClippedToTheBox) {
  addText("ACME DRILLING", 1, 1, 5, 1.17, "1 - Left", 20);
  compose("B-1");
  const std::vector<TextOp> ops = textOps(0);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].text, "ACME DRILLING");
  EXPECT_EQ(ops[0].clip, QRectF(QPointF(1 * kTw, 1 * kTw), QPointF(5 * kTw, 1.17f * kTw)));
  LogComposer composer(surface_, options_, job("B-1"));
  surface_.startDoc();
  ASSERT_TRUE(composer.composePages());
  EXPECT_EQ(composer.firstPageTextsNotFitting(), std::vector<int>{0});
}

}  // namespace
}  // namespace sq::render
