#include "strataquill/project/file_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "strataquill/shell/test_home.h"

namespace sq::project {
namespace {

TEST(FileRulesTest, TheCommandLineIsJudgedByItsLastFourCharacters) {
  EXPECT_EQ(classifyCommandLine(""), CommandLineFile::kNone);
  EXPECT_EQ(classifyCommandLine("/data/Site A.SQ2"), CommandLineFile::kProject);
  EXPECT_EQ(classifyCommandLine("site.sq2"), CommandLineFile::kProject);
  EXPECT_EQ(classifyCommandLine("log.sqf"), CommandLineFile::kOpenInProgram);
  EXPECT_EQ(classifyCommandLine("classes.SqC"), CommandLineFile::kOpenInProgram);
  EXPECT_EQ(classifyCommandLine("notes.txt"), CommandLineFile::kUnknown);
  EXPECT_EQ(classifyCommandLine("\"site.sq2\""), CommandLineFile::kUnknown) << "quotes stay";
  EXPECT_EQ(classifyCommandLine("sq2"), CommandLineFile::kUnknown);
  EXPECT_EQ(classifyCommandLine("/data/Kessler Depot.SqP"), CommandLineFile::kServerProject);
  EXPECT_EQ(classifyCommandLine("postgresql://ana@db/firm?project=Kessler%20Depot"),
            CommandLineFile::kServerProject);
  EXPECT_EQ(classifyCommandLine("postgresql://db/firm?project=Depot.sqf"),
            CommandLineFile::kServerProject)
      << "an address is an address, whatever its project is called";
}

TEST(FileRulesTest, AProjectIsNamedByItsFileOrByItsServerName) {
  TestHome home;
  auto file = ResolveProject("/data/Site A.sq2");
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->path, "/data/Site A.sq2");
  EXPECT_EQ(file->title, "Site A.sq2");

  auto address = ResolveProject("postgresql://ana@db/firm?project=Kessler%20%22Depot%22");
  ASSERT_TRUE(address.ok());
  EXPECT_EQ(address->path, "postgresql://ana@db/firm?project=Kessler%20%22Depot%22");
  EXPECT_EQ(address->title, "Kessler \"Depot\"");

  const std::string link = home.path("Depot.sqp");
  std::ofstream(link) << "postgres:///firm?host=%2Ftmp&project=North%20Yard\n";
  auto linked = ResolveProject(link);
  ASSERT_TRUE(linked.ok()) << linked.status().message();
  EXPECT_EQ(linked->path, "postgres:///firm?host=%2Ftmp&project=North%20Yard");
  EXPECT_EQ(linked->title, "North Yard");

  EXPECT_FALSE(ResolveProject("postgresql://db/firm").ok()) << "no project named";
  EXPECT_EQ(ResolveProject(home.path("gone.sqp")).status().code(), db::ErrorCode::kFileNotFound);
  EXPECT_FALSE(sameFile("postgresql://db/firm?project=P", "postgresql://db/firm?project=P"))
      << "no file to replace";
}

TEST(FileRulesTest, ANewFileMayNotReplaceAnOpenOne) {
  TestHome home;
  const std::string project = home.path("site.sq2");
  const std::string layout = home.path("log.sqf");
  std::ofstream(project) << "x";
  std::ofstream(layout) << "x";
  std::filesystem::create_directories(home.root() / "sub");
  const std::string roundabout = home.path("sub/../log.sqf");

  EXPECT_EQ(replacingOpenFile(project, project, "???"),
            "The file " + project +
                " is the project that is open.  Close it before you create a new file in its "
                "place.");
  EXPECT_EQ(replacingOpenFile(roundabout, "???", layout),
            "The file " + roundabout +
                " is open in the layout designer.  Close the designer before you create a new "
                "file in its place.");
  EXPECT_EQ(replacingOpenFile(home.path("new.sqf"), project, layout), "");
  EXPECT_EQ(replacingOpenFile(layout, project, ""), "") << "no designer open";
  EXPECT_TRUE(sameFile(home.path("sub/../new.sqf"), home.path("new.sqf"))) << "not made yet";
  EXPECT_FALSE(sameFile("???", "???"));
}

}  // namespace
}  // namespace sq::project
