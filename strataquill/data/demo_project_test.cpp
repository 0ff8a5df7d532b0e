// The shipped demo project: a complete project file whose borings print
// with the shipped classes.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/project_schema.h"

namespace sq {
namespace {

using layouts::ClassKind;

const std::string kBin = VEXAMOR_TEST_BIN_DIR;

struct Interval {
  float from = 0;
  float to = 0;
  std::string text;  // class or sample type
};

class DemoProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = db::Database::open(kBin + "/demo/Demo.sq2");
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    db_.emplace(std::move(opened.value()));
    auto rs = db_->openRecordset(project::boringListSql());
    ASSERT_TRUE(rs.ok()) << rs.status().message();
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext())
      borings_.push_back(rs->text("BoringName"));
  }

  // One boring's rows of a table, by the data entry window's own query.
  std::vector<Interval> intervals(const std::string& boring, int table, const char* field) {
    std::vector<Interval> out;
    auto rs = db_->openRecordset(project::GetSQL(boring, table));
    EXPECT_TRUE(rs.ok()) << rs.status().message();
    if (!rs.ok()) return out;
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext())
      out.push_back({rs->value("From")->toFloat(), rs->value("To")->toFloat(), rs->text(field)});
    return out;
  }

  std::set<std::string> catalogue(ClassKind kind) {
    std::set<std::string> names;
    for (const auto& row : layouts::readClassTable(kBin + "/Classification.sqc", kind))
      names.insert(row.first);
    return names;
  }

  std::optional<db::Database> db_;
  std::vector<std::string> borings_;
};

TEST_F(DemoProjectTest, HasTheProjectStructureAndAFilledHeader) {
  for (const db::TableDef& want : project::projectTables()) {
    auto have = db_->tableDef(want.name);
    ASSERT_TRUE(have.ok()) << want.name;
    for (const db::FieldDef& f : want.fields) {
      const db::FieldDef* got = have->field(f.name);
      ASSERT_NE(got, nullptr) << want.name << "." << f.name;
      EXPECT_EQ(got->type, f.type) << want.name << "." << f.name;
    }
  }
  auto project = db_->openRecordset("Project Information");
  ASSERT_TRUE(project.ok());
  ASSERT_EQ(project->recordCount(), 1);
  for (const char* field :
       {"ProjectNumber", "ProjectName", "Client", "ClientAddress1", "ClientCity", "SiteAddress1",
        "SiteCity", "SiteCounty", "LeadAgency", "QtrSectionSecond", "QtrSectionPrimary", "Section",
        "Township", "TownshipDirection", "Range", "RangeDirection"})
    EXPECT_FALSE(project->text(field).empty()) << field;

  auto labels = db_->openRecordset("Sample User Label");
  ASSERT_TRUE(labels.ok());
  ASSERT_EQ(labels->recordCount(), 1);
  EXPECT_EQ(labels->text("UserLabel1"), "PID (ppm)");
  for (int i = 2; i <= 10; ++i)
    EXPECT_EQ(labels->text("UserLabel" + std::to_string(i)), "Undefined") << i;
}

TEST_F(DemoProjectTest, ThreeFullyDescribedBoringsOverSeveralPages) {
  ASSERT_EQ(borings_.size(), 3u);
  for (const std::string& boring : borings_) {
    SCOPED_TRACE(boring);
    auto info = db_->openRecordset(project::GetSQL(boring, project::kBoringTable));
    ASSERT_TRUE(info.ok());
    ASSERT_EQ(info->recordCount(), 1);
    for (const char* field :
         {"DateStart", "DateEnd", "Driller", "DrillingContractor", "DrillMethod", "DrillRig",
          "BoringDiameter", "GroundElevation", "StaticWater", "TotalDepth", "Northing", "Easting",
          "Supervisor", "Completion"})
      EXPECT_FALSE(info->text(field).empty()) << field;
    EXPECT_EQ(info->text("DepthUnits"), "Feet");
    EXPECT_EQ(info->text("BoringDiameterUnits"), "Inches");

    // The lithology runs without gap or overlap from the surface to the
    // total depth, which is more than a 40 ft page and at most 120 ft.
    const auto lith = intervals(boring, project::kLithologyTable, "Classification");
    ASSERT_FALSE(lith.empty());
    EXPECT_EQ(lith.front().from, 0);
    for (std::size_t i = 0; i < lith.size(); ++i) {
      EXPECT_LT(lith[i].from, lith[i].to);
      if (i > 0) {
        EXPECT_EQ(lith[i].from, lith[i - 1].to) << "at " << lith[i].from;
      }
    }
    const float deepest = lith.back().to;
    EXPECT_GT(deepest, 40);
    EXPECT_LE(deepest, 120);
    EXPECT_EQ(db::parseLeadingNumber(info->text("TotalDepth")), deepest);

    // Samples lie inside the boring, one after another.
    const auto samples = intervals(boring, project::kSampleTable, "SampleType");
    ASSERT_GE(samples.size(), 8u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      EXPECT_LT(samples[i].from, samples[i].to);
      EXPECT_LE(samples[i].to, deepest);
      if (i > 0) {
        EXPECT_LE(samples[i - 1].to, samples[i].from);
      }
    }
  }
}

TEST_F(DemoProjectTest, EveryClassPrintsWithItsPattern) {
  const auto lithology = catalogue(ClassKind::kLithology);
  const auto completion = catalogue(ClassKind::kCompletion);
  const auto samples = catalogue(ClassKind::kSamples);
  const std::set<std::string> separators = {"0 - Solid",    "1 - Dash",         "2 - Dot",
                                            "3 - Dash-Dot", "4 - Dash-Dot-Dot", "5 - None"};
  int wells = 0;
  for (const std::string& boring : borings_) {
    SCOPED_TRACE(boring);
    for (const auto& i : intervals(boring, project::kLithologyTable, "Classification"))
      EXPECT_TRUE(lithology.count(i.text)) << "[" << i.text << "]";
    for (const auto& i : intervals(boring, project::kLithologyTable, "SeparatorType"))
      EXPECT_TRUE(separators.count(i.text)) << "[" << i.text << "]";
    for (const auto& i : intervals(boring, project::kSampleTable, "SampleType"))
      EXPECT_TRUE(samples.count(i.text)) << "[" << i.text << "]";
    const auto well = intervals(boring, project::kCompletionTable, "Classification");
    if (well.empty()) continue;
    ++wells;
    // A well is built from the surface down without overlaps, so no
    // interval draws over another in the completion column.
    EXPECT_EQ(well.front().from, 0);
    for (std::size_t i = 0; i < well.size(); ++i) {
      EXPECT_TRUE(completion.count(well[i].text)) << "[" << well[i].text << "]";
      if (i > 0) {
        EXPECT_EQ(well[i].from, well[i - 1].to);
      }
    }
    std::set<std::string> parts;
    for (const auto& i : well) parts.insert(i.text);
    EXPECT_TRUE(parts.count("Screen"));
  }
  EXPECT_EQ(wells, 1);
}

TEST_F(DemoProjectTest, SplitSpoonSamplesCarryBlowCountsAndReadings) {
  int spt = 0;
  int readings = 0;
  for (const std::string& boring : borings_) {
    auto rs = db_->openRecordset(project::GetSQL(boring, project::kSampleTable));
    ASSERT_TRUE(rs.ok());
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) {
      if (rs->text("SampleType") != "Split spoon (SPT)") continue;
      ++spt;
      const std::string blows = rs->text("BlowCounts");
      EXPECT_EQ(
          std::count(blows.begin(), blows.end(), '-') == 2 || blows.find('/') != std::string::npos,
          true)
          << boring << " " << blows;
      if (!rs->text("UserText1").empty()) ++readings;
    }
  }
  EXPECT_GE(spt, 30);
  EXPECT_GE(readings, 20);
}

}  // namespace
}  // namespace sq
