#include "strataquill/project/project_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "strataquill/project/project_schema.h"
#include "strataquill/project/project_test_support.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/scripted_prompts.h"
#include "strataquill/shell/settings_store.h"

namespace sq::project {
namespace {

using db::Value;

class ProjectFileTest : public ProjectTest {
 protected:
  std::vector<std::string> labels(const std::string& path) {
    db::Database database = open(path);
    auto rs = database.openRecordset("Sample User Label");
    EXPECT_EQ(rs->recordCount(), 1);
    std::vector<std::string> out;
    for (int i = 1; i <= 10; ++i) out.push_back(rs->text("UserLabel" + std::to_string(i)));
    return out;
  }

  ScriptedPrompts prompts_;
};

TEST_F(ProjectFileTest, NewProjectTakesTheDefaultLabels) {
  const std::string path = home_.path("new.sq2");
  ASSERT_TRUE(CreateNewProjectFile(path));
  EXPECT_TRUE(prompts_.seen().empty());
  EXPECT_EQ(labels(path), std::vector<std::string>(10, "Undefined"));
  EXPECT_EQ(prompts_.busyDepth(), 0) << "the pointer is restored";

  ASSERT_TRUE(SaveSetting("Samples", "User3", "PID (ppm)"));
  ASSERT_TRUE(SaveSetting("samples", "user10", ""));
  const std::string second = home_.path("second.sq2");
  ASSERT_TRUE(CreateNewProjectFile(second));
  std::vector<std::string> expected(10, "Undefined");
  expected[2] = "PID (ppm)";
  expected[9] = "";
  EXPECT_EQ(labels(second), expected);
}

TEST_F(ProjectFileTest, NewProjectAcceptsRowsInEveryTable) {
  const std::string path = home_.path("rows.sq2");
  ASSERT_TRUE(CreateNewProjectFile(path));
  CheckFileFormat(path);
  db::Database database = open(path);
  for (const db::TableDef& table : projectTables()) {
    auto rs = database.openRecordset(table.name);
    ASSERT_TRUE(rs.ok());
    const int before = rs->recordCount();
    ASSERT_TRUE(rs->addNew().ok());
    for (const db::FieldDef& f : table.fields)
      ASSERT_TRUE(
          rs->setField(f.name, f.isTextual() ? Value::text(" ") : Value::single(1.5f)).ok());
    ASSERT_TRUE(rs->update().ok()) << table.name;
    EXPECT_EQ(database.openRecordset(table.name)->recordCount(), before + 1);
  }
}

TEST_F(ProjectFileTest, OverwritingAsksAndFollowsTheAnswer) {
  const std::string path = home_.path("existing.sq2");
  std::ofstream(path) << "precious";

  prompts_.planMessage(MessageAnswer::kNo);
  EXPECT_FALSE(CreateNewProjectFile(path));
  ASSERT_EQ(prompts_.seen().size(), 1u);
  const auto& question = prompts_.seen()[0];
  EXPECT_EQ(question.text, "The file " + path + " already exists.  Do you wish to overwrite it?");
  EXPECT_EQ(question.title, "Overwrite Existing File?");
  EXPECT_EQ(question.buttons, MessageButtons::kYesNo);
  std::ifstream in(path);
  std::string kept((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(kept, "precious");

  prompts_.planMessage(MessageAnswer::kYes);
  EXPECT_TRUE(CreateNewProjectFile(path));
  EXPECT_EQ(labels(path), std::vector<std::string>(10, "Undefined"));
}

TEST_F(ProjectFileTest, MissingTemplateFailsAfterTheQuestionAndKeepsTheTarget) {
  setProgramFolder(home_.path("no-template"));
  const std::string path = home_.path("kept.sq2");
  std::ofstream(path) << "precious";
  prompts_.planMessage(MessageAnswer::kYes);
  EXPECT_FALSE(CreateNewProjectFile(path));
  EXPECT_EQ(prompts_.messageTexts().size(), 1u) << "no further message";
  EXPECT_EQ(std::filesystem::file_size(path), 8u);

  prompts_.planMessage(MessageAnswer::kYes);
  EXPECT_FALSE(CreateNewProjectFile(home_.path("new.sq2")));
  EXPECT_FALSE(std::filesystem::exists(home_.path("new.sq2")));
}

int renameWithoutNoReplace(const char*, const char*) {
  errno = EINVAL;
  return -1;
}

TEST_F(ProjectFileTest, FileSystemsWithoutNoReplaceRenameMakeProjectsWithoutAQuestion) {
  // vfat, exFAT, SMB and FUSE mounts: no hard links, and a rename that
  // cannot refuse to replace.
  setRenameNoReplaceCall(renameWithoutNoReplace);
  const std::string path = home_.path("usb.sq2");
  EXPECT_TRUE(CreateNewProjectFile(path));
  EXPECT_TRUE(prompts_.seen().empty()) << prompts_.messageTexts().front();
  EXPECT_EQ(labels(path), std::vector<std::string>(10, "Undefined"));

  std::ofstream(home_.path("taken.sq2")) << "precious";
  prompts_.planMessage(MessageAnswer::kNo);
  EXPECT_FALSE(CreateNewProjectFile(home_.path("taken.sq2")));
  EXPECT_EQ(prompts_.seen().size(), 1u) << "an existing file is still asked about";
  EXPECT_EQ(std::filesystem::file_size(home_.path("taken.sq2")), 8u);
  setRenameNoReplaceCall(nullptr);
}

TEST_F(ProjectFileTest, ReadOnlyTemplateGivesAProjectWithTheUsersMode) {
  const std::string folder = home_.path("program");
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(
      copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", folder + "/File.tpl", false));
  ::chmod((folder + "/File.tpl").c_str(), 0444);
  setProgramFolder(folder);
  const mode_t saved = ::umask(027);
  const std::string path = home_.path("mine.sq2");
  EXPECT_TRUE(CreateNewProjectFile(path));
  ::umask(saved);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace sq::project
