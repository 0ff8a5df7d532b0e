#include "strataquill/project/project_probe.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "strataquill/project/project_test_support.h"
#include "strataquill/shell/file_copy.h"

namespace sq::project {
namespace {

class ProjectProbeTest : public ProjectTest {
 protected:
  std::string copyOf(const char* shipped, const std::string& name) {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/" + shipped, path, false));
    return path;
  }
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(ProjectProbeTest, ProjectsOpen) {
  EXPECT_EQ(ProbeProjectFile(copyOf("File.tpl", "new.sq2")), ProjectFileState::kProject);
  EXPECT_EQ(ProbeProjectFile(copyOf("demo/Demo.sq2", "demo.sq2")), ProjectFileState::kProject);
}

TEST_F(ProjectProbeTest, FilesThatAreNoProjectAreRefusedUntouched) {
  const std::string text = home_.path("notes.sq2");
  std::ofstream(text) << "Boring B-1: sand to 12 ft\n";
  const std::string layout = copyOf("Format.tpl", "layout.sq2");
  const std::string empty = home_.path("empty.sq2");
  std::ofstream{empty};
  std::string damaged = copyOf("demo/Demo.sq2", "damaged.sq2");
  {
    std::string content = bytes(damaged);
    for (std::size_t i = 100; i < content.size(); i += 7) content[i] = '\x5a';
    std::ofstream(damaged, std::ios::binary | std::ios::trunc) << content;
  }
  for (const std::string& path : {text, layout, empty, damaged}) {
    const std::string before = bytes(path);
    EXPECT_EQ(ProbeProjectFile(path), ProjectFileState::kNotAProject) << path;
    EXPECT_EQ(bytes(path), before) << path;
  }
  EXPECT_EQ(ProjectFileRefusal(ProjectFileState::kNotAProject, text),
            "The file " + text +
                " is not a Strataquill project, or it is damaged.  It has not been opened or "
                "changed.");
}

TEST_F(ProjectProbeTest, MissingFilesAndVanishedFolders) {
  EXPECT_EQ(ProbeProjectFile(home_.path("none.sq2")), ProjectFileState::kMissing);
  EXPECT_EQ(ProbeProjectFile(home_.path("gone/site.sq2")), ProjectFileState::kMissing);
  EXPECT_EQ(ProjectFileRefusal(ProjectFileState::kMissing, "/x/site.sq2"),
            "The file /x/site.sq2 could not be found.");
  EXPECT_EQ(ProjectFileRefusal(ProjectFileState::kProject, "/x/site.sq2"), "");
}

TEST_F(ProjectProbeTest, ReadOnlyFilesAndFolders) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes to read-only files";
  const std::string path = copyOf("File.tpl", "locked.sq2");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(ProbeProjectFile(path), ProjectFileState::kReadOnly);
  ::chmod(path.c_str(), 0644);
  std::filesystem::create_directory(home_.path("locked"));
  const std::string inside = home_.path("locked/site.sq2");
  ASSERT_TRUE(copyFile(path, inside, false));
  ::chmod(home_.path("locked").c_str(), 0555);
  EXPECT_EQ(ProbeProjectFile(inside), ProjectFileState::kReadOnly);
  ::chmod(home_.path("locked").c_str(), 0755);
}

}  // namespace
}  // namespace sq::project
