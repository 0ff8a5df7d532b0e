// Runs strataquill-log as a user would and reads the PDF back with
// poppler's pdftotext and pdfinfo.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/test_home.h"

namespace {

namespace fs = std::filesystem;
const std::string kBin = VEXAMOR_TEST_BIN_DIR;

struct Outcome {
  int status;
  std::string output;
};

Outcome run(const std::string& command) {
  Outcome r{-1, {}};
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe))
    r.output.append(buf.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string quote(const std::string& s) {
  return "'" + s + "'";
}

class StrataquillLogTest : public ::testing::Test {
 protected:
  std::string log(const std::string& args) {
    return kBin + "/strataquill-log " + quote(kBin + "/demo/Demo.sq2") + " " + args;
  }
  sq::TestHome home_;
};

TEST_F(StrataquillLogTest, DemoProjectBecomesAMultiPageLog) {
  const std::string pdf = home_.path("demo.pdf");
  ASSERT_TRUE(sq::SettingsStore::forCurrentUser().save("Strataquill", "Preferences", "CompanyName",
                                                       "Borehole & Sons"));
  Outcome r = run(log("--output " + quote(pdf)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 7 pages (3 borings) to " + pdf), std::string::npos) << r.output;

  Outcome info = run("pdfinfo " + quote(pdf));
  EXPECT_NE(info.output.find("Pages:           7\n"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("612 x 792 pts (letter)"), std::string::npos) << info.output;

  Outcome text = run("pdftotext -layout " + quote(pdf) + " -");
  ASSERT_EQ(text.status, 0);
  for (const char* expected :
       {"Borehole & Sons", "LOG OF BORING", "MW-1", "Former Kessler Fuel Depot",
        "Hollow-stem auger", "PID (ppm)", "CL - Lean clay", "5-7-9", "LEAN CLAY", " 35", " 40"})
    EXPECT_NE(text.output.find(expected), std::string::npos) << expected;
  EXPECT_EQ(text.output.find("<<"), std::string::npos) << "every placeholder is replaced";
}

TEST_F(StrataquillLogTest, OneBoringWithOtherNumbers) {
  const std::string pdf = home_.path("b1.pdf");
  Outcome r = run(
      log("-b B-1 --units-first 100 --units-additional 100 --major 10 --minor 2 -o " + quote(pdf)));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Wrote 1 page (1 boring)"), std::string::npos) << r.output;
  Outcome text = run("pdftotext -layout " + quote(pdf) + " -");
  EXPECT_NE(text.output.find("90"), std::string::npos) << "labels every 10 down to 100";
  EXPECT_EQ(text.output.find("95"), std::string::npos);
  EXPECT_EQ(text.output.find("MW-1"), std::string::npos);
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
      {"-b nobody -o " + quote(pdf), 1, "no boring named \"nobody\""},
      {"--units-first 0 -o " + quote(pdf), 1, "must be greater than 0"},
      {"--major -5 -o " + quote(pdf), 1, "major tick interval must be greater than 0"},
      {"--first-layout /missing.sqf -o " + quote(pdf), 1, "/missing.sqf does not exist"},
      {"--scale wide -o " + quote(pdf), 2, "--scale needs a number"},
      {"-o " + quote("/no/such/folder/x.pdf"), 1, "Cannot write /no/such/folder/x.pdf"},
  };
  for (const Case& c : cases) {
    Outcome r = run(log(c.args));
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  Outcome missing = run(kBin + "/strataquill-log " + quote(home_.path("gone.sq2")));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("does not exist"), std::string::npos);
  Outcome junk = run(kBin + "/strataquill-log " + quote(home_.path("junk.sq2")));
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.output.find("cannot be opened"), std::string::npos) << junk.output;
  EXPECT_FALSE(fs::exists(pdf));

  Outcome help = run(kBin + "/strataquill-log --help");
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--boring", "--output", "--first-layout", "--additional-layout", "--units-first",
        "--units-additional", "--major", "--minor", "--scale", "--preview", "--print", "--dialog"})
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
}

}  // namespace
