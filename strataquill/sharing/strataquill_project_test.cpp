// Runs strataquill-project as a user would, against a PostgreSQL server of
// the test's own, and prints logs of the copies with strataquill-log.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/testing/scratch_postgres.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/project/project_session.h"
#include "strataquill/shell/test_command.h"

namespace {

namespace fs = std::filesystem;
using sq::db::Database;
using sq::testing::ScratchPostgres;

const std::string kBin = VEXAMOR_TEST_BIN_DIR;
const std::string kDemo = kBin + "/demo/Demo.sq2";

using Outcome = sq::CommandOutcome;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every table of `a` and `b`: the same names, fields and rows in order.
void expectSameTables(Database& a, Database& b) {
  ASSERT_EQ(a.tableNames(), b.tableNames());
  for (const std::string& table : a.tableNames()) {
    SCOPED_TRACE(table);
    auto da = a.tableDef(table), db = b.tableDef(table);
    ASSERT_TRUE(da.ok() && db.ok());
    ASSERT_EQ(da->fields.size(), db->fields.size());
    for (std::size_t i = 0; i < da->fields.size(); ++i) {
      EXPECT_EQ(da->fields[i].name, db->fields[i].name);
      EXPECT_EQ(da->fields[i].type, db->fields[i].type) << da->fields[i].name;
      EXPECT_EQ(da->fields[i].size, db->fields[i].size) << da->fields[i].name;
      EXPECT_EQ(da->fields[i].allowZeroLength, db->fields[i].allowZeroLength) << da->fields[i].name;
    }
    auto ra = a.openRecordset(table), rb = b.openRecordset(table);
    ASSERT_TRUE(ra.ok() && rb.ok());
    ASSERT_EQ(ra->recordCount(), rb->recordCount());
    ra->moveFirst();
    rb->moveFirst();
    for (; !ra->eof(); ra->moveNext(), rb->moveNext())
      for (const std::string& f : ra->fieldNames())
        EXPECT_EQ(ra->value(f).value(), rb->value(f).value()) << f;
  }
}

class StrataquillProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server_ = ScratchPostgres::shared(&why);
    ASSERT_NE(server_, nullptr) << why;
    folder_ = fs::temp_directory_path() /
              ("sq_project_tool_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    project_ = std::string("Kessler \"Depot\" O'Neil ") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override { fs::remove_all(folder_); }

  Outcome tool(const std::string& args) {
    return sq::runCommand(kBin + "/strataquill-project " + args);
  }

  // The pages of the log strataquill-log prints of `project`, as PNG images.
  std::vector<std::string> printed(const std::string& project) {
    const std::string stem = (folder_ / ("log" + std::to_string(++logs_))).string();
    Outcome log = sq::runCommand(kBin + "/strataquill-log " + sq::shellQuote(project) + " -o " +
                                 sq::shellQuote(stem + ".pdf"));
    EXPECT_EQ(log.status, 0) << log.output;
    EXPECT_EQ(sq::runCommand("pdftoppm -png -r 40 " + sq::shellQuote(stem + ".pdf") + " " +
                             sq::shellQuote(stem))
                  .status,
              0);
    std::vector<std::string> pages;
    for (int page = 1; fs::exists(stem + "-" + std::to_string(page) + ".png"); ++page)
      pages.push_back(readFile(stem + "-" + std::to_string(page) + ".png"));
    return pages;
  }
  int logs_ = 0;
  std::string address() const { return server_->address(project_); }

  ScratchPostgres* server_ = nullptr;
  fs::path folder_;
  std::string project_;
};

TEST_F(StrataquillProjectTest, PushedDemoReadsBackTableForTable) {
  Outcome push = tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address()));
  ASSERT_EQ(push.status, 0) << push.output;
  EXPECT_NE(push.output.find("Pushed " + kDemo + " to "), std::string::npos) << push.output;
  EXPECT_NE(push.output.find("(6 tables, "), std::string::npos) << push.output;

  auto file = Database::open(kDemo);
  auto server = Database::open(address());
  ASSERT_TRUE(file.ok() && server.ok()) << server.status().message();
  expectSameTables(*file, *server);

  Outcome list = tool("list " + sq::shellQuote(server_->address("")));
  ASSERT_EQ(list.status, 0) << list.output;
  EXPECT_NE(list.output.find(project_ + "\n"), std::string::npos) << list.output;
}

TEST_F(StrataquillProjectTest, PulledCopyPrintsTheSameLogAsTheOriginal) {
  ASSERT_EQ(tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address())).status, 0);
  // The log prints the project's file name: the copy keeps it, in a folder of its own.
  fs::create_directories(folder_ / "field copy");
  const std::string copy = (folder_ / "field copy" / "Demo.sq2").string();
  Outcome pull = tool("pull " + sq::shellQuote(address()) + " -o " + sq::shellQuote(copy));
  ASSERT_EQ(pull.status, 0) << pull.output;
  EXPECT_NE(pull.output.find("Pulled "), std::string::npos) << pull.output;
  {
    auto file = Database::open(kDemo), pulled = Database::open(copy);
    ASSERT_TRUE(file.ok() && pulled.ok());
    expectSameTables(*file, *pulled);
  }

  // The same pages, pixel for pixel.
  const std::vector<std::string> original = printed(kDemo), pulled = printed(copy);
  ASSERT_EQ(original.size(), 7u);
  ASSERT_EQ(pulled.size(), original.size());
  for (std::size_t i = 0; i < original.size(); ++i)
    EXPECT_TRUE(original[i] == pulled[i]) << "page " << i + 1;
}

TEST_F(StrataquillProjectTest, TheServerProjectPrintsTheSameLogAsTheFile) {
  // The log names the project where a file's names the file: a project
  // called as the demo's file prints the very same pages.
  const std::string demo = server_->address("Demo.sq2");
  ASSERT_EQ(
      tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(demo) + " --replace").status, 0);
  const std::vector<std::string> original = printed(kDemo), server = printed(demo);
  ASSERT_EQ(original.size(), 7u);
  ASSERT_EQ(server.size(), original.size());
  for (std::size_t i = 0; i < original.size(); ++i)
    EXPECT_TRUE(original[i] == server[i]) << "page " << i + 1;

  // By a link file, whose log is written beside it unless told otherwise.
  fs::create_directories(folder_ / "links");
  const std::string link = (folder_ / "links" / "Demo on the server.sqp").string();
  Outcome made = tool("link " + sq::shellQuote(demo) + " -o " + sq::shellQuote(link));
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(made.output, "Wrote " + link + " for " + demo + ".\n");
  EXPECT_EQ(tool("link " + sq::shellQuote(demo) + " -o " + sq::shellQuote(link)).status, 1)
      << "not overwritten";
  Outcome log = sq::runCommand(kBin + "/strataquill-log " + sq::shellQuote(link) + " -b B-1");
  ASSERT_EQ(log.status, 0) << log.output;
  EXPECT_NE(
      log.output.find(" (1 boring) to " + (folder_ / "links" / "Demo on the server.pdf").string()),
      std::string::npos)
      << log.output;

  // By its address alone: the project's name, in the current folder.
  const std::string slashed = server_->address("Depot \"north\"/x");
  auto logIn = [&](const std::string& folder) {
    return sq::runCommand("cd " + sq::shellQuote(folder) + " && " + kBin + "/strataquill-log " +
                          sq::shellQuote(slashed) + " -b B-1");
  };
  Outcome missing = logIn(folder_.string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "strataquill-log: The project " + slashed +
                                " cannot be opened: Could not find the "
                                "project 'Depot \"north\"/x' on the server.\n");
  ASSERT_EQ(
      tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(slashed) + " --replace").status,
      0);
  Outcome named = logIn(folder_.string());
  EXPECT_EQ(named.status, 0) << named.output;
  EXPECT_TRUE(fs::exists(folder_ / "Depot \"north\"_x.pdf")) << named.output;
  // Its site map too, named after it.
  Outcome map = sq::runCommand("cd " + sq::shellQuote(folder_.string()) + " && " + kBin +
                               "/strataquill-log " + sq::shellQuote(slashed) + " --site-map");
  EXPECT_EQ(map.status, 0) << map.output;
  EXPECT_TRUE(fs::exists(folder_ / "Depot \"north\"_x.map.pdf")) << map.output;
}

TEST_F(StrataquillProjectTest, AgsFilesComeFromAndGoIntoServerProjects) {
  ASSERT_EQ(tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address())).status, 0);
  auto ags = [&](const std::string& args) {
    return sq::runCommand("cd " + sq::shellQuote(folder_.string()) + " && " + kBin +
                          "/strataquill-ags " + args + " </dev/null");
  };
  auto counts = [](const Outcome& o) { return o.output.substr(o.output.find(": ")); };
  const std::string fromFile = (folder_ / "file.ags").string();
  const Outcome file = ags("export " + sq::shellQuote(kDemo) + " -o " + sq::shellQuote(fromFile));
  ASSERT_EQ(file.status, 0) << file.output;
  // By its address, into a file named after the project in the current folder.
  const Outcome server = ags("export " + sq::shellQuote(address()));
  ASSERT_EQ(server.status, 0) << server.output;
  EXPECT_TRUE(server.output.starts_with("Wrote " + project_ + ".ags: ")) << server.output;
  EXPECT_TRUE(fs::exists(folder_ / (project_ + ".ags")));
  EXPECT_EQ(counts(server), counts(file));

  // Into an empty server project, which then holds the same borings.
  const std::string emptyName = "Empty \"one\" O'Neil";
  const std::string empty = server_->address(emptyName);
  const Outcome made = tool("push " + sq::shellQuote(kBin + "/File.tpl") + " " +
                            sq::shellQuote(empty) + " --replace");
  ASSERT_EQ(made.status, 0) << made.output;
  const Outcome imported =
      ags("import " + sq::shellQuote(fromFile) + " -o " + sq::shellQuote(empty) + " --yes");
  ASSERT_EQ(imported.status, 0) << imported.output;
  EXPECT_TRUE(imported.output.ends_with("Imported into " + emptyName + ".\n")) << imported.output;
  const Outcome again = ags("export " + sq::shellQuote(empty) + " -o again.ags");
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(counts(again), counts(file));
  // A second import finds nothing new, and a project that is not there is
  // refused rather than made.
  EXPECT_EQ(
      ags("import " + sq::shellQuote(fromFile) + " -o " + sq::shellQuote(empty) + " --yes").status,
      1);
  const Outcome missing = ags("import " + sq::shellQuote(fromFile) + " -o " +
                              sq::shellQuote(server_->address("Nowhere")) + " --yes");
  EXPECT_EQ(missing.status, 2) << missing.output;
}

TEST_F(StrataquillProjectTest, NothingIsOverwrittenUnlessAsked) {
  ASSERT_EQ(tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address())).status, 0);
  Outcome again = tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address()));
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.output, "strataquill-project: The project '" + project_ +
                              "' already exists on the server.\n");
  EXPECT_EQ(
      tool("push " + sq::shellQuote(kDemo) + " " + sq::shellQuote(address()) + " --replace").status,
      0);
  auto server = Database::open(address());
  ASSERT_TRUE(server.ok());
  EXPECT_EQ(server->openRecordset("Boring Information")->recordCount(), 3) << "replaced, not added";

  const std::string copy = (folder_ / "copy.sq2").string();
  std::ofstream(copy) << "mine";
  Outcome pull = tool("pull " + sq::shellQuote(address()) + " -o " + sq::shellQuote(copy));
  EXPECT_EQ(pull.status, 1);
  EXPECT_EQ(pull.output, "strataquill-project: The file " + copy +
                             " exists already; it is left as it is.\n");
  EXPECT_EQ(readFile(copy), "mine");
  EXPECT_EQ(
      tool("pull " + sq::shellQuote(address()) + " -o " + sq::shellQuote(copy) + " --force").status,
      0);
  EXPECT_TRUE(Database::open(copy).ok());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
      << "no partial file is left behind";
}

TEST_F(StrataquillProjectTest, APushThatFailsLeavesNoProject) {
  // A file whose last table holds more than its field may: the server
  // refuses it, and the tables before it are not left behind either.
  const std::string file = (folder_ / "bad.sq2").string();
  {
    auto db = Database::create(file);
    ASSERT_TRUE(db.ok());
    ASSERT_TRUE(db->execute("CREATE TABLE [Boring Information] (BoringName TEXT(50))").ok());
    ASSERT_TRUE(db->execute("INSERT INTO [Boring Information] (BoringName) VALUES (\"B-1\")").ok());
    ASSERT_TRUE(db->execute("CREATE TABLE [Sample Information] (BoringName TEXT(5))").ok());
    ASSERT_TRUE(
        db->execute("INSERT INTO [Sample Information] (BoringName) VALUES (\"far too long\")").ok());
  }
  Outcome push = tool("push " + sq::shellQuote(file) + " " + sq::shellQuote(address()));
  EXPECT_EQ(push.status, 1);
  EXPECT_NE(push.output.find("Table 'Sample Information': The field is too small"),
            std::string::npos)
      << push.output;
  auto server = Database::open(address());
  EXPECT_EQ(server.status().code(), sq::db::ErrorCode::kFileNotFound);

  Outcome pull = tool("pull " + sq::shellQuote(address()) + " -o " +
                      sq::shellQuote((folder_ / "x.sq2").string()));
  EXPECT_EQ(pull.status, 1);
  EXPECT_EQ(pull.output, "strataquill-project: Could not find the project '" + project_ +
                             "' on the server.\n");
  EXPECT_EQ(tool("pull " + sq::shellQuote(address())).status, 2) << "no -o";
  Outcome help = tool("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.output.starts_with("Usage: strataquill-project push FILE.sq2 ADDRESS"))
      << help.output;
  EXPECT_EQ(tool("push " + sq::shellQuote(file) + " /tmp/not-an-address").status, 1);
}

}  // namespace

namespace {

// The project's own operations run on a server project as on a file: the
// structure check makes the six tables, borings are made, copied, listed in
// order and deleted.
TEST_F(StrataquillProjectTest, ProjectOperationsRunOnTheServer) {
  ASSERT_TRUE(Database::create(address()).ok());
  sq::project::CheckFileFormat(address());
  auto made = Database::open(address());
  ASSERT_TRUE(made.ok());
  std::vector<std::string> expected;
  for (const sq::db::TableDef& t : sq::project::projectTables()) expected.push_back(t.name);
  ASSERT_EQ(made->tableNames(), expected);
  for (const sq::db::TableDef& t : sq::project::projectTables()) {
    auto def = made->tableDef(t.name);
    ASSERT_EQ(def->fields.size(), t.fields.size()) << t.name;
    for (std::size_t i = 0; i < t.fields.size(); ++i) {
      EXPECT_EQ(def->fields[i].name, t.fields[i].name);
      EXPECT_EQ(def->fields[i].type, t.fields[i].type) << t.fields[i].name;
      EXPECT_EQ(def->fields[i].allowZeroLength, t.fields[i].isTextual()) << t.fields[i].name;
    }
  }

  // The session, as the windows use it, on the server address.
  sq::project::ProjectSession session;
  ASSERT_TRUE(session.open(address(), "shared").ok());
  const std::string odd = "MW \"7\" O'Neil";
  for (const std::string& name : {std::string("b-2"), std::string("B-10"), odd})
    ASSERT_TRUE(session.addBoring(name).done()) << name;
  EXPECT_EQ(session.addBoring(odd).outcome, sq::project::BoringChange::Outcome::kExists);
  ASSERT_TRUE(made->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To]) "
                            "VALUES (" + sq::db::jetStringLiteral(odd) + ", 0, 2.5)")
                  .ok());
  sq::project::CopyWhat all{true, true, true, true};
  ASSERT_TRUE(session.copyBoring(odd, "Copy of " + odd, all).done());
  EXPECT_EQ(session.borings(), (std::vector<std::string>{"B-10", "b-2", "Copy of " + odd, odd}));
  EXPECT_EQ(session.currentBoring(), "Copy of " + odd);
  auto copied = session.boringRows("Copy of " + odd, sq::project::kLithologyTable);
  ASSERT_TRUE(copied.ok());
  ASSERT_EQ(copied->recordCount(), 1);
  copied->moveFirst();
  EXPECT_EQ(copied->value("To").value(), sq::db::Value::single(2.5f));
  // A boring open in another session stays, and says who has it.
  {
    sq::project::ProjectSession other;
    ASSERT_TRUE(other.open(address(), "shared").ok());
    ASSERT_TRUE(other.select(odd).ok());
    const sq::project::BoringChange refused = session.removeBoring(odd);
    EXPECT_EQ(refused.outcome, sq::project::BoringChange::Outcome::kInUse);
    EXPECT_EQ(refused.users, std::vector<std::string>{ScratchPostgres::kAdmin});
    EXPECT_EQ(refused.status.message(),
              "The boring " + odd + " cannot be removed: sqadmin has it open.");
    EXPECT_EQ(session.boringRows(odd, sq::project::kLithologyTable)->recordCount(), 1);
  }
  ASSERT_TRUE(session.removeBoring(odd).done());
  EXPECT_EQ(session.borings(), (std::vector<std::string>{"B-10", "b-2", "Copy of " + odd}));
  // Another connection sees what the session wrote.
  EXPECT_EQ(sq::project::ReadBoringList(*made).value(),
            (std::vector<std::string>{"B-10", "b-2", "Copy of " + odd}));
}

}  // namespace
