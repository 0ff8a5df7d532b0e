#include <algorithm>
#include <sstream>

#include "strataquill/project/project_schema.h"
#include "strataquill/render/depth_scale.h"
#include "strataquill/render/render_test_support.h"

namespace sq::render {
namespace {

class PageCompositionTest : public RenderFixture {
 protected:
  // Depth labels of a page: the texts that read as numbers.
  std::vector<std::string> labels(int page) const {
    std::vector<std::string> out;
    for (const std::string& t : texts(page))
      if (!t.empty() && t[0] == ' ' && std::isdigit(static_cast<unsigned char>(t[1])))
        out.push_back(t.substr(1));
    return out;
  }
  // Tick lines starting at the depth column's left edge (x = 1 inch).
  int ticks(int page) const {
    int n = 0;
    for (const LineOp& l : lines(page)) n += l.from.x() == 1440 && l.from.y() == l.to.y();
    return n;
  }
};

TEST_F(PageCompositionTest, DepthRangeSplitsIntoPagesAndTheLastScaleRunsToItsEnd) {
  addBoring("B-1");
  addLithology("B-1", 0, 95, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 3);
  EXPECT_EQ(labels(0),
            (std::vector<std::string>{"0", "5", "10", "15", "20", "25", "30", "35", "40"}));
  EXPECT_EQ(labels(1).front(), "40");
  EXPECT_EQ(labels(2).front(), "80");
  EXPECT_EQ(labels(2).back(), "120");
}

TEST_F(PageCompositionTest, TickSettings) {
  addBoring("B-1");
  addLithology("B-1", 0, 10, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  struct Case {
    short major, minor;
    int ticks;
    std::vector<std::string> labels;
  };
  for (const Case& c : {Case{5, 1, 41, {"0", "5", "10", "15", "20", "25", "30", "35", "40"}},
                        Case{5, 2, 41, {"0", "5", "10", "15", "20", "25", "30", "35", "40"}},
                        Case{5, 0, 9, {"0", "5", "10", "15", "20", "25", "30", "35", "40"}},
                        Case{10, 5, 9, {"0", "10", "20", "30", "40"}}}) {
    options_.majorTickInterval = c.major;
    options_.minorTickInterval = c.minor;
    compose("B-1");
    EXPECT_EQ(ticks(0), c.ticks) << c.major << "/" << c.minor;
    EXPECT_EQ(labels(0), c.labels) << c.major << "/" << c.minor;
  }
  EXPECT_EQ(tickStep(5, 2), 1);
  EXPECT_EQ(tickStep(6, 2), 2);
  EXPECT_EQ(tickStep(5, 0), 5);
}

TEST_F(PageCompositionTest, TruncatedLabelsAtThePageEdges) {
  addBoring("B-1");
  addLithology("B-1", 0, 60, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  sql(layout_, "UPDATE Options SET TruncateUpperUnitText = True");
  compose("B-1");
  EXPECT_EQ(labels(0).front(), "5");
  EXPECT_EQ(labels(0).back(), "40");
  EXPECT_EQ(labels(1).front(), "45") << "40 is printed once, at the bottom of page 1";
  sql(layout_, "UPDATE Options SET TruncateUpperUnitText = False, TruncateLowerUnitText = True");
  compose("B-1");
  EXPECT_EQ(labels(0).back(), "35");
  EXPECT_EQ(labels(1).front(), "40");
}

TEST_F(PageCompositionTest, LabelsAreCentredOnTheirTick) {
  addBoring("B-1");
  addLithology("B-1", 0, 10, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  compose("B-1");
  const double tenFeet = (10 - 2) * 1440.0 / 40 * 10;
  for (const TextOp& t : textOps(0)) {
    if (t.text != " 10") continue;
    PrintSurface probe;
    probe.font.size = 8;
    EXPECT_NEAR(t.origin.y() + probe.textHeight() / 2, 2 * 1440 + tenFeet, 0.5);
    const double width = probe.textWidth(t.text);
    EXPECT_NEAR(t.origin.x() + width / 2, 1.25 * 1440, 0.5);
    return;
  }
  FAIL() << "no label 10";
}

TEST_F(PageCompositionTest, LabelsStayOneLineInANarrowColumn) {
  addBoring("B-1");
  addLithology("B-1", 0, 100, "clay", "none");
  addColumn("Depth", 1, 2, 1.2, 10);  // 0.14 inch between the insets
  options_.unitsPerFirstPage = 200;
  options_.majorTickInterval = 50;
  options_.minorTickInterval = 10;
  compose("B-1");
  PrintSurface probe;
  probe.font.size = 8;
  const auto ops = textOps(0);
  std::vector<std::string> seen;
  for (const TextOp& t : ops) {
    seen.push_back(t.text.toStdString());
    const double tick = 2 * kTwipsPerInch + std::stod(t.text.toStdString()) / 200 * 8 * 1440;
    if (t.text == " 200") {
      EXPECT_NEAR(t.origin.y() + probe.textHeight(), tick, 0.5) << "above the bottom edge";
    } else {
      EXPECT_NEAR(t.origin.y() + probe.textHeight() / 2, tick, 0.5) << t.text.toStdString();
    }
    EXPECT_NEAR(t.origin.x() + probe.textWidth(t.text) / 2, 1.1 * kTwipsPerInch, 0.5)
        << "centred although wider than the column";
  }
  EXPECT_EQ(seen, (std::vector<std::string>{" 0", " 50", " 100", " 150", " 200"}));
}

TEST_F(PageCompositionTest, BoringWithoutDataPrintsOnePage) {
  addBoring("Empty");
  addColumn("Depth", 1, 2, 1.5, 10);
  compose("Empty");
  EXPECT_EQ(surface_.pageCount(), 1);
  EXPECT_EQ(labels(0).back(), "40");
}

TEST_F(PageCompositionTest, AdditionalPagesUseTheirOwnLayoutAndUnits) {
  addBoring("B-1");
  addLithology("B-1", 0, 100, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  const std::string second = home_.path("second.sqf");
  ASSERT_TRUE(copyFile(layout_, second, false));
  sql(second, "DELETE * FROM ColumnGraphics");
  sql(second,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontSize) VALUES (\"Depth\", 3, "
      "1, 3.5, 10, 8)");
  options_.additionalPageLayoutFile = second;
  options_.unitsPerAdditionalPage = 60;
  options_.useAdditionalPageLayout = true;
  compose("B-1");
  ASSERT_EQ(surface_.pageCount(), 2);  // 0-40, then 40-100
  EXPECT_EQ(labels(1).back(), "100");
  bool fromSecondLayout = false;
  for (const LineOp& l : lines(1)) fromSecondLayout |= l.from.x() == 3 * 1440;
  EXPECT_TRUE(fromSecondLayout);

  options_.useAdditionalPageLayout = false;
  compose("B-1");
  EXPECT_EQ(surface_.pageCount(), 3) << "without the flag every page is a first page";

  // A layout sample uses the designer's layout and the first-page units.
  EXPECT_EQ(chooseLayoutForPage(options_, kLayoutSample, 2, "designer.sqf").layoutFile,
            "designer.sqf");
}

TEST_F(PageCompositionTest, LayoutSampleDrawsOnlyTheDepthColumn) {
  addBoring("B-1");
  addClass("Lithology", "Clay", "clay.png:100");
  addLithology("B-1", 0, 30, "A clay layer", "Clay");
  addColumn("Depth", 1, 2, 1.5, 10);
  addColumn("Lithology", 1.5, 2, 2, 10);
  addColumn("Description", 2, 2, 5, 10);
  compose("B-1", kLayoutSample);
  EXPECT_EQ(surface_.pageCount(), 1);
  EXPECT_TRUE(patterns(0).empty());
  for (const std::string& t : texts(0)) EXPECT_EQ(t.find("clay"), std::string::npos);
}

TEST_F(PageCompositionTest, DamagedLayoutsAndPicturesStillRenderTheRest) {
  addBoring("B-1");
  addLithology("B-1", 0, 10, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  addColumn("Lithology", 1, 5, 2, 5);  // no height
  sql(layout_,
      "INSERT INTO Graphics (FileName, X, Y, XX, YY) VALUES (\"missing.png\", 0, 0, 1, "
      "1)");
  sql(layout_,
      "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize) VALUES "
      "(\"Blow Count\", 2, 2, 3, 10, \"No Such Font\", 0)");
  sql(layout_, "DROP TABLE Lines");
  QImage logo(20, 10, QImage::Format_RGB32);
  logo.fill(Qt::red);
  logo.save(QString::fromStdString(home_.path("logo.png")));
  sql(layout_,
      "INSERT INTO Graphics (FileName, X, Y, XX, YY) VALUES (\"logo.png\", 0.5, 0.5, "
      "1.5, 2.5)");
  compose("B-1");
  int pictures = 0;
  for (const DrawOp& op : surface_.document().pages[0].ops)
    if (auto* p = std::get_if<PictureOp>(&op)) {
      ++pictures;
      EXPECT_EQ(p->rect, QRectF(720, 720, 1440, 2880)) << "stretched to its box";
    }
  EXPECT_EQ(pictures, 1) << "the picture beside the layout is found, the missing one skipped";
  EXPECT_FALSE(labels(0).empty());
}

TEST_F(PageCompositionTest, CancelStopsTheRunAtTheNextStage) {
  addBoring("B-1");
  addLithology("B-1", 0, 200, "clay", "none");
  addColumn("Depth", 1, 2, 1.5, 10);
  surface_.startDoc();
  int stages = 0;
  RenderJob j = job("B-1");
  j.letEventsRun = [&] {
    if (++stages == 6) options_.printCancelled = true;
  };
  LogComposer composer(surface_, options_, j);
  EXPECT_FALSE(composer.composePages());
  EXPECT_EQ(composer.pagesComposed(), 2);
}

TEST_F(PageCompositionTest, RunsWithImpossibleNumbersAreRefused) {
  PrintOptions o;
  EXPECT_EQ(validateForRun(o, kBoringLog), "");
  o.unitsPerFirstPage = 0;
  EXPECT_NE(validateForRun(o, kBoringLog), "");
  o.unitsPerFirstPage = 40;
  o.majorTickInterval = -5;
  EXPECT_NE(validateForRun(o, kBoringLog), "");
  o.majorTickInterval = 5;
  o.minorTickInterval = 0;
  EXPECT_EQ(validateForRun(o, kBoringLog), "") << "minor 0 means ticks at the major interval";
  o.useAdditionalPageLayout = true;
  o.unitsPerAdditionalPage = -1;
  EXPECT_NE(validateForRun(o, kBoringLog), "");
  EXPECT_EQ(validateForRun(o, kLayoutSample), "") << "a sample never uses additional pages";
}

TEST_F(PageCompositionTest, TinyUnitsStillEnd) {
  addBoring("B-1");
  addLithology("B-1", 0, 1e7, "deep", "none");
  options_.unitsPerFirstPage = 0.01f;
  compose("B-1");
  EXPECT_EQ(surface_.pageCount(), 5000) << "a run stops at the page limit";
}

TEST_F(PageCompositionTest, MaxDepthQueriesAndResult) {
  EXPECT_EQ(project::maxDepthSql("Lithology Information", "From", "B-1"),
            "SELECT Max([From]) AS [Max Of From] FROM [Lithology Information] WHERE [Lithology "
            "Information].BoringName = \"B-1\" ;");
  addBoring("B \"1\"");
  addLithology("B \"1\"", 0, 12.1, "x", "c");
  addSample("B \"1\"", 20, 21.5, "s", "1-2-3");
  addCompletion("B \"1\"", 0, 18, "c");
  addLithology("other", 0, 500, "x", "c");
  EXPECT_FLOAT_EQ(GetMaxDepth(project_, "B \"1\""), 21.5f);
  EXPECT_FLOAT_EQ(GetMaxDepth(project_, "nobody"), 0);
  EXPECT_FLOAT_EQ(GetMaxDepth(home_.path("missing.sq2"), "B-1"), 0);
}

}  // namespace
}  // namespace sq::render
