// The layouts that firms already use print exactly as they always have: a
// log of two borings with the classic layouts (the shipped layouts as they
// were) is drawn and its display list compared, line by line, with one
// recorded before the log gained elevations, water levels, N-values,
// legends and page counts.

#include <fstream>
#include <sstream>

#include "strataquill/db/jet_sql.h"
#include "strataquill/render/display_list_text.h"
#include "strataquill/render/render_test_support.h"

namespace sq::render {
namespace {

const std::string kBin = VEXAMOR_TEST_BIN_DIR;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ClassicLayoutsTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    sql(project_,
        "INSERT INTO [Project Information] (ProjectNumber, CaseNumber, ProjectName, Client, "
        "ClientContact, ClientPhone, ClientAddress1, ClientCity, ClientState, ClientZip, "
        "SiteAddress1, SiteCity, SiteState, SiteZip, LeadAgency, SiteCounty, QtrSectionSecond, "
        "QtrSectionPrimary, Section, Township, TownshipDirection, Range, RangeDirection) VALUES "
        "(\"4410-02\", \"C-77\", \"North Yard Expansion\", \"Brookfield Rail\", \"L. Ames\", "
        "\"(555) 201-7788\", \"12 Depot St\", \"Carver\", \"IN\", \"46001\", \"3300 Yard Rd\", "
        "\"Carver\", \"IN\", \"46002\", \"County Health\", \"Grant County\", \"SE\", \"NW\", "
        "\"22\", \"9\", \"S\", \"4\", \"E\")");
    sql(project_,
        "INSERT INTO [Sample User Label] (UserLabel1, UserLabel2) VALUES (\"PID (ppm)\", "
        "\"Recovery\")");
    boring("YB-1", "742.3", "18.5", "16.2", "08/02/2025", "08/03/2025",
           "Backfilled with bentonite chips.", "52");
    boring("YB-2", "739.0", "Dry", "", "08/04/2025", "08/04/2025",
           "2-in. PVC well, screen 10 to 20 ft.", "24");
    const char* text =
        "brown, moist, medium dense, fine- to medium-grained, trace gravel, occasional thin "
        "silt seams and iron oxide staining along fractures; wet below the water table";
    struct L {
      double from, to;
      const char* name;
      const char* cls;
      const char* separator;
    };
    for (const L& l :
         {L{0, 2, "FILL", "Fill", "0 - Solid"},
          L{2, 9, "LEAN CLAY (CL)", "CL - Lean clay", "1 - Dash"},
          L{9, 21, "SILTY SAND (SM)", "SM - Silty sand", "0 - Solid"},
          L{21, 37.5, "POORLY GRADED SAND (SP)", "SP - Poorly graded sand", "1 - Dash"},
          L{37.5, 41, "SILT (ML)", "ML - Silt", "2 - Dot"},
          L{41, 52, "CLAYEY SAND (SC)", "SC - Clayey sand", "0 - Solid"}})
      addLithology("YB-1", l.from, l.to, std::string(l.name) + ": " + text + ".", l.cls,
                   l.separator);
    // A description much longer than its interval runs over the page break.
    std::string longText = "GRAVEL (GP):";
    for (int i = 0; i < 12; ++i) longText += std::string(" ") + text + ";";
    addLithology("YB-2", 0, 36, "SANDY CLAY (CL): stiff.", "CL - Lean clay");
    addLithology("YB-2", 36, 39, longText, "GP - Poorly graded gravel");
    addLithology("YB-2", 39, 48, "SHALE: gray, weathered.", "Shale");
    for (int f = 1; f < 50; f += 5)
      sample("YB-1", f, f + 1.5, f < 30 ? "Split spoon (SPT)" : "Thin-walled tube (Shelby)",
             std::to_string(f % 7 + 2) + "-" + std::to_string(f % 5 + 4) + "-" +
                 std::to_string(f % 3 + 6),
             std::to_string(f * 0.3).substr(0, 3));
    sample("YB-2", 38, 39.5, "No recovery", "50/4\"", "");
    addCompletion("YB-2", 0, 8, "Cement grout");
    addCompletion("YB-2", 8, 10, "Bentonite seal");
    addCompletion("YB-2", 10, 20, "Screen");
    addCompletion("YB-2", 20, 24, "Filter pack sand");

    options_.firstPageLayoutFile = kBin + "/LogFirstPage (classic).sqf";
    options_.additionalPageLayoutFile = kBin + "/LogAdditionalPages (classic).sqf";
    options_.useAdditionalPageLayout = true;
    classification_ = kBin + "/Classification.sqc";
    patterns_ = kBin + "/Patterns";
  }

  void boring(const std::string& name, const std::string& elevation, const std::string& drilled,
              const std::string& statical, const std::string& start, const std::string& end,
              const std::string& completion, const std::string& total) {
    auto lit = [](const std::string& s) { return db::jetStringLiteral(s); };
    sql(project_,
        "INSERT INTO [Boring Information] (BoringName, DepthUnits, GroundElevation, "
        "DrilledWater, StaticWater, DateStart, DateEnd, Completion, TotalDepth, Supervisor, "
        "DrillRig, DrillMethod, Driller, DrillingContractor, Northing, NorthingUnits, Easting, "
        "EastingUnits, BoringDiameter, BoringDiameterUnits) VALUES (" +
            lit(name) + ", \"Feet\", " + lit(elevation) + ", " + lit(drilled) + ", " +
            lit(statical) + ", " + lit(start) + ", " + lit(end) + ", " + lit(completion) + ", " +
            lit(total) +
            ", \"P. Nakamura\", \"CME-55\", \"Hollow-stem auger\", \"T. Boyle\", \"Ridge "
            "Drilling\", \"2210.5\", \"Feet\", \"880.25\", \"Feet\", \"8\", \"Inches\")");
  }

  void sample(const std::string& b, double from, double to, const std::string& type,
              const std::string& blows, const std::string& pid) {
    sql(project_,
        "INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, "
        "UserText1) VALUES (" +
            db::jetStringLiteral(b) + ", " + db::jetStringLiteral(type) + ", " + num(from) + ", " +
            num(to) + ", " + db::jetStringLiteral(blows) + ", " + db::jetStringLiteral(pid) + ")");
  }

  // Both borings in one document, as a run of several borings composes them.
  std::string composeBoth() {
    surface_.setPageSize(12240, 15840);
    surface_.startDoc();
    bool first = true;
    for (const char* b : {"YB-1", "YB-2"}) {
      if (!first) surface_.newPage();
      first = false;
      LogComposer composer(surface_, options_, job(b));
      EXPECT_TRUE(composer.composePages());
    }
    surface_.endDoc();
    return displayListText(surface_.document());
  }
};

TEST_F(ClassicLayoutsTest, PrintTheDisplayListRecordedBeforeTheNewColumns) {
  const std::string actual = composeBoth();
  const std::string recordingPath = std::string(SQ_RENDER_TESTDATA) + "/classic_log.txt";
  if (qEnvironmentVariableIsSet("SQ_RECORD_DISPLAY_LIST")) {
    std::ofstream(recordingPath, std::ios::binary) << actual;
    GTEST_SKIP() << "recorded " << recordingPath;
  }
  const std::string expected = readFile(recordingPath);
  ASSERT_FALSE(expected.empty()) << "no recording at " << recordingPath;
  const std::string difference = firstDifference(expected, actual);
  if (!difference.empty()) std::ofstream("classic_log.actual.txt", std::ios::binary) << actual;
  EXPECT_EQ(difference, "") << "the whole list is in classic_log.actual.txt";
}

}  // namespace
}  // namespace sq::render
