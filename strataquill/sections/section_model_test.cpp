#include "strataquill/sections/section_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "strataquill/sections/section_plan.h"

namespace sq::sections {
namespace {

// Borings in memory, as the print run reads them.
class SectionModelTest : public ::testing::Test {
 protected:
  render::BoringData& add(const std::string& name, double north, double east, double ground,
                          std::vector<render::LithologyRow> rows = {{0, 10, "", "CL", ""}},
                          const std::string& units = "Feet") {
    render::BoringData d;
    d.boringFound = true;
    d.boringFields = {{"BoringName", name},
                      {"Northing", std::to_string(north)},
                      {"Easting", std::to_string(east)},
                      {"NorthingUnits", units},
                      {"GroundElevation", std::to_string(ground)},
                      {"DepthUnits", units}};
    d.lithology = render::DepthRows<render::LithologyRow>(std::move(rows));
    data_.push_back(std::move(d));
    names_.push_back(name);
    return data_.back();
  }
  SectionModel build(StationMode mode = StationMode::kCumulative) {
    std::vector<const render::BoringData*> pointers;
    for (const auto& d : data_) pointers.push_back(&d);
    return buildSection({names_, mode, 0}, pointers);
  }

  std::deque<render::BoringData> data_;
  std::vector<std::string> names_;
};

TEST_F(SectionModelTest, PlacesBoringsAtTheirDistances) {
  add("B-1", 0, 0, 742.3);
  add("B-2", 0, 300, 744.8);
  add("B-3", 400, 300, 741.6);
  const SectionModel m = build();
  ASSERT_TRUE(m.ok()) << m.refusal;
  EXPECT_EQ(m.unit, "Feet");
  ASSERT_EQ(m.borings.size(), 3u);
  EXPECT_DOUBLE_EQ(m.borings[1].station, 300);
  EXPECT_DOUBLE_EQ(m.borings[2].station, 700);
  EXPECT_DOUBLE_EQ(m.borings[2].ground, 741.6);
  EXPECT_DOUBLE_EQ(m.borings[0].bottomDepth, 10);
  EXPECT_EQ(sectionName(m), "B-1 - B-2 - B-3");
}

TEST_F(SectionModelTest, ProjectedBoringsAreOrderedAlongTheLine) {
  add("A", 0, 0, 100);
  add("C", 60, 500, 100);  // chosen second, lies beyond B along the line
  add("B", 0, 400, 100);
  const SectionModel m = build(StationMode::kProjected);
  ASSERT_TRUE(m.ok()) << m.refusal;
  EXPECT_EQ(m.borings[1].name, "B");
  EXPECT_EQ(m.borings[2].name, "C");
  EXPECT_NEAR(m.borings[2].offset, 60, 1e-9) << "60 north, left of the line from A to B";
  ASSERT_EQ(m.notes.size(), 1u);
  EXPECT_EQ(m.notes[0],
            "Projected onto the line A - B, the borings lie in the order A, B, C.");
}

TEST_F(SectionModelTest, RefusesWithEveryReasonAndTheBoringsNames) {
  add("B-1", 0, 0, 742.3);
  add("B-2", 0, 0, 744.8);  // where B-1 is
  EXPECT_EQ(build().refusal,
            "The section cannot be drawn:\nB-1 and B-2 are at the same place; leave one of them "
            "out.");

  data_.clear();
  names_.clear();
  add("B-1", 0, 0, 742.3);
  add("B-2", 10, 10, 0).boringFields["GroundElevation"] = "";
  add("B-3", 20, 20, 700).boringFields["Northing"] = "unknown";
  add("B-4", 30, 30, 700, {{0, 3, "", "CL", ""}}, "Meters");
  const SectionModel m = build();
  EXPECT_FALSE(m.ok());
  EXPECT_TRUE(m.borings.empty());
  EXPECT_NE(m.refusal.find("B-2: no ground elevation."), std::string::npos) << m.refusal;
  EXPECT_NE(m.refusal.find("B-3: no coordinates."), std::string::npos) << m.refusal;
  EXPECT_NE(m.refusal.find("the depths are in different units: Feet (B-1, B-2, B-3); Meters "
                           "(B-4). The program does not convert units."),
            std::string::npos)
      << m.refusal;
  EXPECT_NE(m.refusal.find("B-4: coordinates in Meters."), std::string::npos) << m.refusal;
}

TEST_F(SectionModelTest, RefusesTooFewTooManyUnknownAndRepeatedBorings) {
  add("B-1", 0, 0, 742.3);
  EXPECT_EQ(build().refusal, "A section needs at least two borings.");
  names_.push_back("B-1");
  data_.push_back(data_.front());
  EXPECT_NE(build().refusal.find("B-1: chosen twice."), std::string::npos);
  names_.back() = "B-9";
  data_.back().boringFound = false;
  EXPECT_NE(build().refusal.find("B-9: no such boring in the project."), std::string::npos);

  std::vector<std::string> many(kMaxSectionBorings + 1, "B");
  EXPECT_EQ(buildSection({many, StationMode::kCumulative, 0}, {}).refusal,
            "A section can pass through at most 250 borings; 251 were chosen.");
}

TEST_F(SectionModelTest, OverlapsAreCutAndGapsNoted) {
  add("B-1", 0, 0, 742.3,
      {{0, 5, "", "CL", ""}, {4, 8, "", "SM", ""}, {5, 6, "", "ML", ""}, {9, 12, "", "SP", ""}});
  add("B-2", 0, 100, 744.8);
  const SectionModel m = build();
  ASSERT_TRUE(m.ok()) << m.refusal;
  const auto& iv = m.borings[0].intervals;
  ASSERT_EQ(iv.size(), 3u);
  EXPECT_EQ(iv[1].classText, "SM");
  EXPECT_DOUBLE_EQ(iv[1].from, 5) << "drawn from where the clay ends";
  EXPECT_EQ(m.notes, (std::vector<std::string>{
                         "B-1: intervals overlap from 4 to 5 ft; drawn from 5 ft.",
                         "B-1: the interval 5 to 6 ft lies inside the one above it and is not "
                         "drawn.",
                         "B-1: no lithology from 8 to 9 ft."}));
  EXPECT_DOUBLE_EQ(m.borings[0].bottomDepth, 12);
}

TEST_F(SectionModelTest, WaterLevelsThatReadAsDepths) {
  const auto levels = waterLevels({{"DrilledWater", "18.5"},
                                   {"StaticWater", " 16.2 "},
                                   {"PotentiometricWater", "Dry"},
                                   {"DateStart", "09/16/2024"},
                                   {"DateEnd", "09/17/2024"}});
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_EQ(levels[0].kind, WaterLevel::Kind::kWhileDrilling);
  EXPECT_EQ(levels[0].date, "09/16/2024");
  EXPECT_DOUBLE_EQ(levels[1].depth, 16.2);
  EXPECT_EQ(levels[1].date, "09/17/2024");
  EXPECT_EQ(classCode("CL - Lean clay"), "CL");
  EXPECT_EQ(classCode("SP-SM - Poorly graded sand with silt"), "SP-SM");
  EXPECT_EQ(classCode("Weathered bedrock"), "Weathered bedrock");
}

// Lays sections out on a Letter page in landscape.
class SectionPlanTest : public SectionModelTest {
 protected:
  SectionPlan plan(double exaggeration = 0) { return planSection(build(), 11, 8.5, exaggeration); }
};

TEST_F(SectionPlanTest, AShortSectionFitsOnePage) {
  add("B-1", 0, 0, 742.3, {{0, 65, "", "CL", ""}});
  add("B-2", 0, 105, 741.6, {{0, 42, "", "CL", ""}});
  add("B-3", 0, 383, 744.8, {{0, 112, "", "CL", ""}});
  const SectionPlan p = plan();
  ASSERT_TRUE(p.ok()) << p.refusal;
  ASSERT_EQ(p.pages.size(), 1u);
  EXPECT_EQ(p.pages[0].borings, (std::vector<std::size_t>{0, 1, 2}));
  // Every column and the deepest bottom lie inside the plot.
  for (double station : {0.0, 105.0, 383.0}) {
    EXPECT_GT(p.x(0, station) - p.columnWidth / 2, p.plot.left);
    EXPECT_LT(p.x(0, station) + p.columnWidth / 2, p.plot.right());
  }
  EXPECT_GE(p.y(744.8), p.plot.top);
  EXPECT_LE(p.y(744.8 - 112), p.plot.bottom());
  EXPECT_DOUBLE_EQ(p.horizontalUnitsPerInch, roundScaleUp(p.horizontalUnitsPerInch));
  EXPECT_DOUBLE_EQ(p.exaggeration, p.horizontalUnitsPerInch / p.elevation.unitsPerInch);
  EXPECT_GT(p.exaggeration, 1);
}

TEST_F(SectionPlanTest, AnExaggerationIsKept) {
  add("B-1", 0, 0, 742.3, {{0, 65, "", "CL", ""}});
  add("B-2", 0, 383, 744.8, {{0, 112, "", "CL", ""}});
  const SectionPlan p = plan(10);
  ASSERT_TRUE(p.ok()) << p.refusal;
  EXPECT_DOUBLE_EQ(p.exaggeration, 10);
  EXPECT_LE(p.y(744.8 - 112), p.plot.bottom()) << "and the section still fits";
}

TEST_F(SectionPlanTest, ALongSectionContinuesWithMatchLines) {
  // 60 borings 100 ft apart: at one page's scale they would crowd.
  for (int i = 0; i < 60; ++i) add("B-" + std::to_string(i), 0, i * 100.0, 700 + i % 7);
  const SectionPlan p = plan();
  ASSERT_TRUE(p.ok()) << p.refusal;
  ASSERT_GT(p.pages.size(), 1u);
  std::size_t drawn = 0;
  for (std::size_t k = 0; k < p.pages.size(); ++k) {
    const auto& page = p.pages[k];
    EXPECT_EQ(page.continuedLeft, k > 0);
    EXPECT_EQ(page.continuedRight, k + 1 < p.pages.size());
    if (k > 0) {
      EXPECT_DOUBLE_EQ(page.from, p.pages[k - 1].to) << "pages meet at the match line";
    }
    for (std::size_t i : page.borings) {
      const double x = p.x(k, i * 100.0);
      EXPECT_GT(x - p.columnWidth / 2, p.x(k, page.from) - (k == 0 ? 1 : 0)) << i;
      EXPECT_LT(x + p.columnWidth / 2, page.continuedRight ? p.x(k, page.to) : p.plot.right());
    }
    drawn += page.borings.size();
    EXPECT_GE(100 / p.horizontalUnitsPerInch, kMinColumnSpacing);
  }
  EXPECT_EQ(drawn, 60u) << "each boring on one page";
}

TEST_F(SectionPlanTest, BoringsTooCloseForAnyScaleAreRefused) {
  add("B-1", 0, 0, 700);
  add("B-2", 0, 0.01, 700);
  add("B-3", 0, 50000, 700);
  const SectionPlan p = plan();
  EXPECT_FALSE(p.ok());
  EXPECT_TRUE(p.pages.empty());
  EXPECT_EQ(p.refusal,
            "B-1 and B-2 are only 0.01 ft apart on a section 50000 ft long: their columns would "
            "overlap unless the section ran over more than 60 pages. Leave one of them out.");
}

}  // namespace
}  // namespace sq::sections
