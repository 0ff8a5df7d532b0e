// The program folder of an installed program and the user's own copies of the
// classification file and the patterns, on a fake prefix laid out as the
// package installs it.
#include "strataquill/shell/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "strataquill/shell/test_home.h"

namespace sq {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::set<std::string> names(const fs::path& folder) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(folder)) out.insert(entry.path().filename());
  return out;
}

class InstalledProgramFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = home_.root() / "usr";
    share_ = prefix_ / "share" / "strataquill";
    fs::create_directories(prefix_ / "bin");
    write(share_ / "Classification.sqc", "shipped classes");
    write(share_ / "Patterns" / "sand.bmp", "shipped sand");
    write(share_ / "Patterns" / "clay.bmp", "shipped clay");
    // Installed files are not the user's: read-only, as the package leaves them.
    fs::permissions(share_ / "Classification.sqc", fs::perms::owner_read | fs::perms::group_read |
                                                        fs::perms::others_read);
    setExecutableFolderForTesting((prefix_ / "bin").string());
  }
  void TearDown() override { setExecutableFolderForTesting(""); }

  fs::path own(const std::string& name) const {
    return home_.root() / "data" / "vexamor" / "strataquill" / name;
  }

  TestHome home_;
  fs::path prefix_, share_;
};

TEST_F(InstalledProgramFolder, TheShareFolderIsTheProgramFolder) {
  EXPECT_TRUE(runsInstalled());
  EXPECT_EQ(programFolder(), share_.string() + "/");
  EXPECT_EQ(userDataFolder(), own("").parent_path().string());
  // A folder named by hand is used as it is.
  setProgramFolder(home_.path("elsewhere"));
  EXPECT_FALSE(runsInstalled());
  EXPECT_EQ(programFolder(), home_.path("elsewhere") + "/");
  EXPECT_EQ(classificationFile(), home_.path("elsewhere") + "/Classification.sqc");
  setProgramFolder("");
}

TEST_F(InstalledProgramFolder, TheUserWorksOnOwnCopiesMadeOnFirstUse) {
  EXPECT_FALSE(fs::exists(own("")));
  const std::string classes = classificationFile();
  EXPECT_EQ(classes, own("Classification.sqc").string());
  EXPECT_EQ(contents(classes), "shipped classes");
  EXPECT_NE(fs::status(classes).permissions() & fs::perms::owner_write, fs::perms::none)
      << "the user's copy must be writable";

  const std::string patterns = patternsFolder();
  EXPECT_EQ(patterns, own("Patterns").string());
  EXPECT_EQ(names(patterns), (std::set<std::string>{"clay.bmp", "sand.bmp"}));

  // The user edits and adds; a newer version ships another pattern and new classes.
  write(classes, "my classes");
  write(own("Patterns/sand.bmp"), "my sand");
  write(own("Patterns/peat.bmp"), "my peat");
  write(share_ / "Patterns" / "gravel.bmp", "shipped gravel");
  fs::permissions(share_ / "Classification.sqc", fs::perms::owner_write, fs::perm_options::add);
  write(share_ / "Classification.sqc", "newer shipped classes");

  EXPECT_EQ(contents(classificationFile()), "my classes");
  EXPECT_EQ(names(patternsFolder()),
            (std::set<std::string>{"clay.bmp", "gravel.bmp", "peat.bmp", "sand.bmp"}));
  EXPECT_EQ(contents(own("Patterns/sand.bmp")), "my sand");
  EXPECT_EQ(contents(own("Patterns/gravel.bmp")), "shipped gravel");
}

TEST_F(InstalledProgramFolder, WithoutAWritableDataFolderTheShippedFilesServe) {
  write(home_.root() / "data", "a file where the data folder should be");
  EXPECT_EQ(classificationFile(), (share_ / "Classification.sqc").string());
  EXPECT_EQ(patternsFolder(), (share_ / "Patterns").string());
}

TEST(BuildTreeProgramFolder, KeepsItsFilesBesideTheExecutable) {
  TestHome home;
  fs::create_directories(home.root() / "build" / "bin");
  setExecutableFolderForTesting(home.path("build/bin"));
  EXPECT_FALSE(runsInstalled());
  EXPECT_EQ(programFolder(), home.path("build/bin") + "/");
  EXPECT_EQ(classificationFile(), home.path("build/bin") + "/Classification.sqc");
  EXPECT_EQ(patternsFolder(), home.path("build/bin") + "/Patterns");
  EXPECT_FALSE(fs::exists(home.root() / "data"));
  setExecutableFolderForTesting("");
}

}  // namespace
}  // namespace sq
