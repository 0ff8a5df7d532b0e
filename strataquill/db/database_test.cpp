#include "strataquill/db/database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace sq::db {
namespace {

namespace fs = std::filesystem;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("sq_db_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }

  Database makeSample() {
    auto db = Database::create(path("sample.sqf"));
    EXPECT_TRUE(db.ok()) << db.status().message();
    TableDef t{"Boring Information",
               {{"BoringName", DaoType::kText, 50, false},
                {"DateStart", DaoType::kMemo, 0, true},
                {"From", DaoType::kSingle, 0, false},
                {"Depth", DaoType::kDouble, 0, false},
                {"Flag", DaoType::kBoolean, 0, false},
                {"Count", DaoType::kInteger, 0, false},
                {"Big", DaoType::kLong, 0, false},
                {"When", DaoType::kDate, 0, false}}};
    EXPECT_TRUE(db->createTable(t).ok());
    return std::move(db.value());
  }

  fs::path dir_;
};

TEST_F(DatabaseTest, TablesAndFieldsKeepTheirTypeCodesAndSizes) {
  Database db = makeSample();
  EXPECT_TRUE(db.createTable({"Second", {{"A", DaoType::kText, 20, true}}}).ok());
  EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"Boring Information", "Second"}));

  db.close();
  auto reopened = Database::open(path("sample.sqf"));
  ASSERT_TRUE(reopened.ok());
  auto def = reopened->tableDef("Boring Information");
  ASSERT_TRUE(def.ok());
  std::vector<std::pair<int, int>> typesAndSizes;
  for (const FieldDef& f : def->fields)
    typesAndSizes.emplace_back(static_cast<int>(f.type), f.size);
  EXPECT_EQ(typesAndSizes, (std::vector<std::pair<int, int>>{
                               {10, 50}, {12, 0}, {6, 4}, {7, 8}, {1, 1}, {3, 2}, {4, 4}, {8, 8}}));
  EXPECT_FALSE(def->fields[0].allowZeroLength);
  EXPECT_TRUE(def->fields[1].allowZeroLength);
  EXPECT_EQ(reopened->tableDef("Second")->fields[0].size, 20);
}

TEST_F(DatabaseTest, TableLookupIsExactAndDuplicatesFail) {
  Database db = makeSample();
  EXPECT_FALSE(db.tableDef("boring information").ok());
  EXPECT_EQ(db.tableDef("Nope").status().code(), ErrorCode::kNoSuchTable);
  EXPECT_EQ(db.createTable({"Boring Information", {{"X", DaoType::kText, 50, false}}}).code(),
            ErrorCode::kTableExists);
  EXPECT_EQ(db.appendField("Boring Information", {"from", DaoType::kMemo, 0, false}).code(),
            ErrorCode::kFieldExists);
}

TEST_F(DatabaseTest, AppendedFieldJoinsTheEndAndExistingRowsKeepTheirData) {
  Database db = makeSample();
  ASSERT_TRUE(db.execute("INSERT INTO [Boring Information] (BoringName, [From]) VALUES "
                         "(\"B-1\", 12.1)")
                  .ok());
  ASSERT_TRUE(db.appendField("Boring Information", {"Notes", DaoType::kMemo, 0, true}).ok());
  auto def = db.tableDef("Boring Information");
  EXPECT_EQ(def->fields.back().name, "Notes");
  EXPECT_TRUE(def->fields.back().allowZeroLength);
  auto rs = db.openRecordset("Boring Information");
  ASSERT_TRUE(rs.ok());
  EXPECT_EQ(rs->text("BoringName"), "B-1");
  EXPECT_EQ(rs->text("From"), "12.1");
  EXPECT_TRUE(rs->value("Notes")->isNull());
}

TEST_F(DatabaseTest, ZeroLengthSwitchIsEnforcedOnUpdate) {
  Database db = makeSample();
  auto rs = db.openRecordset("Boring Information");
  ASSERT_TRUE(rs.ok());
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text("")).ok());
  Status s = rs->update();
  EXPECT_EQ(s.code(), ErrorCode::kZeroLength);
  EXPECT_EQ(s.message(), "Field 'Boring Information.BoringName' cannot be a zero-length string.");
  rs->cancelUpdate();
  EXPECT_EQ(rs->recordCount(), 0) << "a refused row must not be written";

  // A single blank is not a zero-length string; the Memo allows "" already.
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text(" ")).ok());
  ASSERT_TRUE(rs->setField("DateStart", Value::text("")).ok());
  EXPECT_TRUE(rs->update().ok());

  ASSERT_TRUE(db.setAllowZeroLength("Boring Information", "BoringName", true).ok());
  EXPECT_TRUE(db.tableDef("Boring Information")->fields[0].allowZeroLength);
  auto again = db.openRecordset("Boring Information");
  ASSERT_TRUE(again->addNew().ok());
  ASSERT_TRUE(again->setField("BoringName", Value::text("")).ok());
  EXPECT_TRUE(again->update().ok());
  EXPECT_EQ(db.setAllowZeroLength("Boring Information", "From", true).code(), ErrorCode::kGeneric);
}

TEST_F(DatabaseTest, MemoKeepsTextThatLooksLikeANumber) {
  Database db = makeSample();
  auto rs = db.openRecordset("Boring Information");
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("DateStart", Value::text("01234")).ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text("007")).ok());
  ASSERT_TRUE(rs->update().ok());
  auto read = db.openRecordset("SELECT DateStart, BoringName FROM [Boring Information]");
  EXPECT_EQ(read->value("DateStart").value(), Value::text("01234"));
  EXPECT_EQ(read->value("BoringName").value(), Value::text("007"));
}

TEST_F(DatabaseTest, FilesThatAreNotDatabasesAreRefused) {
  EXPECT_EQ(Database::open(path("missing.sq2")).status().code(), ErrorCode::kFileNotFound);
  {
    std::ofstream out(path("junk.sq2"));
    out << "This is a text file, not a project.\n";
    for (int i = 0; i < 200; ++i) out << "padding padding padding\n";
  }
  EXPECT_EQ(Database::open(path("junk.sq2")).status().code(), ErrorCode::kNotADatabase);

  // A real database whose header bytes were damaged.
  { Database db = makeSample(); }
  {
    std::fstream f(path("sample.sqf"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f.write("garbage garbage!", 16);
  }
  EXPECT_EQ(Database::open(path("sample.sqf")).status().code(), ErrorCode::kNotADatabase);
  EXPECT_FALSE(Database::open(dir_.string()).ok()) << "a folder is not a database";
}

TEST_F(DatabaseTest, RolledBackWritesNeverReachTheFile) {
  Database db = makeSample();
  ASSERT_TRUE(db.beginTransaction().ok());
  ASSERT_TRUE(db.execute("INSERT INTO [Boring Information] (BoringName) VALUES (\"gone\")").ok());
  ASSERT_TRUE(db.rollback().ok());
  ASSERT_TRUE(db.beginTransaction().ok());
  ASSERT_TRUE(db.execute("INSERT INTO [Boring Information] (BoringName) VALUES (\"kept\")").ok());
  EXPECT_FALSE(db.beginTransaction().ok()) << "transactions do not nest";
  ASSERT_TRUE(db.commitTransaction().ok());
  db.close();
  auto rs = Database::open(path("sample.sqf"))->openRecordset("Boring Information");
  ASSERT_EQ(rs->recordCount(), 1);
  EXPECT_EQ(rs->text("BoringName"), "kept");
}

TEST_F(DatabaseTest, CreateRefusesAnExistingFile) {
  { Database db = makeSample(); }
  EXPECT_FALSE(Database::create(path("sample.sqf")).ok());
  EXPECT_TRUE(Database::open(path("sample.sqf"))->tableDef("Boring Information").ok());
}

}  // namespace
}  // namespace sq::db
