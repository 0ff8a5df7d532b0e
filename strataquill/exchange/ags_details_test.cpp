// The finer points of export and import: options, codes, dates, the water
// levels, the drilling sections and what an import fills in.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/project/project_file.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/test_home.h"

namespace sq::exchange {
namespace {

const std::string kBin = VEXAMOR_TEST_BIN_DIR;
using Row = std::vector<std::string>;

// One group: GROUP, HEADING, UNIT, TYPE and DATA rows, CR LF line ends.
std::string group(const std::string& name, const Row& headings, const Row& units,
                  const Row& types, const std::vector<Row>& rows) {
  auto line = [](const std::string& descriptor, const Row& values) {
    std::string out = "\"" + descriptor + "\"";
    for (const std::string& v : values) out += ",\"" + v + "\"";
    return out + "\r\n";
  };
  std::string out = line("GROUP", {name}) + line("HEADING", headings) + line("UNIT", units) +
                    line("TYPE", types);
  for (const Row& r : rows) out += line("DATA", r);
  return out + "\r\n";
}

std::string location(const std::string& id) {
  return group("LOCA", {"LOCA_ID", "LOCA_FDEP"}, {"", "m"}, {"ID", "1DP"}, {{id, "10.0"}});
}

class AgsDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setProgramFolder(kBin);
    demo_ = home_.path("Demo.sq2");
    ASSERT_TRUE(copyFile(kBin + "/demo/Demo.sq2", demo_, true));
  }
  void TearDown() override { setProgramFolder(""); }

  db::Database open(const std::string& path) {
    return std::move(db::Database::open(path).value());
  }

  AgsExportResult exportDemo(const std::vector<std::string>& borings,
                             const std::function<void(AgsExportOptions&)>& adjust = {}) {
    AgsExportOptions o = defaultExportOptions(demo_, classificationFile());
    o.date = "2025-03-04";
    if (adjust) adjust(o);
    db::Database database = open(demo_);
    return exportAgs(database, borings, o);
  }

  // Sets one field of a table's row of the demo (the boring's own row, or
  // the first row of a one-row table when `boring` is empty).
  void setDemoField(const std::string& boring, int table, const std::string& field,
                    const std::string& value) {
    db::Database database = open(demo_);
    auto rs = database.openRecordset(boring.empty() ? "Project Information"
                                                    : project::GetSQL(boring, table));
    ASSERT_TRUE(rs.ok() && !rs->eof());
    rs->moveFirst();
    ASSERT_TRUE(rs->edit().ok());
    ASSERT_TRUE(rs->setField(field, db::Value::text(value)).ok());
    ASSERT_TRUE(rs->update().ok());
  }

  AgsImportPlan plan(const std::string& text, DateOrder order = DateOrder::kMonthDayYear) {
    AgsImportContext context = importContextFor(nullptr, classificationFile());
    context.dateOrder = order;
    std::istringstream in(text);
    return planAgsImport(in, context);
  }

  TestHome home_;
  std::string demo_;
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(AgsDetailsTest, StandardHeadingsOnlyWhenAsked) {
  const AgsExportResult r = exportDemo({}, [](AgsExportOptions& o) { o.userHeadings = false; });
  ASSERT_TRUE(r.status.ok());
  EXPECT_TRUE(r.issues.empty());
  for (const char* user : {"\"DICT\"", "PROJ_CASE", "LOCA_FWN", "GEOL_LINE", "SAMP_BLOW",
                           "SAMP_UT01"})
    EXPECT_FALSE(has(r.text, user)) << user;
  // The site address still travels, joined in PROJ_LOC.
  EXPECT_TRUE(has(r.text, "\"1870 Old Mill Road, Parcel 14-220-006, Millbrook, OH 45099\""));
  const AgsImportPlan p = plan(r.text);
  EXPECT_EQ(p.project.at("SiteAddress1"), "1870 Old Mill Road, Parcel 14-220-006, Millbrook, OH 45099");
  EXPECT_FALSE(p.project.count("SiteCity"));
}

TEST_F(AgsDetailsTest, StatusRecipientAndProjectIdentifier) {
  setDemoField("", 0, "ProjectNumber", " ");
  const AgsExportResult r = exportDemo({"B-1"}, [](AgsExportOptions& o) {
    o.locationStatus = "FINAL";
    o.recipient = "Alder County";
    o.transferStatus = "Preliminary";
  });
  ASSERT_TRUE(r.issues.empty());
  EXPECT_TRUE(has(r.text, "\"DATA\",\"Demo\",\"Former Kessler"));  // the file's name
  EXPECT_TRUE(has(r.text, "\"Preliminary\",\"Boring logs of 1 location, Former Kessler"));
  EXPECT_TRUE(has(r.text, "\"4.1.1\",\"Alder County\",\"+\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"B-1\",\"AUGH\",\"FINAL\","));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"LOCA_STAT\",\"FINAL\",\"Final data\",\"AGS4\""));
}

TEST_F(AgsDetailsTest, MethodsAndClassesGetCodesWithTheirTexts) {
  setDemoField("B-2", project::kBoringTable, "DrillMethod", "Mud rotary");
  {
    db::Database database = open(demo_);
    auto rs = database.openRecordset(project::GetSQL("B-2", project::kLithologyTable));
    rs->moveFirst();
    ASSERT_TRUE(rs->edit().ok() &&
                rs->setField("Classification", db::Value::text("SAND - fine")).ok() &&
                rs->update().ok());
    rs->moveNext();
    ASSERT_TRUE(rs->edit().ok() &&
                rs->setField("Classification", db::Value::text("SAND - coarse")).ok() &&
                rs->update().ok());
  }
  const AgsExportResult r = exportDemo({"B-1", "B-2"});
  ASSERT_TRUE(r.issues.empty()) << formatIssue(r.issues[0]);
  EXPECT_TRUE(has(r.text, "\"DATA\",\"LOCA_TYPE\",\"AUGH\",\"Hollow Stem Auger\",\"AGS4\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"LOCA_TYPE\",\"MR\",\"Mud rotary\",\"\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"HDPH_TYPE\",\"AUGH\",\"Hollow Stem Auger\",\"\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"GEOL_LEG\",\"SAND\",\"SAND - fine\",\"\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"GEOL_LEG\",\"SAND2\",\"SAND - coarse\",\"\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"SAMP_TYPE\",\"SPT\",\"Split spoon (SPT)\",\"\""));
  EXPECT_TRUE(has(r.text, "\"DATA\",\"BKFL_LEG\",") == false);  // no completion in B-1, B-2
}

TEST_F(AgsDetailsTest, TwoIncrementsAndDatesThatAreNotDates) {
  {
    db::Database database = open(demo_);
    auto rs = database.openRecordset(project::GetSQL("B-1", project::kSampleTable));
    rs->moveFirst();
    ASSERT_TRUE(rs->edit().ok() && rs->setField("BlowCounts", db::Value::text("7-9")).ok() &&
                rs->update().ok());
  }
  setDemoField("B-1", project::kBoringTable, "DateStart", "Sept. 16");
  const AgsExportResult r = exportDemo({"B-1"});
  EXPECT_TRUE(has(r.text, "\"DATA\",\"B-1\",\"1.00\",\"16\",\"7-9\",\"N from two increments only\""));
  EXPECT_EQ(r.warnings, std::vector<std::string>{
                            "Boring B-1: DateStart \"Sept. 16\" is not a date in the project's "
                            "date form; left out."});
  setDemoField("B-1", project::kBoringTable, "DateStart", "16/09/2024");
  const AgsExportResult dmy =
      exportDemo({"B-1"}, [](AgsExportOptions& o) { o.dateOrder = DateOrder::kDayMonthYear; });
  // Read day first, the start is a date and the end ("09/16/2024") is none.
  EXPECT_TRUE(has(dmy.text, "\"65\",\"2024-09-16\",\"39.41872\""));
  EXPECT_EQ(dmy.warnings, std::vector<std::string>{
                              "Boring B-1: DateEnd \"09/16/2024\" is not a date in the project's "
                              "date form; left out."});
}

TEST_F(AgsDetailsTest, ImportedDatesTakeTheProjectsForm) {
  const std::string text =
      group("LOCA", {"LOCA_ID", "LOCA_STAR", "LOCA_ENDD"}, {"", "yyyy-mm-dd", "yyyy-mm-dd"},
            {"ID", "DT", "DT"}, {{"BH1", "2024-09-16", "2024-10-02"}});
  EXPECT_EQ(plan(text).borings.at(0).fields.at("DateEnd"), "10/02/2024");
  EXPECT_EQ(plan(text, DateOrder::kDayMonthYear).borings.at(0).fields.at("DateEnd"), "02/10/2024");
  EXPECT_EQ(plan(text, DateOrder::kIso).borings.at(0).fields.at("DateStart"), "2024-09-16");
}

TEST_F(AgsDetailsTest, DrillingSectionsGiveMethodCrewAndDiameter) {
  const std::string text =
      location("BH1") +
      group("HDPH",
            {"LOCA_ID", "HDPH_TOP", "HDPH_BASE", "HDPH_TYPE", "HDPH_STAR", "HDPH_CREW", "HDPH_EXC"},
            {"", "m", "m", "", "yyyy-mm-ddThh:mm", "", ""},
            {"ID", "2DP", "2DP", "PA", "DT", "X", "X"},
            {{"BH1", "6.00", "10.00", "RC", "2025-01-07T08:00", "J. Bell", "Comacchio 205"},
             {"BH1", "0.00", "6.00", "CP", "2025-01-06T08:00", "A. Hay", "Dando 150"}}) +
      group("HDIA", {"LOCA_ID", "HDIA_DPTH", "HDIA_DIAM"}, {"", "m", "mm"}, {"ID", "2DP", "0DP"},
            {{"BH1", "10.00", "100"}, {"BH1", "6.00", "150"}}) +
      group("ABBR", {"ABBR_HDNG", "ABBR_CODE", "ABBR_DESC"}, {"", "", ""}, {"X", "X", "X"},
            {{"HDPH_TYPE", "CP", "Cable percussion"}, {"HDPH_TYPE", "RC", "Rotary cored"}});
  const AgsImportPlan p = plan(text);
  const auto& f = p.borings.at(0).fields;
  EXPECT_EQ(f.at("DrillMethod"), "Cable percussion; Rotary cored");
  EXPECT_EQ(f.at("Driller"), "A. Hay");
  EXPECT_EQ(f.at("DrillRig"), "Dando 150");
  EXPECT_EQ(f.at("DateStart"), "01/06/2025");
  EXPECT_EQ(f.at("BoringDiameter"), "150");
  EXPECT_EQ(f.at("BoringDiameterUnits"), "Millimeters");
}

TEST_F(AgsDetailsTest, MonitoringReadingsGiveTheLatestLevels) {
  const std::string readings =
      group("MONG", {"LOCA_ID", "MONG_ID", "MONG_DIS", "MONG_TYPE"}, {"", "", "m", ""},
            {"ID", "X", "2DP", "PA"}, {{"BH1", "A", "8.00", "SPIE"}, {"BH1", "B", "3.00", "SP"}}) +
      group("MOND",
            {"LOCA_ID", "MONG_ID", "MONG_DIS", "MOND_DTIM", "MOND_TYPE", "MOND_RDNG", "MOND_UNIT"},
            {"", "", "m", "yyyy-mm-dd", "", "", ""}, {"ID", "X", "2DP", "DT", "PA", "XN", "PU"},
            {{"BH1", "B", "3.00", "2025-02-01", "WDEP", "2.10", "m"},
             {"BH1", "B", "3.00", "2025-03-01", "WDEP", "1.95", "m"},
             {"BH1", "B", "3.00", "2025-02-15", "WDEP", "2.40", "m"},
             {"BH1", "A", "8.00", "2025-03-01", "WDEP", "Dry", "m"},
             {"BH1", "A", "8.00", "2025-03-01", "TEMP", "9.5", "DegC"}});
  const AgsImportPlan p = plan(location("BH1") + readings);
  const auto& f = p.borings.at(0).fields;
  EXPECT_EQ(f.at("StaticWater"), "1.95");
  EXPECT_EQ(f.at("PotentiometricWater"), "Dry");
  const std::string inFeet =
      group("LOCA", {"LOCA_ID", "LOCA_FDEP"}, {"", "ft"}, {"ID", "1DP"}, {{"BH1", "30.0"}});
  EXPECT_EQ(plan(inFeet + readings).refusal,
            "Line 18: a water level (MOND_UNIT) is in \"m\" while LOCA LOCA_FDEP is in ft; the "
            "program never converts units.");
}

TEST_F(AgsDetailsTest, RowsWithoutTheirLocationAndSecondLocationsAreNamed) {
  const std::string text =
      group("LOCA", {"LOCA_ID", "LOCA_FDEP"}, {"", "m"}, {"ID", "1DP"},
            {{"BH1", "10.0"}, {"BH1", "12.0"}, {"", "3.0"}}) +
      group("SAMP", {"LOCA_ID", "SAMP_TOP", "SAMP_REF", "SAMP_TYPE", "SAMP_ID"},
            {"", "m", "", "", ""}, {"ID", "2DP", "X", "PA", "ID"},
            {{"BH1", "1.00", "1", "B", ""}, {"BH7", "1.00", "1", "B", ""}});
  const AgsImportPlan p = plan(text);
  ASSERT_EQ(p.borings.size(), 1u);
  EXPECT_EQ(p.borings[0].fields.at("TotalDepth"), "10.0");
  EXPECT_EQ(p.notes, (std::vector<std::string>{
                         "Line 6: a second LOCA row for \"BH1\" is left out.",
                         "Line 7: a LOCA row without a LOCA_ID is left out.",
                         "1 rows belong to locations that the LOCA group does not have (1 "
                         "location); they are left out.",
                         "Sample type \"B\" matches no sample type of the classification file: 1 "
                         "sample has an empty sample type."}));
}

TEST_F(AgsDetailsTest, AnImportFillsOnlyWhatTheProjectLeftEmpty) {
  setDemoField("", 0, "ProjectName", "Our own name");
  setDemoField("", 0, "LeadAgency", " ");  // as the data entry window stores an empty cell
  {
    db::Database database = open(demo_);
    auto labels = database.openRecordset("Sample User Label");
    labels->moveFirst();
    ASSERT_TRUE(labels->edit().ok() &&
                labels->setField("UserLabel2", db::Value::text("Undefined")).ok() &&
                labels->update().ok());
  }
  const std::string text =
      group("PROJ", {"PROJ_ID", "PROJ_NAME", "PROJ_AGCY"}, {"", "", ""}, {"ID", "X", "X"},
            {{"9-9", "Their name", "Water Board"}}) +
      group("LOCA", {"LOCA_ID", "LOCA_FDEP"}, {"", "ft"}, {"ID", "1DP"}, {{"N-1", "5.0"}}) +
      group("SAMP", {"LOCA_ID", "SAMP_TOP", "SAMP_REF", "SAMP_TYPE", "SAMP_ID", "SAMP_UT01",
                     "SAMP_UT02"},
            {"", "ft", "", "", "", "", ""}, {"ID", "2DP", "X", "X", "ID", "X", "X"},
            {{"N-1", "1.00", "1", "", "", "3.2", "wet"}}) +
      group("DICT", {"DICT_TYPE", "DICT_GRP", "DICT_HDNG", "DICT_DESC"}, {"", "", "", ""},
            {"X", "X", "X", "X"},
            {{"HEADING", "SAMP", "SAMP_UT01", "FID (ppm)"},
             {"HEADING", "SAMP", "SAMP_UT02", "Moisture"}});
  db::Database database = open(demo_);
  std::istringstream in(text);
  const AgsImportPlan p = planAgsImport(in, importContextFor(&database, classificationFile()));
  ASSERT_FALSE(p.refused()) << p.refusal;
  ASSERT_TRUE(applyAgsImport(database, p, {}).ok());
  auto info = database.openRecordset("Project Information");
  EXPECT_EQ(info->text("ProjectNumber"), "2291-014");
  EXPECT_EQ(info->text("ProjectName"), "Our own name");
  EXPECT_EQ(info->text("LeadAgency"), "Water Board");
  auto labels = database.openRecordset("Sample User Label");
  EXPECT_EQ(labels->text("UserLabel1"), "PID (ppm)");
  EXPECT_EQ(labels->text("UserLabel2"), "Moisture");
  auto samples = database.openRecordset(project::GetSQL("N-1", project::kSampleTable));
  EXPECT_EQ(samples->text("UserText1"), "3.2");
  EXPECT_EQ(samples->text("UserText2"), "wet");
}

}  // namespace
}  // namespace sq::exchange
