// strataquill-ags as a user runs it: the exit status and what it prints.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/test_command.h"
#include "strataquill/shell/test_home.h"

namespace {

namespace fs = std::filesystem;
const std::string kBin = VEXAMOR_TEST_BIN_DIR;

using Outcome = sq::CommandOutcome;

// Runs the tool as a script would.
Outcome ags(const std::string& arguments) {
  return sq::runCommand(kBin + "/strataquill-ags " + arguments);
}

class AgsToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo_ = home_.path("Demo.sq2");
    ASSERT_TRUE(sq::copyFile(kBin + "/demo/Demo.sq2", demo_, true));
  }
  sq::TestHome home_;
  std::string demo_;
};

TEST_F(AgsToolTest, ExportCheckAndImportIntoANewProject) {
  const std::string file = home_.path("demo.ags");
  Outcome r = ags("export " + sq::shellQuote(demo_) + " -o " + sq::shellQuote(file));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "Wrote " + file + ": 3 borings, 32 lithology intervals, 53 samples, 45 penetration "
            "tests, 11 pipe and backfill rows.\n");

  r = ags("check " + sq::shellQuote(file));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, file + ": no breach of the AGS4 rules (18 groups, 371 lines).\n");

  const std::string project = home_.path("New.sq2");
  // Without a terminal to ask on, nothing is written unless --yes says so.
  r = ags("import " + sq::shellQuote(file) + " -o " + sq::shellQuote(project));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Borings to import: 3 (B-1, B-2, MW-1).\n"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("Nothing written: confirm with --yes.\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(project));

  r = ags("import " + sq::shellQuote(file) + " -o " + sq::shellQuote(project) + " --yes");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Imported into " + project + ".\n"), std::string::npos);

  // A second import finds the borings there and leaves them.
  r = ags("import " + sq::shellQuote(file) + " -o " + sq::shellQuote(project) + " --yes");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Borings the project already has, left as they are: B-1, B-2, MW-1.\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("Nothing to import.\n"), std::string::npos);
  r = ags("import " + sq::shellQuote(file) + " -o " + sq::shellQuote(project) + " --yes --replace");
  EXPECT_EQ(r.status, 0) << r.output;
}

TEST_F(AgsToolTest, CheckExitsOneOnBreachesAndTwoOnWhatIsNoAgsFile) {
  const std::string broken = home_.path("broken.ags");
  std::ofstream(broken) << "\"GROUP\",\"PROJ\"\n\"HEADING\",\"PROJ_ID\"\n\"UNIT\",\"\"\n"
                           "\"TYPE\",\"ID\"\n\"DATA\",\"P1\"\n";
  Outcome r = ags("check " + sq::shellQuote(broken));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Line 1: Rule 2a: line ends with LF alone, not CR LF\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("Rule 14: the file has no TRAN group\n"), std::string::npos);

  const std::string text = home_.path("notes.txt");
  std::ofstream(text) << "shopping list\n";
  r = ags("check " + sq::shellQuote(text));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("not an AGS file: no line is a GROUP row"), std::string::npos);
  EXPECT_EQ(ags("check " + sq::shellQuote(home_.path("missing.ags"))).status, 2);
  EXPECT_EQ(ags("check").status, 2);
  EXPECT_EQ(ags("frobnicate").status, 2);
}

TEST_F(AgsToolTest, ImportIntoAProjectOfOtherUnitsIsRefused) {
  const std::string file = home_.path("metric.ags");
  std::ofstream(file) << "\"GROUP\",\"LOCA\"\r\n\"HEADING\",\"LOCA_ID\",\"LOCA_FDEP\"\r\n"
                         "\"UNIT\",\"\",\"m\"\r\n\"TYPE\",\"ID\",\"1DP\"\r\n"
                         "\"DATA\",\"BH1\",\"3.0\"\r\n";
  const Outcome r =
      ags("import " + sq::shellQuote(file) + " -o " + sq::shellQuote(demo_) + " --yes");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output.rfind("The file cannot be imported. The file's depths are in Meters", 0), 0u)
      << r.output;
}

TEST_F(AgsToolTest, ChosenBoringsStandardHeadingsAndBadArguments) {
  const std::string file = home_.path("b1.ags");
  Outcome r =
      ags("export " + sq::shellQuote(demo_) +
          " -b B-1 --boring=MW-1 --standard-only --status Draft -o " + sq::shellQuote(file));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.rfind("Wrote " + file + ": 2 borings,", 0), 0u) << r.output;
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("\"B-2\""), std::string::npos);
  EXPECT_EQ(text.find("\"DICT\""), std::string::npos);
  EXPECT_NE(text.find("\"Draft\""), std::string::npos);
  EXPECT_EQ(ags("check " + sq::shellQuote(file)).status, 0);

  r = ags("export " + sq::shellQuote(demo_) + " -b B-9 -o " + sq::shellQuote(file));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "strataquill-ags: The project has no boring named \"B-9\".\n");
  r = ags("export " + sq::shellQuote(demo_) + " --colour red");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output.rfind("strataquill-ags: unknown option --colour\nUsage:", 0), 0u);
  EXPECT_EQ(ags("export " + sq::shellQuote(demo_) + " --dates ymd").status, 2);
  EXPECT_EQ(ags("export " + sq::shellQuote(home_.path("none.sq2"))).status, 2);
  EXPECT_EQ(ags("import " + sq::shellQuote(demo_) + " -o " + sq::shellQuote(home_.path("x.sq2")) +
                " --yes")
                .status,
            2);  // a project file is no AGS file
  EXPECT_FALSE(fs::exists(home_.path("x.sq2")));
  EXPECT_EQ(ags("import " + sq::shellQuote(file)).status, 2);  // no -o
}

TEST_F(AgsToolTest, DatesFollowTheDesktopProgramsChoiceUnlessNamed) {
  const std::string file = home_.path("dates.ags");
  const std::string warning =
      "warning: Boring B-1: DateStart \"09/16/2024\" is not a date in the project's date form; "
      "left out.\n";
  EXPECT_EQ(
      ags("export " + sq::shellQuote(demo_) + " -o " + sq::shellQuote(file)).output.find(warning),
      std::string::npos);
  // The desktop program was last told that projects write the day first.
  std::filesystem::create_directories(home_.root() / "config" / "vexamor");
  std::ofstream(home_.root() / "config" / "vexamor" / "Strataquill.ini") << "[AGS]\nDates=dmy\n";
  EXPECT_NE(
      ags("export " + sq::shellQuote(demo_) + " -o " + sq::shellQuote(file)).output.find(warning),
      std::string::npos);
  EXPECT_EQ(ags("export " + sq::shellQuote(demo_) + " --dates mdy -o " + sq::shellQuote(file))
                .output.find(warning),
            std::string::npos);
}

TEST_F(AgsToolTest, CompletionTargetsAreListedAndSet) {
  Outcome r = ags("completion");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("Screen: PIPE SLOTTED + BKFL 901 (default)\n"), std::string::npos)
      << r.output;
  r = ags("completion 'Screen' 'PIPE SLOTTED'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "Screen: PIPE SLOTTED\n");
  EXPECT_NE(ags("completion").output.find("Screen: PIPE SLOTTED\n"), std::string::npos);
  EXPECT_EQ(ags("completion 'Screen' 'PIPE GOLD'").status, 2);
  EXPECT_EQ(ags("completion 'Screen' default").output, "Screen: PIPE SLOTTED + BKFL 901 (default)\n");
}

}  // namespace
