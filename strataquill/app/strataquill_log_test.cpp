// Runs strataquill-log as a user would and reads the PDF back with
// poppler's pdftotext and pdfinfo.

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/test_command.h"
#include "strataquill/shell/test_home.h"

namespace {

namespace fs = std::filesystem;
const std::string kBin = VEXAMOR_TEST_BIN_DIR;

using Outcome = sq::CommandOutcome;

// Runs a program on a terminal of its own, as a user at a terminal does.
// `watch` sees everything the program wrote so far and may type into the
// terminal through the descriptor it gets.
Outcome runOnTerminal(const std::vector<std::string>& args,
                      const std::function<void(const std::string& output, int terminal)>& watch) {
  Outcome r{-1, {}};
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) return r;
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::array<char, 4096> buf;
  for (;;) {
    const ssize_t n = ::read(terminal, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the program has closed the terminal
    r.output.append(buf.data(), static_cast<std::size_t>(n));
    if (watch) watch(r.output, terminal);
  }
  ::close(terminal);
  int status = 0;
  ::waitpid(child, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

class StrataquillLogTest : public ::testing::Test {
 protected:
  std::string log(const std::string& args) {
    return kBin + "/strataquill-log " + sq::shellQuote(kBin + "/demo/Demo.sq2") + " " + args;
  }
  sq::TestHome home_;
};

TEST_F(StrataquillLogTest, DemoProjectBecomesAMultiPageLog) {
  const std::string pdf = home_.path("demo.pdf");
  ASSERT_TRUE(sq::SettingsStore::forCurrentUser().save("Strataquill", "Preferences", "CompanyName",
                                                       "Borehole & Sons"));
  // Paper as the locale has it, which is what the desktop program starts
  // from as well.
  Outcome r = sq::runCommand("LC_ALL=en_US.UTF-8 " + log("--output " + sq::shellQuote(pdf)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 7 pages (3 borings) to " + pdf), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("boring 1 of 3"), std::string::npos) << "no progress into a pipe";

  Outcome info = sq::runCommand("pdfinfo " + sq::shellQuote(pdf));
  EXPECT_NE(info.output.find("Pages:           7\n"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("612 x 792 pts (letter)"), std::string::npos) << info.output;
  const std::string a4 = home_.path("demo-a4.pdf");
  ASSERT_EQ(
      sq::runCommand("LC_ALL=de_DE.UTF-8 " + log("-b B-1 --output " + sq::shellQuote(a4))).status,
      0);
  EXPECT_NE(sq::runCommand("pdfinfo " + sq::shellQuote(a4)).output.find("595 x 842 pts (A4)"),
            std::string::npos);

  Outcome text = sq::runCommand("pdftotext -layout " + sq::shellQuote(pdf) + " -");
  ASSERT_EQ(text.status, 0);
  for (const char* expected :
       {"Borehole & Sons", "LOG OF BORING", "MW-1", "Former Kessler Fuel Depot",
        "Hollow-stem auger", "(ppm)", "CL - Lean", "5-7-9", "LEAN CLAY", " 35", " 40"})
    EXPECT_NE(text.output.find(expected), std::string::npos) << expected;
  EXPECT_EQ(text.output.find("<<"), std::string::npos) << "every placeholder is replaced";
}

TEST_F(StrataquillLogTest, TheShippedLayoutsPrintTheProfessionalLogWithALegend) {
  const std::string pdf = home_.path("legend.pdf");
  Outcome r = sq::runCommand(log("-b B-2 --legend -o " + sq::shellQuote(pdf)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 4 pages (1 boring)"), std::string::npos)
      << "three pages of log and the legend: " << r.output;
  Outcome text = sq::runCommand("pdftotext -layout " + sq::shellQuote(pdf) + " -");
  ASSERT_EQ(text.status, 0);
  for (const char* expected :
       {"Page 1 of 4", "Page 3 of 4", "Page 4 of 4", "Elev.", " 744.8", " 734.8", "SPT N-Value",
        "19.6", "09/18/2024", "Boring terminated at 112 feet.", "LEGEND", "GW - Well graded gravel",
        "Rock core", "Groundwater", "Refusal"})
    EXPECT_NE(text.output.find(expected), std::string::npos) << expected;
  // The N-values of the blow counts: 3-4-5 gives 9, 22-35-41 gives 76.
  EXPECT_NE(text.output.find("3-4-5"), std::string::npos);
  EXPECT_NE(text.output.find("76"), std::string::npos);

  // Without the option (and with the classic layouts) no legend is added.
  Outcome classic = sq::runCommand(log(
      "-b B-2 --no-legend --first-layout " + sq::shellQuote(kBin + "/LogFirstPage (classic).sqf") +
      " --additional-layout " + sq::shellQuote(kBin + "/LogAdditionalPages (classic).sqf") +
      " -o " + sq::shellQuote(pdf)));
  ASSERT_EQ(classic.status, 0) << classic.output;
  EXPECT_NE(classic.output.find("Wrote 3 pages (1 boring)"), std::string::npos) << classic.output;
  Outcome old = sq::runCommand("pdftotext -layout " + sq::shellQuote(pdf) + " -");
  EXPECT_EQ(old.output.find("LEGEND"), std::string::npos);
  EXPECT_EQ(old.output.find("Page 1 of"), std::string::npos);
}

TEST_F(StrataquillLogTest, OneBoringWithOtherNumbers) {
  const std::string pdf = home_.path("b1.pdf");
  Outcome r = sq::runCommand(
      log("-b B-1 --units-first 100 --units-additional 100 --major 10 --minor 2 -o " +
          sq::shellQuote(pdf)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 1 page (1 boring)"), std::string::npos) << r.output;
  Outcome text = sq::runCommand("pdftotext -layout " + sq::shellQuote(pdf) + " -");
  EXPECT_NE(text.output.find("90"), std::string::npos) << "labels every 10 down to 100";
  EXPECT_EQ(text.output.find("95"), std::string::npos);
  EXPECT_EQ(text.output.find("MW-1"), std::string::npos);
}

class StrataquillLogTerminalTest : public StrataquillLogTest {
 protected:
  void SetUp() override {
    out_ = home_.path("out");
    fs::create_directories(out_);
    pdf_ = out_ + "/long.pdf";
  }
  // A long log: half a foot a page, some 440 pages.
  std::vector<std::string> longLog() const {
    return {kBin + "/strataquill-log",
            kBin + "/demo/Demo.sq2",
            "--units-first",
            "0.5",
            "--units-additional",
            "0.5",
            "-o",
            pdf_};
  }
  std::string out_, pdf_;
};

TEST_F(StrataquillLogTerminalTest, ShowsProgressOnATerminal) {
  Outcome r = runOnTerminal(longLog(), {});
  ASSERT_EQ(r.status, 0) << r.output;
  for (const char* shown :
       {"B-1 -- Demo.sq2: boring 1 of 3, page 2\r", "MW-1 -- Demo.sq2: boring 3 of 3, page 3\r",
        "boring 3 of 3, writing page 1 of "})
    EXPECT_NE(r.output.find(shown), std::string::npos) << shown;
  EXPECT_NE(r.output.find("\r\033[KWrote "), std::string::npos) << "the progress line is cleared";
  EXPECT_TRUE(fs::exists(pdf_));
}

TEST_F(StrataquillLogTerminalTest, CtrlCStopsCleanlyAndLeavesNoFile) {
  // Once while composing, once while the file is being written.
  for (const char* stage : {"boring 2 of 3, page 20", "writing page 30 of"}) {
    bool typed = false;
    Outcome r = runOnTerminal(longLog(), [&](const std::string& output, int terminal) {
      if (!typed && output.find(stage) != std::string::npos) {
        typed = ::write(terminal, "\x03", 1) == 1;  // the terminal's interrupt key
      }
    });
    ASSERT_TRUE(typed) << stage << "\n" << r.output;
    EXPECT_EQ(r.status, 130) << stage << "\n" << r.output;
    EXPECT_NE(r.output.find("Cancelled; " + pdf_ + " was not written."), std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("Wrote "), std::string::npos);
    EXPECT_TRUE(filesIn(out_).empty()) << "no PDF and no temporary file: " << filesIn(out_)[0];
  }
}

TEST_F(StrataquillLogTest, BadInputIsRefusedWithAReason) {
  const std::string pdf = home_.path("never.pdf");
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  std::ofstream(home_.path("junk.sq2")) << std::string(5000, 'x');
  const std::vector<Case> cases = {
      {"-b nobody -o " + sq::shellQuote(pdf), 1, "no boring named \"nobody\""},
      {"--units-first 0 -o " + sq::shellQuote(pdf), 1, "must be greater than 0"},
      {"--major -5 -o " + sq::shellQuote(pdf), 1, "major tick interval must be greater than 0"},
      {"--first-layout /missing.sqf -o " + sq::shellQuote(pdf), 1, "/missing.sqf does not exist"},
      {"--scale wide -o " + sq::shellQuote(pdf), 2, "--scale needs a number"},
      {"-o " + sq::shellQuote("/no/such/folder/x.pdf"), 1, "Cannot write /no/such/folder/x.pdf"},
  };
  for (const Case& c : cases) {
    Outcome r = sq::runCommand(log(c.args));
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  Outcome missing =
      sq::runCommand(kBin + "/strataquill-log " + sq::shellQuote(home_.path("gone.sq2")));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("does not exist"), std::string::npos);
  Outcome junk =
      sq::runCommand(kBin + "/strataquill-log " + sq::shellQuote(home_.path("junk.sq2")));
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.output.find("cannot be opened"), std::string::npos) << junk.output;
  EXPECT_FALSE(fs::exists(pdf));

  Outcome help = sq::runCommand(kBin + "/strataquill-log --help");
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--boring", "--output", "--first-layout", "--additional-layout", "--units-first",
        "--units-additional", "--major", "--minor", "--scale", "--preview", "--print", "--dialog"})
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
}

TEST_F(StrataquillLogTest, SiteMapAndSectionOfTheDemo) {
  const std::string map = home_.path("map.pdf");
  Outcome r = sq::runCommand("LC_ALL=en_US.UTF-8 " +
                             log("--site-map --section B-1,MW-1,B-2 -o " + sq::shellQuote(map)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 1 page to " + map), std::string::npos) << r.output;
  EXPECT_NE(sq::runCommand("pdfinfo " + sq::shellQuote(map)).output.find("792 x 612 pts (letter)"),
            std::string::npos)
      << "Letter, landscape";
  Outcome text = sq::runCommand("pdftotext -layout " + sq::shellQuote(map) + " -");
  for (const char* expected : {"SITE MAP", "B-1", "B-2", "MW-1", "EASTING (FT)", "Soil boring",
                               "Monitoring well", "Coordinates: Northing/Easting, Feet.",
                               "Page 1 of 1", "2291-014", "section line B-1 - MW-1 - B-2",
                               "Cross-section line A - A'"})
    EXPECT_NE(text.output.find(expected), std::string::npos) << expected;

  const std::string section = home_.path("section.pdf");
  r = sq::runCommand(log("--section B-1,MW-1,B-2 --paper a4 -o " + sq::shellQuote(section)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(sq::runCommand("pdfinfo " + sq::shellQuote(section)).output.find("842 x 595 pts (A4)"),
            std::string::npos);
  text = sq::runCommand("pdftotext -layout " + sq::shellQuote(section) + " -");
  for (const char* expected : {"GEOLOGIC CROSS-SECTION", "B-1 - MW-1 - B-2", "TD 65 ft",
                               "TD 112 ft", "LEGEND", "CL - Lean clay", "Static water level",
                               "VERTICAL EXAGGERATION", "DISTANCE ALONG SECTION (FT)"})
    EXPECT_NE(text.output.find(expected), std::string::npos) << expected;

  // Projected onto the line B-1 - B-2, at an exaggeration of 5.
  r = sq::runCommand(
      log("--section B-1,MW-1,B-2 --projected --exaggeration 5 -o " + sq::shellQuote(section)));
  ASSERT_EQ(r.status, 0) << r.output;
  text = sq::runCommand("pdftotext -layout " + sq::shellQuote(section) + " -");
  EXPECT_NE(text.output.find("DISTANCE ALONG THE LINE B-1 - B-2"), std::string::npos);
  EXPECT_NE(text.output.find("VERTICAL EXAGGERATION 5.0"), std::string::npos) << text.output;
  EXPECT_NE(text.output.find("ft NE of line"), std::string::npos) << "MW-1 lies off the line";
}

TEST_F(StrataquillLogTest, FiguresRefuseBadInputWithAReason) {
  const std::string pdf = home_.path("never.pdf");
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"--section B-1 -o " + sq::shellQuote(pdf), 1, "A section needs at least two borings."},
      {"--section B-1,B-9 -o " + sq::shellQuote(pdf), 1,
       "The section cannot be drawn:\nB-9: no such boring in the project."},
      {"--section B-1,B-1 -o " + sq::shellQuote(pdf), 1, "B-1: chosen twice."},
      {"--section B-1,B-2 --exaggeration tall -o " + sq::shellQuote(pdf), 2,
       "--exaggeration needs a number above 0."},
      {"--site-map --paper a5 -o " + sq::shellQuote(pdf), 2, "--paper is letter or a4."},
  };
  for (const Case& c : cases) {
    Outcome r = sq::runCommand(log(c.args));
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_FALSE(fs::exists(pdf));
  Outcome help = sq::runCommand(kBin + "/strataquill-log --help");
  for (const char* option : {"--site-map", "--section", "--projected", "--exaggeration", "--paper"})
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
}

}  // namespace
