// Export and import between projects and AGS files: the demo project there
// and back, files written by hand, units, existing borings, transactions,
// characters outside ASCII and the completion targets.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_test_support.h"
#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/project/project_file.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/test_home.h"

namespace sq::exchange {
namespace {

namespace fs = std::filesystem;
const std::string kBin = VEXAMOR_TEST_BIN_DIR;

class AgsExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { setProgramFolder(kBin); }
  void TearDown() override { setProgramFolder(""); }

  // A copy of the demo project.
  std::string demoCopy(const std::string& name = "Demo.sq2") {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(kBin + "/demo/Demo.sq2", path, true));
    return path;
  }

  std::string newProject(const std::string& name) {
    const std::string path = home_.path(name);
    EXPECT_TRUE(project::CreateNewProjectFile(path));
    return path;
  }

  db::Database open(const std::string& path) {
    auto database = db::Database::open(path);
    EXPECT_TRUE(database.ok()) << database.status().message();
    return std::move(database.value());
  }

  AgsExportOptions options(const std::string& projectPath) {
    AgsExportOptions o = defaultExportOptions(projectPath, classificationFile());
    o.date = "2025-03-04";
    return o;
  }

  AgsImportPlan plan(const std::string& text, const db::Database* project) {
    std::istringstream in(text);
    return planAgsImport(in, importContextFor(project, classificationFile()));
  }

  // Every row of the six tables as text, borings in name order and their
  // rows in the program's order.
  std::vector<std::string> contents(const std::string& path) {
    db::Database database = open(path);
    std::vector<std::string> out;
    auto dump = [&](const std::string& label, const std::string& source) {
      auto rs = database.openRecordset(source);
      ASSERT_TRUE(rs.ok()) << rs.status().message();
      for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        std::string line = label;
        for (const std::string& f : rs->fieldNames()) line += "|" + f + "=" + rs->text(f);
        out.push_back(line);
      }
    };
    auto names = database.openRecordset(project::boringListSql());
    std::vector<std::string> borings;
    for (names->moveFirst(); !names->eof(); names->moveNext())
      borings.push_back(names->text("BoringName"));
    for (const std::string& b : borings)
      for (int table : {project::kBoringTable, project::kLithologyTable, project::kSampleTable,
                        project::kCompletionTable})
        dump(b + "/" + std::to_string(table), project::GetSQL(b, table));
    dump("project", "Project Information");
    dump("labels", "Sample User Label");
    return out;
  }

  TestHome home_;
};

TEST_F(AgsExchangeTest, TheDemoProjectGoesThereAndBackTableByTable) {
  const std::string demo = demoCopy();
  AgsExportResult exported;
  {
    db::Database database = open(demo);
    exported = exportAgsFile(database, {}, options(demo), home_.path("demo.ags"));
  }
  ASSERT_TRUE(exported.status.ok()) << exported.status.message();
  EXPECT_TRUE(exported.warnings.empty()) << exported.warnings[0];
  EXPECT_TRUE(exported.issues.empty()) << formatIssue(exported.issues[0]);
  const AgsCheckReport report = checkAgsFile(home_.path("demo.ags"));
  EXPECT_TRUE(report.clean());
  EXPECT_EQ(exported.borings, 3);
  EXPECT_EQ(exported.tests, 45);

  // The N value and the increments as reported.
  EXPECT_NE(exported.text.find("\"DATA\",\"B-1\",\"13.50\",\"16\",\"5-7-9\",\"\"\r\n"),
            std::string::npos);
  EXPECT_NE(exported.text.find("\"DATA\",\"B-1\",\"63.50\",\"\",\"24-39-50/5\"\"\","
                               "\"Refusal: 50/5\"\"\"\r\n"),
            std::string::npos);

  fs::create_directory(home_.path("imported"));
  const std::string copy = newProject("imported/Demo.sq2");
  {
    db::Database database = open(copy);
    const AgsImportPlan p = planAgsImportFile(home_.path("demo.ags"),
                                              importContextFor(&database, classificationFile()));
    ASSERT_FALSE(p.refused()) << p.refusal;
    EXPECT_TRUE(p.notes.empty()) << p.notes[0];
    EXPECT_TRUE(p.skipped.empty());
    EXPECT_EQ(p.newBorings(), 3);
    ASSERT_TRUE(applyAgsImport(database, p, {}).ok());
  }
  EXPECT_EQ(contents(copy), contents(demo));
}

// A file as a contractor might write it by hand: the groups in the
// dictionary's order, a group this program does not keep, codes of its own.
const std::string kHandWritten = crlf(
    "\"GROUP\",\"PROJ\"\n\"HEADING\",\"PROJ_ID\",\"PROJ_NAME\",\"PROJ_LOC\",\"PROJ_CLNT\"\n"
    "\"UNIT\",\"\",\"\",\"\",\"\"\n\"TYPE\",\"ID\",\"X\",\"X\",\"X\"\n"
    "\"DATA\",\"C-77\",\"Quay wall\",\"North Quay, Portlaw\",\"Harbour Board\"\n\n"
    "\"GROUP\",\"TRAN\"\n"
    "\"HEADING\",\"TRAN_ISNO\",\"TRAN_DATE\",\"TRAN_PROD\",\"TRAN_STAT\",\"TRAN_AGS\",\"TRAN_RECV\"\n"
    "\"UNIT\",\"\",\"yyyy-mm-dd\",\"\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"DT\",\"X\",\"X\",\"X\",\"X\"\n"
    "\"DATA\",\"1\",\"2025-02-11\",\"Drillers Ltd\",\"Final\",\"4.1.1\",\"Harbour Board\"\n\n"
    "\"GROUP\",\"LOCA\"\n"
    "\"HEADING\",\"LOCA_ID\",\"LOCA_TYPE\",\"LOCA_NATE\",\"LOCA_NATN\",\"LOCA_GL\",\"LOCA_FDEP\","
    "\"LOCA_STAR\"\n\"UNIT\",\"\",\"\",\"m\",\"m\",\"m\",\"m\",\"yyyy-mm-dd\"\n"
    "\"TYPE\",\"ID\",\"PA\",\"2DP\",\"2DP\",\"2DP\",\"2DP\",\"DT\"\n"
    "\"DATA\",\"BH01\",\"CP\",\"123456.10\",\"654321.20\",\"4.35\",\"12.00\",\"2025-02-03\"\n\n"
    "\"GROUP\",\"GEOL\"\n"
    "\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_BASE\",\"GEOL_DESC\",\"GEOL_LEG\"\n"
    "\"UNIT\",\"\",\"m\",\"m\",\"\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"2DP\",\"X\",\"PA\"\n"
    "\"DATA\",\"BH01\",\"0.00\",\"0.30\",\"Brown sandy TOPSOIL\",\"101\"\n"
    "\"DATA\",\"BH01\",\"0.30\",\"4.50\",\"Firm brown CLAY\",\"CL\"\n"
    "\"DATA\",\"BH01\",\"4.50\",\"12.00\",\"Dense grey SAND\",\"SP\"\n\n"
    "\"GROUP\",\"ISPT\"\n\"HEADING\",\"LOCA_ID\",\"ISPT_TOP\",\"ISPT_NVAL\",\"ISPT_REP\"\n"
    "\"UNIT\",\"\",\"m\",\"\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"0DP\",\"X\"\n"
    "\"DATA\",\"BH01\",\"5.00\",\"23\",\"N=23\"\n\n"
    "\"GROUP\",\"CORE\"\n\"HEADING\",\"LOCA_ID\",\"CORE_TOP\",\"CORE_BASE\"\n"
    "\"UNIT\",\"\",\"m\",\"m\"\n\"TYPE\",\"ID\",\"2DP\",\"2DP\"\n"
    "\"DATA\",\"BH01\",\"9.00\",\"10.50\"\n\"DATA\",\"BH01\",\"10.50\",\"12.00\"\n\n"
    "\"GROUP\",\"ABBR\"\n\"HEADING\",\"ABBR_HDNG\",\"ABBR_CODE\",\"ABBR_DESC\"\n"
    "\"UNIT\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"X\",\"X\"\n"
    "\"DATA\",\"LOCA_TYPE\",\"CP\",\"Cable percussion (shell and auger)\"\n"
    "\"DATA\",\"GEOL_LEG\",\"101\",\"TOPSOIL\"\n\"DATA\",\"GEOL_LEG\",\"CL\",\"CLAY\"\n"
    "\"DATA\",\"GEOL_LEG\",\"SP\",\"SAND\"\n\n"
    "\"GROUP\",\"UNIT\"\n\"HEADING\",\"UNIT_UNIT\",\"UNIT_DESC\"\n\"UNIT\",\"\",\"\"\n"
    "\"TYPE\",\"X\",\"X\"\n\"DATA\",\"m\",\"metre\"\n\"DATA\",\"yyyy-mm-dd\",\"year month day\"\n\n"
    "\"GROUP\",\"TYPE\"\n\"HEADING\",\"TYPE_TYPE\",\"TYPE_DESC\"\n\"UNIT\",\"\",\"\"\n"
    "\"TYPE\",\"X\",\"X\"\n\"DATA\",\"0DP\",\"Value; 0 decimal places\"\n"
    "\"DATA\",\"2DP\",\"Value; 2 decimal places\"\n\"DATA\",\"DT\",\"Date\"\n"
    "\"DATA\",\"ID\",\"Identifier\"\n\"DATA\",\"PA\",\"Abbreviation\"\n\"DATA\",\"X\",\"Text\"\n");

TEST_F(AgsExchangeTest, AFileWrittenByHandImportsAndNamesWhatItSkips) {
  {
    std::istringstream in(kHandWritten);
    const AgsCheckReport report = checkAgs(in);
    ASSERT_TRUE(report.clean()) << formatIssue(report.issues[0]);
  }
  const std::string path = newProject("Quay.sq2");
  db::Database database = open(path);
  const AgsImportPlan p = plan(kHandWritten, &database);
  ASSERT_FALSE(p.refused()) << p.refusal;
  ASSERT_EQ(p.skipped.size(), 1u);
  EXPECT_EQ(p.skipped[0].group, "CORE");
  EXPECT_EQ(p.skipped[0].rows, 2);
  EXPECT_EQ(p.notes,
            (std::vector<std::string>{
                "Boring BH01: 1 penetration tests without a sample row become samples of the "
                "length of the drive.",
                "Lithology code \"101\" (TOPSOIL) matches no class: 1 interval keeps its "
                "description with the class left empty."}));
  const std::string summary = importSummary(p, false);
  EXPECT_NE(summary.find("Borings to import: 1 (BH01).\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("  CORE (2 rows): not part of a boring log in this program.\n"),
            std::string::npos)
      << summary;
  ASSERT_TRUE(applyAgsImport(database, p, {}).ok());

  auto boring = database.openRecordset(project::GetSQL("BH01", project::kBoringTable));
  ASSERT_EQ(boring->recordCount(), 1);
  EXPECT_EQ(boring->text("DepthUnits"), "Meters");
  EXPECT_EQ(boring->text("DrillMethod"), "Cable percussion (shell and auger)");
  EXPECT_EQ(boring->text("Easting"), "123456.10");
  EXPECT_EQ(boring->text("EastingUnits"), "Meters");
  EXPECT_EQ(boring->text("GroundElevation"), "4.35");
  EXPECT_EQ(boring->text("DateStart"), "02/03/2025");
  auto lithology = database.openRecordset(project::GetSQL("BH01", project::kLithologyTable));
  ASSERT_EQ(lithology->recordCount(), 3);
  std::vector<std::string> classes;
  for (lithology->moveFirst(); !lithology->eof(); lithology->moveNext())
    classes.push_back(lithology->text("Description") + " / " + lithology->text("Classification"));
  EXPECT_EQ(classes, (std::vector<std::string>{"Brown sandy TOPSOIL / ",
                                               "Firm brown CLAY / CL - Lean clay",
                                               "Dense grey SAND / SP - Poorly graded sand"}));
  auto samples = database.openRecordset(project::GetSQL("BH01", project::kSampleTable));
  ASSERT_EQ(samples->recordCount(), 1);
  EXPECT_EQ(samples->text("From"), "5");
  EXPECT_EQ(samples->text("To"), "5.45");
  EXPECT_EQ(samples->text("SampleType"), "Split spoon (SPT)");
  EXPECT_EQ(samples->text("BlowCounts"), "N=23");
  auto info = database.openRecordset("Project Information");
  EXPECT_EQ(info->text("ProjectNumber"), "C-77");
  EXPECT_EQ(info->text("SiteAddress1"), "North Quay, Portlaw");
}

TEST_F(AgsExchangeTest, AFileInMetresIsRefusedByAProjectInFeet) {
  const std::string demo = demoCopy();
  db::Database database = open(demo);
  const AgsImportPlan p = plan(kHandWritten, &database);
  ASSERT_TRUE(p.refused());
  EXPECT_EQ(p.refusal,
            "The file's depths are in Meters (m, LOCA LOCA_GL) and the project's borings are "
            "in Feet. The program never converts units: import the file into a project in "
            "Meters.");
  EXPECT_EQ(importSummary(p, false).rfind("The file cannot be imported. The file's depths", 0), 0u);
  EXPECT_FALSE(applyAgsImport(database, p, {}).ok());
  auto rs = database.openRecordset(project::boringListSql());
  EXPECT_EQ(rs->recordCount(), 3);
}

TEST_F(AgsExchangeTest, OtherDepthUnitsAreRefusedWithTheHeadingNamed) {
  std::string text = kHandWritten;
  const std::string from = "\"UNIT\",\"\",\"m\",\"m\",\"\",\"\"";
  text.replace(text.find(from), from.size(), "\"UNIT\",\"\",\"cm\",\"m\",\"\",\"\"");
  const AgsImportPlan p = plan(text, nullptr);
  EXPECT_EQ(p.refusal, "Line 21: GEOL_TOP is in \"cm\"; only m and ft can be imported.");
}

TEST_F(AgsExchangeTest, ExistingBoringsStayUnlessTheUserChoosesReplace) {
  const std::string demo = demoCopy();
  std::string text;
  {
    db::Database database = open(demo);
    text = exportAgs(database, {"B-1"}, options(demo)).text;
  }
  const std::string from = "ASPHALT: 6 inches";
  text.replace(text.find(from), from.size(), "ASPHALT: 5 inches");
  const std::vector<std::string> before = contents(demo);

  db::Database database = open(demo);
  const AgsImportPlan p = plan(text, &database);
  ASSERT_FALSE(p.refused()) << p.refusal;
  EXPECT_EQ(p.newBorings(), 0);
  EXPECT_EQ(p.existingBorings(), 1);
  EXPECT_NE(importSummary(p, false).find(
                "Borings the project already has, left as they are: B-1.\n"),
            std::string::npos);
  ASSERT_TRUE(applyAgsImport(database, p, {}).ok());
  database.close();
  EXPECT_EQ(contents(demo), before);

  database = open(demo);
  ASSERT_TRUE(applyAgsImport(database, p, {true}).ok());
  database.close();
  std::vector<std::string> after = contents(demo);
  ASSERT_EQ(after.size(), before.size());  // replaced, not added
  int changed = 0;
  for (std::size_t k = 0; k < after.size(); ++k)
    if (after[k] != before[k]) {
      ++changed;
      EXPECT_NE(after[k].find("ASPHALT: 5 inches"), std::string::npos) << after[k];
    }
  EXPECT_EQ(changed, 1);
}

TEST_F(AgsExchangeTest, AnImportThatFailsHalfwayLeavesTheProjectAsItWas) {
  // A project whose sample table lacks the first user column: the samples
  // of the first boring cannot be written after its boring row was.
  const std::string path = home_.path("Old.sq2");
  {
    auto created = db::Database::create(path);
    ASSERT_TRUE(created.ok());
    for (db::TableDef t : project::projectTables()) {
      if (t.name == "Sample Information")
        std::erase_if(t.fields, [](const db::FieldDef& f) { return f.name == "UserText1"; });
      ASSERT_TRUE(created->createTable(t).ok());
    }
  }
  const std::string demo = demoCopy();
  std::string text;
  {
    db::Database database = open(demo);
    text = exportAgs(database, {}, options(demo)).text;
  }
  db::Database database = open(path);
  const AgsImportPlan p = plan(text, &database);
  ASSERT_FALSE(p.refused());
  const db::Status s = applyAgsImport(database, p, {});
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("UserText1"), std::string::npos) << s.message();
  for (const char* table : {"Boring Information", "Lithology Information", "Sample Information",
                            "Project Information"})
    EXPECT_EQ(database.openRecordset(table)->recordCount(), 0) << table;
}

TEST_F(AgsExchangeTest, ExportRefusesBoringsInDifferentUnits) {
  const std::string demo = demoCopy();
  db::Database database = open(demo);
  auto rs = database.openRecordset(project::GetSQL("B-2", project::kBoringTable));
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("DepthUnits", db::Value::text("Meters")).ok());
  ASSERT_TRUE(rs->update().ok());
  const AgsExportResult r = exportAgs(database, {}, options(demo));
  EXPECT_FALSE(r.status.ok());
  EXPECT_NE(r.status.message().find("both feet and meters"), std::string::npos);
  EXPECT_TRUE(exportAgs(database, {"B-1", "MW-1"}, options(demo)).status.ok());
  EXPECT_EQ(exportAgs(database, {"B-9"}, options(demo)).status.message(),
            "The project has no boring named \"B-9\".");
}

TEST_F(AgsExchangeTest, ExportWritesAsciiAndSaysWhatItChanged) {
  const std::string demo = demoCopy();
  db::Database database = open(demo);
  auto rs = database.openRecordset(project::GetSQL("B-1", project::kLithologyTable));
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(
      rs->setField("Description", db::Value::text("ASPHALT \xE2\x80\x93 6\xC2\xB0, caf\xC3\xA9\r\nbase"))
          .ok());
  ASSERT_TRUE(rs->update().ok());
  auto boring = database.openRecordset(project::GetSQL("B-1", project::kBoringTable));
  ASSERT_TRUE(boring->edit().ok());
  ASSERT_TRUE(boring->setField("GroundElevation", db::Value::text("about 742")).ok());
  ASSERT_TRUE(boring->update().ok());

  const AgsExportResult r = exportAgs(database, {"B-1"}, options(demo));
  ASSERT_TRUE(r.status.ok());
  EXPECT_TRUE(r.issues.empty()) << formatIssue(r.issues[0]);
  EXPECT_NE(r.text.find("\"ASPHALT - 6deg, cafe base\""), std::string::npos);
  EXPECT_EQ(r.warnings,
            (std::vector<std::string>{
                "Boring B-1: GroundElevation \"about 742\" is not a number; left out of LOCA_GL.",
                "3 characters outside ASCII were written as ASCII: \"\xC2\xB0\" as \"deg\" (1), "
                "\"\xC3\xA9\" as \"e\" (1), \"\xE2\x80\x93\" as \"-\" (1).",
                "1 line breaks inside texts were written as blanks."}));
}

TEST_F(AgsExchangeTest, CompletionClassesGoToPipeAndBackfill) {
  EXPECT_EQ(defaultTarget("Screen"), (CompletionTarget{"SLOTTED", "901"}));
  EXPECT_EQ(defaultTarget("Blank casing in cement grout"), (CompletionTarget{"PLAIN", "904"}));
  EXPECT_EQ(defaultTarget("Blank casing"), (CompletionTarget{"PLAIN", ""}));
  EXPECT_EQ(defaultTarget("Bentonite chips"), (CompletionTarget{"", "903"}));
  EXPECT_EQ(defaultTarget("Native backfill"), (CompletionTarget{"", "905"}));
  EXPECT_EQ(defaultTarget("PVC riser"), (CompletionTarget{"PLAIN", ""}));
  EXPECT_TRUE(defaultTarget("Flush-mount vault").none());
  for (const char* text : {"PIPE PLAIN + BKFL 904", "BKFL 903", "PIPE SLOTTED", "none"})
    EXPECT_EQ(formatTarget(*parseTarget(text)), text);
  EXPECT_EQ(formatTarget(*parseTarget("bkfl 903 + pipe slotted")), "PIPE SLOTTED + BKFL 903");
  EXPECT_FALSE(parseTarget("PIPE STEEL"));
  EXPECT_FALSE(parseTarget("BKFL"));

  // The user's own targets are stored and used by the export.
  const std::string demo = demoCopy();
  ASSERT_TRUE(SaveCompletionTarget("Bentonite chips", CompletionTarget{"", "999"}));
  ASSERT_TRUE(SaveCompletionTarget("Screen", CompletionTarget{}));
  db::Database database = open(demo);
  const AgsExportResult r = exportAgs(database, {"MW-1"}, options(demo));
  EXPECT_NE(r.text.find("\"DATA\",\"MW-1\",\"35.00\",\"42.00\",\"Bentonite chips\",\"999\""),
            std::string::npos);
  EXPECT_EQ(r.text.find("\"Screen\""), std::string::npos);
  EXPECT_EQ(r.warnings, std::vector<std::string>{
                            "Boring MW-1: the completion interval 20 to 35 (\"Screen\") is left "
                            "out, as its class is set to none."});
  ASSERT_TRUE(SaveCompletionTarget("Screen", std::nullopt));
  EXPECT_EQ(options(demo).completion.target("Screen"), (CompletionTarget{"SLOTTED", "901"}));
}

TEST_F(AgsExchangeTest, PipeAndBackfillOfAnotherProgramAreCutIntoIntervals) {
  const std::string text = crlf(
      "\"GROUP\",\"LOCA\"\n\"HEADING\",\"LOCA_ID\",\"LOCA_FDEP\"\n\"UNIT\",\"\",\"ft\"\n"
      "\"TYPE\",\"ID\",\"1DP\"\n\"DATA\",\"MW-9\",\"42.0\"\n\n"
      "\"GROUP\",\"PIPE\"\n\"HEADING\",\"LOCA_ID\",\"PIPE_REF\",\"PIPE_TOP\",\"PIPE_BASE\","
      "\"PIPE_TYPE\"\n\"UNIT\",\"\",\"\",\"ft\",\"ft\",\"\"\n\"TYPE\",\"ID\",\"X\",\"1DP\",\"1DP\","
      "\"PA\"\n\"DATA\",\"MW-9\",\"A\",\"0.0\",\"20.0\",\"RISER\"\n"
      "\"DATA\",\"MW-9\",\"A\",\"20.0\",\"35.0\",\"SCR\"\n\n"
      "\"GROUP\",\"BKFL\"\n\"HEADING\",\"LOCA_ID\",\"BKFL_TOP\",\"BKFL_BASE\",\"BKFL_DESC\","
      "\"BKFL_LEG\"\n\"UNIT\",\"\",\"ft\",\"ft\",\"\",\"\"\n\"TYPE\",\"ID\",\"1DP\",\"1DP\",\"X\","
      "\"PA\"\n\"DATA\",\"MW-9\",\"0.0\",\"1.0\",\"Concrete pad\",\"906\"\n"
      "\"DATA\",\"MW-9\",\"1.0\",\"18.0\",\"Cement-bentonite grout\",\"G\"\n"
      "\"DATA\",\"MW-9\",\"18.0\",\"35.0\",\"Silica sand\",\"S\"\n"
      "\"DATA\",\"MW-9\",\"35.0\",\"\",\"Bentonite pellets\",\"B\"\n\n"
      "\"GROUP\",\"ABBR\"\n\"HEADING\",\"ABBR_HDNG\",\"ABBR_CODE\",\"ABBR_DESC\"\n"
      "\"UNIT\",\"\",\"\",\"\"\n\"TYPE\",\"X\",\"X\",\"X\"\n"
      "\"DATA\",\"PIPE_TYPE\",\"SCR\",\"Slotted screen\"\n");
  const AgsImportPlan p = plan(text, nullptr);
  ASSERT_FALSE(p.refused()) << p.refusal;
  ASSERT_EQ(p.borings.size(), 1u);
  std::vector<std::string> intervals;
  for (const ImportedInterval& i : p.borings[0].completion)
    intervals.push_back(db::formatSingle(i.from) + "-" + db::formatSingle(i.to) + " " +
                        i.field("Classification"));
  EXPECT_EQ(intervals, (std::vector<std::string>{"0-1 Blank casing in concrete",
                                                 "1-18 Blank casing in cement grout",
                                                 "18-20 Blank casing in filter pack",
                                                 "20-35 Screen", "35-42 Bentonite seal"}));
}

TEST_F(AgsExchangeTest, WaterStrikesAndWindows1252Text) {
  const std::string text = crlf(
      "\"GROUP\",\"LOCA\"\n\"HEADING\",\"LOCA_ID\"\n\"UNIT\",\"\"\n\"TYPE\",\"ID\"\n"
      "\"DATA\",\"TP1\"\n\n"
      "\"GROUP\",\"GEOL\"\n\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_BASE\",\"GEOL_DESC\"\n"
      "\"UNIT\",\"\",\"m\",\"m\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"2DP\",\"X\"\n"
      "\"DATA\",\"TP1\",\"0.00\",\"2.00\",\"Soft brown CLAY with 5\xB0 dip, \x93wet\x94\"\n\n"
      "\"GROUP\",\"WSTG\"\n\"HEADING\",\"LOCA_ID\",\"WSTG_DPTH\"\n\"UNIT\",\"\",\"m\"\n"
      "\"TYPE\",\"ID\",\"2DP\"\n\"DATA\",\"TP1\",\"3.10\"\n\"DATA\",\"TP1\",\"1.80\"\n\n"
      "\"GROUP\",\"WSTD\"\n\"HEADING\",\"LOCA_ID\",\"WSTG_DPTH\",\"WSTD_NMIN\",\"WSTD_POST\"\n"
      "\"UNIT\",\"\",\"m\",\"min\",\"m\"\n\"TYPE\",\"ID\",\"2DP\",\"0DP\",\"2DP\"\n"
      "\"DATA\",\"TP1\",\"1.80\",\"5\",\"1.60\"\n\"DATA\",\"TP1\",\"1.80\",\"20\",\"1.40\"\n"
      "\"DATA\",\"TP1\",\"3.10\",\"20\",\"2.00\"\n");
  const AgsImportPlan p = plan(text, nullptr);
  ASSERT_FALSE(p.refused()) << p.refusal;
  const ImportedBoring& b = p.borings.at(0);
  EXPECT_EQ(b.fields.at("DrilledWater"), "1.80");
  EXPECT_EQ(b.fields.at("StaticWater"), "1.40");
  EXPECT_EQ(b.lithology.at(0).field("Description"),
            "Soft brown CLAY with 5\xC2\xB0 dip, \xE2\x80\x9Cwet\xE2\x80\x9D");
  EXPECT_NE(std::find(p.notes.begin(), p.notes.end(),
                      "Characters that are not UTF-8 were read as Windows-1252 (from line 11)."),
            p.notes.end());
}

TEST_F(AgsExchangeTest, UnreadableRowsOfImportedGroupsRefuseTheFile) {
  const std::string rows = crlf(
      "\"GROUP\",\"LOCA\"\n\"HEADING\",\"LOCA_ID\"\n\"UNIT\",\"\"\n\"TYPE\",\"ID\"\n"
      "\"DATA\",\"TP1\"\n\n"
      "\"GROUP\",\"GEOL\"\n\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_BASE\",\"GEOL_DESC\"\n"
      "\"UNIT\",\"\",\"m\",\"m\",\"\"\n\"TYPE\",\"ID\",\"2DP\",\"2DP\",\"X\"\n");
  EXPECT_EQ(plan(rows + "\"DATA\",\"TP1\",\"0.00\",\"Clay\"\r\n", nullptr).refusal,
            "Line 11: GEOL row has 3 values for 4 headings.");
  EXPECT_EQ(plan(rows + "\"DATA\",\"TP1\",\"0.00\",\"1.O0\",\"Clay\"\r\n", nullptr).refusal,
            "Line 11: GEOL GEOL_BASE: \"1.O0\" is not a depth.");
  const std::string noUnits = crlf(
      "\"GROUP\",\"LOCA\"\n\"HEADING\",\"LOCA_ID\",\"LOCA_FDEP\"\n\"DATA\",\"TP1\",\"3.0\"\n");
  EXPECT_EQ(plan(noUnits, nullptr).refusal,
            "Line 1: LOCA has no UNIT row: the unit of LOCA_FDEP is not known.");
  EXPECT_TRUE(plan("not an AGS file\r\n", nullptr).unreadable);
}

}  // namespace
}  // namespace sq::exchange
