#include "strataquill/project/project_session.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/project/project_schema.h"
#include "strataquill/project/project_test_support.h"
#include "strataquill/shell/file_copy.h"

namespace sq::project {
namespace {

using Outcome = BoringChange::Outcome;

// Records what the session told its observer, in order.
class Recorder : public ProjectSession::Observer {
 public:
  void onOpened() override { events.push_back("opened"); }
  void onClosed() override { events.push_back("closed"); }
  void onBoringListChanged() override { events.push_back("list"); }
  void onCurrentBoringChanged() override { events.push_back("current"); }
  std::vector<std::string> take() { return std::exchange(events, {}); }
  std::vector<std::string> events;
};

class ProjectSessionTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    session_.setObserver(&recorder_);
  }
  void TearDown() override {
    setWritableProbe(nullptr);
    ProjectTest::TearDown();
  }

  std::string newProject(const std::string& name, std::initializer_list<const char*> borings) {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", path, false));
    db::Database database = open(path);
    for (const char* b : borings) addRow(database, "Boring Information", {{"BoringName", db::Value::text(b)}});
    return path;
  }

  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  int rows(const std::string& path, const std::string& boring, int table) {
    db::Database database = open(path);
    return database.openRecordset(GetSQL(boring, table))->recordCount();
  }

  ProjectSession session_;
  Recorder recorder_;
};

TEST_F(ProjectSessionTest, OpensOnTheFirstBoringAndRefusesWhatIsNoProject) {
  const std::string path = newProject("site.sq2", {"MW-2", "B-1", "   "});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  EXPECT_EQ(recorder_.take(), std::vector<std::string>{"opened"});
  EXPECT_EQ(session_.borings(), (std::vector<std::string>{"B-1", "MW-2"}));
  EXPECT_EQ(session_.currentBoring(), "B-1");
  EXPECT_EQ(session_.title(), "site.sq2");
  EXPECT_FALSE(session_.readOnly());

  const std::string text = home_.path("notes.sq2");
  { std::ofstream(text) << "not a database\n"; }
  db::Status s = session_.open(text, "notes.sq2");
  EXPECT_EQ(s.code(), db::ErrorCode::kNotADatabase);
  EXPECT_EQ(s.message(), "The file " + text +
                             " is not a Strataquill project, or it is damaged.  It has not been "
                             "opened or changed.");
  EXPECT_EQ(bytes(text), "not a database\n");
  EXPECT_FALSE(session_.isOpen()) << "the project that was open was closed first";
  EXPECT_EQ(recorder_.take(), std::vector<std::string>{"closed"});
  EXPECT_EQ(session_.open(home_.path("gone.sq2"), "gone.sq2").code(),
            db::ErrorCode::kFileNotFound);
  EXPECT_TRUE(session_.currentBoring().empty());
}

TEST_F(ProjectSessionTest, OpeningAndClosingWritesNothingOnceTheStructureIsSound) {
  const std::string path = newProject("site.sq2", {"B-1"});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  session_.close();
  const std::string repaired = bytes(path);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(session_.open(path, "site.sq2").ok());
    // What the windows read when they show a boring writes nothing either.
    for (int table : {kLithologyTable, kSampleTable, kCompletionTable, kBoringTable})
      EXPECT_TRUE(session_.boringRows("B-1", table).ok());
    EXPECT_TRUE(session_.projectRows().ok());
    session_.sampleHeadings();
    session_.close();
    EXPECT_EQ(bytes(path), repaired) << "pass " << i;
  }
  EXPECT_EQ(rows(path, "B-1", kCompletionTable), 0) << "no blank rows are made";
}

TEST_F(ProjectSessionTest, AddRefusesANameInUseAndIgnoresShortOnes) {
  const std::string path = newProject("site.sq2", {"B-1"});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  recorder_.take();
  EXPECT_EQ(session_.addBoring("B").outcome, Outcome::kIgnored);
  EXPECT_EQ(session_.addBoring("  ").outcome, Outcome::kIgnored);
  EXPECT_EQ(session_.addBoring("B-1").outcome, Outcome::kExists);
  EXPECT_TRUE(recorder_.take().empty());
  EXPECT_EQ(rows(path, "B-1", kBoringTable), 1) << "no second row of the same name";

  ASSERT_TRUE(session_.addBoring("A-0").done());
  EXPECT_EQ(session_.borings(), (std::vector<std::string>{"A-0", "B-1"}));
  EXPECT_EQ(session_.currentBoring(), "A-0");
  EXPECT_EQ(recorder_.take(), (std::vector<std::string>{"list", "current"}));
}

TEST_F(ProjectSessionTest, ReadOnlyProjectsRefuseEveryWrite) {
  const std::string path = newProject("site.sq2", {"B-1"});
  setWritableProbe([&](const std::string& p) { return p != path; });
  const std::string before = bytes(path);
  ASSERT_FALSE(isWritableFile(path));
  ASSERT_EQ(ProbeProjectFile(path), ProjectFileState::kReadOnly);
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  EXPECT_TRUE(session_.readOnly());
  EXPECT_EQ(session_.addBoring("B-2").outcome, Outcome::kReadOnly);
  EXPECT_EQ(session_.copyBoring("B-1", "B-2", {.boringInfo = true}).outcome, Outcome::kReadOnly);
  EXPECT_EQ(session_.removeBoring("B-1").outcome, Outcome::kReadOnly);
  EXPECT_EQ(session_.writeProjectLabels({}).code(), db::ErrorCode::kReadOnly);
  session_.close();
  EXPECT_EQ(bytes(path), before) << "not even repaired";
}

TEST_F(ProjectSessionTest, CopySelectsTheCopyWhenItIsListed) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  EXPECT_EQ(session_.copyBoring("B-1", "B-2", {.boringInfo = true}).outcome, Outcome::kExists);
  EXPECT_EQ(session_.copyBoring("B-1", "", {.boringInfo = true}).outcome, Outcome::kExists);
  ASSERT_TRUE(session_.copyBoring("B-1", "C-1", {.lithology = true}).done());
  EXPECT_EQ(session_.currentBoring(), "B-1") << "without its boring row the copy is not listed";
  ASSERT_TRUE(session_.copyBoring("B-2", "C-2", {.boringInfo = true}).done());
  EXPECT_EQ(session_.currentBoring(), "C-2");
}

TEST_F(ProjectSessionTest, RemoveSelectsTheFirstRemainingBoringAndAFailureKeepsTheList) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2", "B-3"});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  ASSERT_TRUE(session_.select("B-3").ok());
  EXPECT_EQ(session_.select("nobody").code(), db::ErrorCode::kItemNotFound);
  ASSERT_TRUE(session_.removeBoring("B-3").done());
  EXPECT_EQ(session_.borings(), (std::vector<std::string>{"B-1", "B-2"}));
  EXPECT_EQ(session_.currentBoring(), "B-1");

  // The sample table is gone: the delete fails as a whole.
  session_.database()->execute("DROP TABLE [Sample Information]");
  recorder_.take();
  const BoringChange failed = session_.removeBoring("B-1");
  EXPECT_EQ(failed.outcome, Outcome::kFailed);
  EXPECT_FALSE(failed.status.message().empty());
  EXPECT_EQ(session_.borings(), (std::vector<std::string>{"B-1", "B-2"}));
  EXPECT_EQ(session_.currentBoring(), "B-1");
  EXPECT_TRUE(recorder_.take().empty());
  EXPECT_EQ(rows(path, "B-1", kBoringTable), 1);
}

TEST_F(ProjectSessionTest, LabelsGoThroughTheSessionsConnection) {
  const std::string path = newProject("site.sq2", {"B-1"});
  ASSERT_TRUE(session_.open(path, "site.sq2").ok());
  EXPECT_FALSE(session_.projectLabels());
  EXPECT_EQ(session_.sampleHeadings()[0], kUndefinedLabel);
  SampleLabels labels;
  labels[0] = "PID (ppm)";
  ASSERT_TRUE(session_.writeProjectLabels(labels).ok());
  EXPECT_EQ(session_.sampleHeadings()[0], "PID (ppm)");
  EXPECT_EQ(session_.sampleHeadings()[1], kUndefinedLabel) << "empty labels are stored as such";
  EXPECT_EQ((*ReadProjectLabels(path))[0], "PID (ppm)");
}

}  // namespace
}  // namespace sq::project
