// Projects on a real PostgreSQL server of the test's own (one for the whole
// program), reached through its Unix socket.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <unistd.h>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/server_address.h"
#include "strataquill/db/testing/scratch_postgres.h"

namespace sq::db {
namespace {

using testing::ScratchPostgres;

// Names that a query must never trip over.
const std::string kProject = "Site \"A\" O'Brien; -- north";
const std::string kTable = "Bob's \"Lithology\" Table";

class ServerProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server_ = ScratchPostgres::shared(&why);
    ASSERT_NE(server_, nullptr) << why;
    project_ = kProject + " " + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    project_ = project_.substr(0, 63);
  }

  static std::string admin() { return ScratchPostgres::kAdmin; }

  std::string address(const std::string& user = ScratchPostgres::kAdmin) const {
    return server_->address(project_, user);
  }

  // The test fails (by the exception) when the project does not open.
  Database open(const std::string& user = ScratchPostgres::kAdmin) const {
    auto db = Database::open(address(user));
    if (!db.ok()) throw std::runtime_error(db.status().message());
    return std::move(db.value());
  }

  // A project with one table of every kind of field, and rows of two borings.
  Database makeProject() {
    auto made = Database::create(address());
    EXPECT_TRUE(made.ok()) << made.status().message();
    Database db = std::move(made.value());
    TableDef t{kTable,
               {{"BoringName", DaoType::kText, 50, true},
                {"From", DaoType::kSingle, 4, false},
                {"To", DaoType::kSingle, 4, false},
                {"Description \"long\"", DaoType::kMemo, 0, true},
                {"Depth", DaoType::kDouble, 8, false},
                {"Flag", DaoType::kBoolean, 1, false},
                {"Count", DaoType::kLong, 4, false},
                {"Code", DaoType::kText, 5, false}}};
    EXPECT_TRUE(db.createTable(t).ok());
    auto rs = db.openRecordset(kTable);
    EXPECT_TRUE(rs.ok()) << rs.status().message();
    add(*rs, "B-1", 0, 2.5f, "Topsoil");
    add(*rs, "B-1", 2.5f, 12.1f, "it's \"clay\"");
    add(*rs, "b \"2\"", 0, 0.1f, "");
    return db;
  }

  static void add(Recordset& rs, const std::string& boring, float from, float to,
                  const std::string& description) {
    ASSERT_TRUE(rs.addNew().ok());
    ASSERT_TRUE(rs.setField("BoringName", Value::text(boring)).ok());
    ASSERT_TRUE(rs.setField("From", Value::single(from)).ok());
    ASSERT_TRUE(rs.setField("To", Value::single(to)).ok());
    ASSERT_TRUE(rs.setField("Description \"long\"", Value::text(description)).ok());
    db::Status s = rs.update();
    ASSERT_TRUE(s.ok()) << s.message();
  }

  static std::string boringQuery(const std::string& boring) {
    return "SELECT [" + kTable + "].BoringName, [" + kTable + "].[From], [" + kTable +
           "].[To], [" + kTable + "].[Description \"long\"] FROM [" + kTable + "] WHERE ((([" +
           kTable + "].BoringName) = " + jetStringLiteral(boring) + ")) ORDER BY [" + kTable +
           "].[From], [" + kTable + "].[To];";
  }

  ScratchPostgres* server_ = nullptr;
  std::string project_;
};

TEST_F(ServerProjectTest, TablesFieldsAndValuesReadBackExactly) {
  Database db = makeProject();
  EXPECT_TRUE(db.isServer());
  EXPECT_FALSE(db.readOnly());
  EXPECT_EQ(db.tableNames(), std::vector<std::string>{kTable});
  auto def = db.tableDef(kTable);
  ASSERT_TRUE(def.ok());
  ASSERT_EQ(def->fields.size(), 8u);
  EXPECT_EQ(def->fields[0].type, DaoType::kText);
  EXPECT_EQ(def->fields[0].size, 50);
  EXPECT_TRUE(def->fields[0].allowZeroLength);
  EXPECT_EQ(def->fields[1].type, DaoType::kSingle);
  EXPECT_EQ(def->fields[3].type, DaoType::kMemo);
  EXPECT_EQ(def->fields[4].type, DaoType::kDouble);
  EXPECT_EQ(def->fields[5].type, DaoType::kBoolean);
  EXPECT_EQ(def->fields[6].type, DaoType::kLong);
  EXPECT_EQ(def->fields[7].size, 5);
  EXPECT_FALSE(def->fields[7].allowZeroLength);

  Database other = open();
  auto rs = other.openRecordset(boringQuery("B-1"));
  ASSERT_TRUE(rs.ok()) << rs.status().message();
  ASSERT_EQ(rs->recordCount(), 2);
  EXPECT_TRUE(rs->updatable());
  rs->moveLast();
  EXPECT_EQ(rs->text("From"), "2.5");
  EXPECT_EQ(rs->value("To").value(), Value::single(12.1f)) << "single precision kept exactly";
  EXPECT_EQ(rs->text("Description \"long\""), "it's \"clay\"");

  auto quoted = other.openRecordset(boringQuery("b \"2\""));
  ASSERT_TRUE(quoted.ok());
  ASSERT_EQ(quoted->recordCount(), 1);
  EXPECT_EQ(quoted->value("Description \"long\"").value(), Value::text(""))
      << "an empty text is not a null";

  // The field sizes and switches hold on the server as in a file.
  auto w = other.openRecordset(kTable);
  ASSERT_TRUE(w->addNew().ok());
  EXPECT_EQ(w->setField("Code", Value::text("123456")).code(), ErrorCode::kFieldTooSmall);
  ASSERT_TRUE(w->setField("Code", Value::text("")).ok());
  EXPECT_EQ(w->update().code(), ErrorCode::kZeroLength);
  w->cancelUpdate();
}

TEST_F(ServerProjectTest, ProjectsAreMadeOnceListedAndFound) {
  makeProject();
  auto again = Database::create(address());
  EXPECT_EQ(again.status().code(), ErrorCode::kTableExists);
  auto missing = Database::open(server_->address("No such project"));
  EXPECT_EQ(missing.status().code(), ErrorCode::kFileNotFound);
  EXPECT_EQ(missing.status().message(), "Could not find the project 'No such project' on the server.");
  auto list = Database::listServerProjects(server_->address(""));
  ASSERT_TRUE(list.ok()) << list.status().message();
  EXPECT_NE(std::find(list->begin(), list->end(), project_), list->end());
  EXPECT_EQ(std::find(list->begin(), list->end(), "public"), list->end()) << "not a project";
  // A schema that is no project is never dropped, replace or not.
  auto pub = Database::connect(server_->address("public"));
  ASSERT_TRUE(pub.ok());
  EXPECT_EQ(pub->createProject(true).code(), ErrorCode::kTableExists);
  // A password given in the address connects, and is shown nowhere.
  auto withPassword = Database::open(address() + "&password=hunter2");
  ASSERT_TRUE(withPassword.ok()) << withPassword.status().message();
  EXPECT_EQ(withPassword->path().find("hunter2"), std::string::npos) << withPassword->path();
  EXPECT_EQ(ServerAddress::parse(withPassword->path())->project, project_);
  auto wrongPlace = Database::open(
      "postgresql:///postgres?host=%2Fnonexistent&user=sqadmin&project=P&connect_timeout=2");
  EXPECT_EQ(wrongPlace.status().code(), ErrorCode::kConnectionFailed);
  // libpq's lines are joined into one sentence for the message box.
  const std::string why = wrongPlace.status().message();
  EXPECT_TRUE(why.starts_with("Cannot connect to the database server: ")) << why;
  EXPECT_EQ(why.find_first_of("\n\t"), std::string::npos) << why;
  EXPECT_EQ(why.find("  "), std::string::npos) << why;
}

TEST_F(ServerProjectTest, RowsSortAsInAFile) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("sq_sort_" + std::to_string(::getpid()) + ".sq2"))
          .string();
  std::filesystem::remove(file);
  Database server = makeProject();
  auto local = Database::create(file);
  ASSERT_TRUE(local.ok());
  TableDef names = server.tableDef(kTable).value();
  names.name = "Sorted \"names\"";
  std::vector<std::vector<std::string>> orders;
  for (Database* db : {&server, &local.value()}) {
    ASSERT_TRUE(db->createTable(names).ok());
    auto rs = db->openRecordset(names.name);
    for (const char* name : {"banana", "Apple", "cherry", "\xC3\x89mile", "\xC3\xA9" "cru", "B-10",
                             "b-9", "Zed", "_under", "\xD0\x96uk", "\xD0\xB0z", "B-1"})
      add(*rs, name, 1, 2, "");
    ASSERT_TRUE(rs->addNew().ok());
    ASSERT_TRUE(rs->update().ok()) << "a row without a name";
    auto sorted = db->openRecordset("SELECT BoringName FROM [" + names.name +
                                    "] ORDER BY BoringName, [From] DESC, [To]");
    ASSERT_TRUE(sorted.ok()) << sorted.status().message();
    orders.emplace_back();
    for (sorted->moveFirst(); !sorted->eof(); sorted->moveNext())
      orders.back().push_back(sorted->text("BoringName"));
  }
  std::filesystem::remove(file);
  EXPECT_EQ(orders[0], orders[1]);
  ASSERT_EQ(orders[0].size(), 13u);
  EXPECT_EQ(orders[0][0], "") << "no name sorts first";
  EXPECT_EQ(orders[0][1], "_under");
  EXPECT_EQ(orders[0][2], "Apple");
}

TEST_F(ServerProjectTest, EditsOfTheSameRowConflictAndNothingIsLost) {
  makeProject();
  Database a = open(), b = open();
  auto mine = a.openRecordset(boringQuery("B-1"));
  auto theirs = b.openRecordset(boringQuery("B-1"));
  ASSERT_TRUE(mine.ok() && theirs.ok());

  // They save first.
  theirs->moveFirst();
  ASSERT_TRUE(theirs->edit().ok());
  ASSERT_TRUE(theirs->setField("Description \"long\"", Value::text("Topsoil, dark")).ok());
  ASSERT_TRUE(theirs->update().ok());

  // My edit of the same row is refused, and tells both sides.
  mine->moveFirst();
  ASSERT_TRUE(mine->edit().ok());
  ASSERT_TRUE(mine->setField("Description \"long\"", Value::text("Topsoil, sandy")).ok());
  Status s = mine->update();
  EXPECT_EQ(s.code(), ErrorCode::kWriteConflict);
  EXPECT_EQ(s.message(),
            "Another user changed this row after you read it; nothing of your change to it was "
            "written.");
  mine->cancelUpdate();
  ASSERT_EQ(mine->conflicts().size(), 1u);
  const RowConflict& c = mine->conflicts()[0];
  EXPECT_EQ(c.position, 0u);
  ASSERT_TRUE(c.mine && c.theirs);
  EXPECT_EQ((*c.mine)[3], Value::text("Topsoil, sandy"));
  EXPECT_EQ((*c.theirs)[3], Value::text("Topsoil, dark"));
  EXPECT_EQ((*c.theirs)[2], Value::single(2.5f));

  auto stored = open().openRecordset(boringQuery("B-1"));
  stored->moveFirst();
  EXPECT_EQ(stored->text("Description \"long\""), "Topsoil, dark") << "theirs is kept";

  // Keep mine: start from the stored row, then write over it on purpose.
  ASSERT_TRUE(mine->refreshRow(0).ok());
  mine->moveFirst();
  EXPECT_EQ(mine->text("Description \"long\""), "Topsoil, dark");
  ASSERT_TRUE(mine->edit().ok());
  ASSERT_TRUE(mine->setField("Description \"long\"", Value::text("Topsoil, sandy")).ok());
  ASSERT_TRUE(mine->update().ok());
  ASSERT_TRUE(stored->requery().ok());
  stored->moveFirst();
  EXPECT_EQ(stored->text("Description \"long\""), "Topsoil, sandy");

  // Deleting a row someone else changed is refused too; deleting one they
  // deleted already is no conflict.
  theirs->moveFirst();
  ASSERT_TRUE(theirs->deleteRecord().code() == ErrorCode::kWriteConflict);
  ASSERT_EQ(theirs->conflicts().size(), 1u);
  EXPECT_FALSE(theirs->conflicts()[0].mine.has_value());
  ASSERT_TRUE(theirs->refreshRow(0).ok());
  theirs->moveFirst();
  ASSERT_TRUE(theirs->deleteRecord().ok());
  mine->moveFirst();
  EXPECT_TRUE(mine->deleteRecord().ok());
  mine->moveLast();
  ASSERT_TRUE(mine->edit().ok());
  ASSERT_TRUE(theirs->moveNext().ok());
  ASSERT_TRUE(theirs->deleteRecord().ok());
  ASSERT_TRUE(mine->setField("From", Value::single(3)).ok());
  EXPECT_EQ(mine->update().code(), ErrorCode::kWriteConflict);
  EXPECT_FALSE(mine->conflicts().back().theirs.has_value()) << "they deleted it";
}

TEST_F(ServerProjectTest, TwoUsersSaveDifferentBoringsAtOnce) {
  makeProject();
  constexpr int kRows = 40;
  std::atomic<int> ready{0};
  auto user = [&](std::string boring, Status* outcome) {
    auto db = Database::open(address());
    if (!db.ok()) {
      *outcome = db.status();
      return;
    }
    auto rs = db->openRecordset(boringQuery(boring));
    ++ready;
    while (ready < 2) std::this_thread::yield();
    *outcome = db->beginTransaction();
    for (int i = 0; outcome->ok() && i < kRows; ++i) {
      rs->addNew();
      rs->setField("BoringName", Value::text(boring));
      rs->setField("From", Value::single(static_cast<float>(i)));
      *outcome = rs->update();
    }
    if (outcome->ok()) *outcome = db->commitTransaction();
  };
  Status first, second;
  std::thread t1(user, "MW-1", &first), t2(user, "MW 2 \"deep\"", &second);
  t1.join();
  t2.join();
  EXPECT_TRUE(first.ok()) << first.message();
  EXPECT_TRUE(second.ok()) << second.message();
  Database check = open();
  EXPECT_EQ(check.openRecordset(boringQuery("MW-1"))->recordCount(), kRows);
  EXPECT_EQ(check.openRecordset(boringQuery("MW 2 \"deep\""))->recordCount(), kRows);
}

TEST_F(ServerProjectTest, AReadOnlyRoleIsToldPlainly) {
  makeProject();
  std::string why;
  const std::string schema = quoteIdentifier(project_);
  server_->admin("DROP ROLE IF EXISTS \"reader 'r'\"", &why);
  ASSERT_TRUE(server_->admin("CREATE ROLE \"reader 'r'\" LOGIN; GRANT USAGE ON SCHEMA " + schema +
                                 " TO \"reader 'r'\"; GRANT SELECT ON ALL TABLES IN SCHEMA " +
                                 schema + " TO \"reader 'r'\"",
                             &why))
      << why;
  auto db = Database::open(address("reader 'r'"));
  ASSERT_TRUE(db.ok()) << db.status().message();
  EXPECT_TRUE(db->readOnly());
  auto rs = db->openRecordset(boringQuery("B-1"));
  ASSERT_TRUE(rs.ok()) << rs.status().message();
  EXPECT_EQ(rs->recordCount(), 2);
  rs->moveFirst();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description \"long\"", Value::text("changed")).ok());
  Status s = rs->update();
  EXPECT_EQ(s.code(), ErrorCode::kNoPermission);
  EXPECT_EQ(s.message(), "The server does not let you change this project (permission denied "
                         "for table " + kTable + ").");
  rs->cancelUpdate();
  EXPECT_EQ(db->execute("DELETE FROM [" + kTable + "]").code(), ErrorCode::kNoPermission);
  EXPECT_EQ(open().openRecordset(kTable)->recordCount(), 3) << "nothing changed";
  EXPECT_FALSE(open().readOnly());

  // A role given the four table rights, as the README tells administrators,
  // may change everything.
  server_->admin("DROP ROLE IF EXISTS writer", &why);
  ASSERT_TRUE(server_->admin("CREATE ROLE writer LOGIN; GRANT USAGE ON SCHEMA " + schema +
                                 " TO writer; GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES "
                                 "IN SCHEMA " + schema + " TO writer",
                             &why))
      << why;
  Database writer = open("writer");
  EXPECT_FALSE(writer.readOnly());
  auto w = writer.openRecordset(kTable);
  add(*w, "W-1", 0, 1, "by the writer");
  ASSERT_TRUE(w->moveToPosition(0).ok());
  ASSERT_TRUE(w->deleteRecord().ok());
}

TEST_F(ServerProjectTest, OthersChangesOfWatchedTablesArrive) {
  Database writer = makeProject();
  ASSERT_TRUE(writer.watchTable(kTable, "boringname").ok());
  Database reader = open();
  ASSERT_TRUE(reader.listenForChanges().ok());
  EXPECT_GE(reader.changeSocket(), 0);
  ASSERT_TRUE(writer.listenForChanges().ok());

  auto rs = writer.openRecordset(kTable);
  add(*rs, "New \"one\"", 0, 1, "");
  using namespace std::chrono_literals;
  EXPECT_EQ(reader.waitForChanges(5s),
            (std::vector<TableChange>{{kTable, "New \"one\"", true}}));
  // A save of many rows of one boring arrives once.
  ASSERT_TRUE(writer.beginTransaction().ok());
  ASSERT_TRUE(writer.execute("UPDATE [" + kTable + "] SET [To] = [To] + 1 WHERE BoringName = \"B-1\"").ok());
  ASSERT_TRUE(writer.execute("UPDATE [" + kTable + "] SET BoringName = \"B-1a\" WHERE BoringName = \"b \"\"2\"\"\"").ok());
  ASSERT_TRUE(writer.commitTransaction().ok());
  EXPECT_EQ(reader.waitForChanges(5s),
            (std::vector<TableChange>{{kTable, "B-1", false},
                                      {kTable, "b \"2\"", true},
                                      {kTable, "B-1a", true}}));
  EXPECT_TRUE(writer.takeChanges().empty()) << "one's own changes are not news";
  EXPECT_TRUE(reader.waitForChanges(50ms).empty());
}

TEST_F(ServerProjectTest, NamesInUseAreSeenByOthersAndKeepThemFromTakingThem) {
  makeProject();
  std::string why;
  // A user of the project who is no superuser: what pg_locks and
  // pg_stat_activity show such a user is what the program shows.
  const std::string schema = quoteIdentifier(project_);
  server_->admin("DROP ROLE IF EXISTS \"ben 'b'\"", &why);
  ASSERT_TRUE(server_->admin("CREATE ROLE \"ben 'b'\" LOGIN; GRANT USAGE ON SCHEMA " + schema +
                                 " TO \"ben 'b'\"; GRANT SELECT, INSERT, UPDATE, DELETE ON ALL "
                                 "TABLES IN SCHEMA " +
                                 schema + " TO \"ben 'b'\"",
                             &why))
      << why;
  Database ana = open(), ben = open("ben 'b'");
  const std::string name = "B \"1\" O'Neil";
  ASSERT_TRUE(ben.markInUse(name).ok());
  EXPECT_EQ(ana.usersOf(name).value(), std::vector<std::string>{"ben 'b'"});
  EXPECT_TRUE(ben.usersOf(name)->empty()) << "one's own mark is no one else's";
  EXPECT_TRUE(ana.usersOf("B \"1\" O'Neil ").value().empty()) << "another name";
  // Ana shows it too; Ben sees her, by name, though he may not read her
  // session's details.
  ASSERT_TRUE(ana.markInUse(name).ok());
  EXPECT_EQ(ben.usersOf(name).value(), std::vector<std::string>{ServerProjectTest::admin()});

  // Taking it away waits for no one: it is refused while another has it.
  ASSERT_TRUE(ana.beginTransaction().ok());
  EXPECT_EQ(ana.claim(name).value(), std::vector<std::string>{"ben 'b'"});
  ASSERT_TRUE(ana.rollback().ok());
  // Once Ben moved on, it is hers to take, though she shows it herself;
  // meanwhile no one can mark it.
  ASSERT_TRUE(ben.markInUse("B-2").ok());
  ASSERT_TRUE(ana.beginTransaction().ok());
  EXPECT_TRUE(ana.claim(name).value().empty());
  ASSERT_TRUE(ben.markInUse(name).ok());
  EXPECT_TRUE(ana.usersOf(name)->empty()) << "not granted while it is being taken";
  ASSERT_TRUE(ana.commitTransaction().ok());
  ASSERT_TRUE(ben.markInUse(name).ok());
  EXPECT_EQ(ana.usersOf(name).value(), std::vector<std::string>{"ben 'b'"});
  // A connection that ends takes its marks with it.
  ben.close();
  for (int i = 0; i < 50 && !ana.usersOf(name)->empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(ana.usersOf(name)->empty());

  // The change notices are made once, and a user who does not own the
  // tables (who could not make them) finds them made.
  ASSERT_TRUE(ana.watchTable(kTable, "BoringName").ok());
  EXPECT_TRUE(open("ben 'b'").watchTable(kTable, "BoringName").ok());
  // Files know nothing of other users.
  const std::string file =
      (std::filesystem::temp_directory_path() / ("sq_names_" + std::to_string(::getpid()) + ".db"))
          .string();
  std::filesystem::remove(file);
  auto local = Database::create(file);
  ASSERT_TRUE(local.ok());
  EXPECT_TRUE(local->markInUse(name).ok());
  EXPECT_TRUE(local->usersOf(name)->empty());
  EXPECT_FALSE(local->connectionLost());
  std::filesystem::remove(file);
}

TEST_F(ServerProjectTest, ServerStoppedInTheMiddleOfASaveWritesNothing) {
  makeProject();
  Database db = open();
  auto rs = db.openRecordset(boringQuery("B-1"));
  ASSERT_TRUE(db.beginTransaction().ok());
  rs->moveFirst();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description \"long\"", Value::text("half saved")).ok());
  ASSERT_TRUE(rs->update().ok());
  add(*rs, "B-1", 40, 50, "added");

  std::string why;
  ASSERT_TRUE(server_->stop(&why)) << why;
  ASSERT_TRUE(rs->moveNext().ok());
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description \"long\"", Value::text("never")).ok());
  Status s = rs->update();
  EXPECT_EQ(s.code(), ErrorCode::kConnectionLost);
  EXPECT_TRUE(s.message().starts_with("The connection to the database server was lost: "))
      << s.message();
  rs->cancelUpdate();
  EXPECT_FALSE(db.commitTransaction().ok());
  // The set shows what the server holds again: the save is gone as a whole.
  EXPECT_EQ(rs->recordCount(), 2);
  rs->moveFirst();
  EXPECT_EQ(rs->text("Description \"long\""), "Topsoil");

  ASSERT_TRUE(server_->start(&why)) << why;
  auto stored = open().openRecordset(boringQuery("B-1"));
  ASSERT_TRUE(stored.ok());
  EXPECT_EQ(stored->recordCount(), 2);
  stored->moveFirst();
  EXPECT_EQ(stored->text("Description \"long\""), "Topsoil");

  // Once the server is back, the same connection saves again.
  EXPECT_TRUE(db.connectionLost());
  EXPECT_EQ(db.changeSocket(), -1);
  ASSERT_TRUE(db.reconnect().ok());
  EXPECT_FALSE(db.connectionLost());
  rs->moveFirst();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description \"long\"", Value::text("saved later")).ok());
  EXPECT_TRUE(rs->update().ok());
}

}  // namespace
}  // namespace sq::db
