// The figures composed from project files, read back as display lists.

#include <gtest/gtest.h>

#include <QPainterPath>

#include <algorithm>

#include "strataquill/render/render_test_support.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/sections/figure_run.h"

namespace sq::sections {
namespace {

using render::DrawOp;
using render::LineOp;
using render::ShapeFill;
using render::ShapeOp;
using render::TextOp;

constexpr double kTw = render::kTwipsPerInch;

class FigureTest : public render::RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    addClass("Lithology", "CL - Lean clay", "cl.png:100");
    addClass("Lithology", "SM - Silty sand", "sm.png:100");
    addClass("Lithology", "PT - Peat", "pt.png:100");
    addClass("Lithology", "SP - Poorly graded sand", "sp.png:100");
    sql(project_,
        "INSERT INTO [Project Information] (ProjectNumber, ProjectName, Client) VALUES "
        "(\"2291-014\", \"Former Kessler Fuel Depot\", \"Harlan Valley Transit Authority\")");
    surface_.setPageSize(12240, 15840);
    setLandscapePaper(surface_, QPageSize(QPageSize::Letter));
  }

  // A boring with coordinates, a ground elevation and water levels.
  void boring(const std::string& name, double north, double east, const std::string& ground,
              const std::string& water) {
    addBoring(name);
    sql(project_, "UPDATE [Boring Information] SET Northing = \"" + num(north) +
                      "\", Easting = \"" + num(east) + "\", NorthingUnits = \"Feet\", "
                      "GroundElevation = \"" + ground + "\", StaticWater = \"" + water +
                      "\", DrilledWater = \"" + water + "\", DateEnd = \"09/18/2024\" "
                      "WHERE BoringName = \"" + name + "\"");
  }

  FigureRun run() {
    FigureRun r;
    r.projectPath = project_;
    r.classificationFile = classification_;
    r.patternFolder = patterns_;
    r.printDate = [] { return std::string("12/8/2026"); };
    return r;
  }

  std::vector<std::string> allTexts(int page) const { return texts(page); }
  bool hasText(int page, const std::string& t) const {
    const auto all = texts(page);
    return std::find(all.begin(), all.end(), t) != all.end();
  }
  std::vector<ShapeOp> shapes(int page) const {
    std::vector<ShapeOp> out;
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* s = std::get_if<ShapeOp>(&op)) out.push_back(*s);
    return out;
  }
  const TextOp* findText(int page, const std::string& t) const {
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* s = std::get_if<TextOp>(&op); s && s->text.toStdString() == t) return s;
    return nullptr;
  }
};

TEST_F(FigureTest, ThreeBoringSection) {
  // Clay over sand everywhere; peat between them in the middle boring only.
  boring("B-1", 0, 0, "742.3", "16.2");
  boring("B-2", 0, 100, "744.8", "19.6");
  boring("B-3", 0, 300, "741.6", "Dry");
  for (const char* b : {"B-1", "B-3"}) {
    addLithology(b, 0, 10, "", "CL - Lean clay");
    addLithology(b, 10, 30, "", "SM - Silty sand");
  }
  addLithology("B-2", 0, 8, "", "CL - Lean clay");
  addLithology("B-2", 8, 12, "", "PT - Peat");
  addLithology("B-2", 12, 40, "", "SM - Silty sand");
  const render::RunResult r = composeSection(run(), {{"B-1", "B-2", "B-3"}, {}, 0}, surface_);
  ASSERT_TRUE(r.ok()) << r.message;
  ASSERT_EQ(r.pages, 1);
  EXPECT_EQ(surface_.document().name.toStdString(), "Section B-1 - B-2 - B-3 -- site.sq2");

  // Names over the columns, total depths under them, class codes beside.
  for (const char* t : {"B-1", "B-2", "B-3", "TD 30 ft", "TD 40 ft", "CL", "SM", "PT",
                        "GEOLOGIC CROSS-SECTION", "B-1 - B-2 - B-3", "2291-014", "12/8/2026",
                        "Page 1 of 1", "Client: Harlan Valley Transit Authority", "LEGEND",
                        "Static water level", "Water while drilling", "Water table, inferred",
                        "HORIZONTAL SCALE", "VERTICAL SCALE", "ELEVATION (FT)", "A", "A'"})
    EXPECT_TRUE(hasText(0, t)) << t;
  // The legend lists the classes shown, in the classification file's order.
  std::vector<std::string> legend;
  for (const std::string& t : texts(0))
    if (t.find(" - ") != std::string::npos && t.find("B-") == std::string::npos)
      legend.push_back(t);
  EXPECT_EQ(legend, (std::vector<std::string>{"CL - Lean clay", "SM - Silty sand", "PT - Peat"}));

  // Correlation: clay and sand joined between both pairs, the peat
  // pinching out on both sides of B-2: pattern-filled polygons.
  int patterned = 0;
  for (const ShapeOp& s : shapes(0)) patterned += s.fill.kind == ShapeFill::Kind::kPattern;
  EXPECT_EQ(patterned, 2 * 2 + 2) << "two bands per pair and the peat's two wedges";

  // The columns stand at their true distances: B-2 a third of the way.
  const TextOp* n1 = findText(0, "B-1");
  const TextOp* n2 = findText(0, "B-2");
  const TextOp* n3 = findText(0, "B-3");
  ASSERT_TRUE(n1 && n2 && n3);
  auto centre = [&](const TextOp* t) {
    surface_.font = render::SurfaceFont{"Arial", 8, true};
    return t->origin.x() + surface_.textWidth(t->text) / 2;
  };
  EXPECT_NEAR((centre(n2) - centre(n1)) / (centre(n3) - centre(n1)), 1.0 / 3, 1e-3);
  // And at their true elevations: B-2's ground (744.8) is higher than B-1's.
  EXPECT_LT(n2->origin.y(), n1->origin.y());

  // The water table: dashed between the two static levels; B-3's "Dry"
  // is no level and ends it.
  int dashed = 0;
  for (const LineOp& l : lines(0))
    if (l.pen.style == render::kPenDash && l.pen.color != 0 && l.from.x() < centre(n3) - 100)
      ++dashed;
  EXPECT_EQ(dashed, 1) << "B-1 to B-2 only";
  // The log's open triangle for each static level, and one in the legend.
  int triangles = 0;
  for (const DrawOp& op : surface_.document().pages.at(0).ops)
    if (const auto* g = std::get_if<render::PolygonOp>(&op))
      triangles += g->points.size() == 3 && !g->filled;
  EXPECT_EQ(triangles, 3) << "B-1, B-2 and the legend; B-3 is dry";
}

TEST_F(FigureTest, SectionsThatCannotBeDrawnSayWhy) {
  boring("B-1", 0, 0, "742.3", "");
  boring("B-2", 0, 0, "744.8", "");
  boring("B-3", 0, 50, "", "");
  render::RunResult r = composeSection(run(), {{"B-1", "B-3"}, {}, 0}, surface_);
  EXPECT_EQ(r.outcome, render::RunResult::Outcome::kRefused);
  EXPECT_EQ(r.message, "The section cannot be drawn:\nB-3: no ground elevation.");
  r = composeSection(run(), {{"B-1", "B-2"}, {}, 0}, surface_);
  EXPECT_EQ(r.message,
            "The section cannot be drawn:\nB-1 and B-2 are at the same place; leave one of them "
            "out.");
  r = composeSection(run(), {{"B-1", "B-7"}, {}, 0}, surface_);
  EXPECT_EQ(r.message, "The section cannot be drawn:\nB-7: no such boring in the project.");
  EXPECT_EQ(surface_.pageCount(), 0) << "nothing composed";
}

TEST_F(FigureTest, TwoHundredBoringsMakeAMapAndALongSection) {
  std::vector<std::string> names;
  {
    // One transaction: a file written statement by statement waits for
    // the disk 600 times.
    auto database = db::Database::open(project_);
    ASSERT_TRUE(database.ok());
    ASSERT_TRUE(database->beginTransaction().ok());
    for (int i = 0; i < 200; ++i) {
      const std::string name = "B-" + std::to_string(i + 1);
      names.push_back(name);
      ASSERT_TRUE(database
                      ->execute("INSERT INTO [Boring Information] (BoringName, DepthUnits, "
                                "Northing, Easting, GroundElevation, StaticWater) VALUES (\"" +
                                name + "\", \"Feet\", \"" + num((i % 20) * 10.0) + "\", \"" +
                                num((i / 20) * 10.0 + i % 3) + "\", \"" +
                                std::to_string(700 + i % 9) + "\", \"12\")")
                      .ok());
      ASSERT_TRUE(database
                      ->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                                "Classification) VALUES (\"" +
                                name + "\", 0, 10, \"" +
                                (i % 2 ? "CL - Lean clay" : "SM - Silty sand") + "\")")
                      .ok());
    }
    ASSERT_TRUE(database->commitTransaction().ok());
  }
  SiteMapLayout layout;
  ASSERT_TRUE(composeSiteMap(run(), {}, surface_, &layout).ok());
  EXPECT_EQ(layout.symbols.size(), 200u);
  for (const auto& s : layout.symbols) {
    EXPECT_GT(s.at.x(), layout.frame.left);
    EXPECT_LT(s.at.x(), layout.frame.right());
  }
  EXPECT_GT(layout.namesLeftOut, 0) << "names that would overlap are left out";
  std::string page;
  for (const std::string& t : texts(0)) page += t + " ";
  EXPECT_NE(page.find("Names of " + std::to_string(layout.namesLeftOut) +
                      " borings are left out where they would overlap."),
            std::string::npos);

  const render::RunResult r = composeSection(run(), {names, {}, 0}, surface_);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_GT(r.pages, 1);
  EXPECT_TRUE(hasText(0, "MATCH LINE - SEE PAGE 2"));
  EXPECT_TRUE(hasText(1, "MATCH LINE - SEE PAGE 1"));
  // The ends are named once: A where the section begins, A' where it ends.
  EXPECT_TRUE(hasText(0, "A"));
  EXPECT_FALSE(hasText(0, "A'"));
  EXPECT_FALSE(hasText(r.pages - 1, "A"));
  EXPECT_TRUE(hasText(r.pages - 1, "A'"));
  EXPECT_TRUE(hasText(r.pages - 1, "Page " + std::to_string(r.pages) + " of " +
                                       std::to_string(r.pages)));
}

TEST_F(FigureTest, DemoProjectSiteMap) {
  FigureRun r = run();
  r.projectPath = std::string(VEXAMOR_TEST_BIN_DIR) + "/demo/Demo.sq2";
  r.classificationFile = std::string(VEXAMOR_TEST_BIN_DIR) + "/Classification.sqc";
  r.patternFolder = std::string(VEXAMOR_TEST_BIN_DIR) + "/Patterns";
  SiteMapLayout layout;
  const render::RunResult result = composeSiteMap(r, {{"B-1", "MW-1", "B-2"}, {}}, surface_, &layout);
  ASSERT_TRUE(result.ok()) << result.message;
  ASSERT_EQ(layout.symbols.size(), 3u);
  EXPECT_EQ(layout.namesLeftOut, 0);
  for (const char* t : {"SITE MAP", "B-1", "B-2", "MW-1", "N", "SCALE", "Soil boring",
                        "Monitoring well", "Coordinates: Northing/Easting, Feet.", "A", "A'",
                        "EASTING (FT)", "NORTHING (FT)", "2291-014", "Page 1 of 1"})
    EXPECT_TRUE(hasText(0, t)) << t;
  // North is up and east to the right: B-2 (south-east) lies right of and
  // below B-1; the well MW-1 is north of both.
  std::map<std::string, QPointF> at;
  for (const auto& s : layout.symbols) at[s.name] = s.at;
  EXPECT_GT(at["B-2"].x(), at["B-1"].x());
  EXPECT_GT(at["B-2"].y(), at["B-1"].y());
  EXPECT_LT(at["MW-1"].y(), at["B-1"].y());
  // Distances keep their proportion on paper (one scale both ways).
  const double paper = std::hypot(at["B-2"].x() - at["B-1"].x(), at["B-2"].y() - at["B-1"].y());
  EXPECT_NEAR(paper * layout.fit.unitsPerInch, std::hypot(5388.9 - 5120.5, 10102.4 - 10250.0),
              0.01);
  // Two circles with crosses, one with a dot (the well).
  int dots = 0;
  for (const ShapeOp& s : shapes(0))
    if (s.fill.kind == ShapeFill::Kind::kSolid && s.fill.color == 0 &&
        s.path.boundingRect().width() < 0.05 * kTw)
      ++dots;
  EXPECT_EQ(dots, 1 + 1) << "the demo's well and the legend's";
}

TEST_F(FigureTest, MapWithoutCoordinatesSaysSoOnThePage) {
  addBoring("B-1");
  addBoring("B-2");
  ASSERT_TRUE(composeSiteMap(run(), {}, surface_).ok());
  EXPECT_TRUE(hasText(0, "No boring has coordinates to place it on the map."));
  EXPECT_TRUE(hasText(0, "B-1 (no coordinates)"));
  EXPECT_TRUE(hasText(0, "B-2 (no coordinates)"));
}

TEST_F(FigureTest, PdfPagesStaySmall) {
  boring("B-1", 0, 0, "742.3", "16.2");
  boring("B-2", 0, 100, "744.8", "19.6");
  for (const char* b : {"B-1", "B-2"}) addLithology(b, 0, 10, "", "CL - Lean clay");
  ASSERT_TRUE(composeSection(run(), {{"B-1", "B-2"}, {}, 0}, surface_).ok());
  const std::string pdf = home_.path("section.pdf");
  ASSERT_EQ(render::writePdf(surface_.document(), QString::fromStdString(pdf)),
            render::PrintOutcome::kPrinted);
  EXPECT_LT(std::filesystem::file_size(pdf), 500u * 1024);
}

}  // namespace
}  // namespace sq::sections
