#include "strataquill/db/recordset.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "strataquill/db/database.h"

namespace sq::db {
namespace {

namespace fs = std::filesystem;

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() /
            ("sq_rs_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sq2");
    fs::remove(path_);
    auto db = Database::create(path_.string());
    ASSERT_TRUE(db.ok());
    db_ = std::make_unique<Database>(std::move(db.value()));
    ASSERT_TRUE(db_->execute("CREATE TABLE [Lithology Information] (BoringName TEXT(50), "
                             "[From] SINGLE, [To] SINGLE, Description MEMO, "
                             "Classification TEXT(10))")
                    .ok());
    add("B-1", 10, 20, "clay");
    add("b-1", 0, 5, "lower case boring");
    add("B-1", 0, 10, "topsoil");
    add("B-1 ", 3, 4, "trailing blank");
    add("apple", 1, 2, "x");
    add("Banana", 1, 2, "y");
  }
  void TearDown() override {
    db_.reset();
    fs::remove(path_);
  }

  void add(const char* boring, float from, float to, const char* description) {
    auto rs = db_->openRecordset("Lithology Information");
    ASSERT_TRUE(rs.ok());
    ASSERT_TRUE(rs->addNew().ok());
    ASSERT_TRUE(rs->setField("BoringName", Value::text(boring)).ok());
    ASSERT_TRUE(rs->setField("From", Value::single(from)).ok());
    ASSERT_TRUE(rs->setField("To", Value::single(to)).ok());
    ASSERT_TRUE(rs->setField("Description", Value::text(description)).ok());
    ASSERT_TRUE(rs->update().ok());
  }

  std::vector<std::string> column(Recordset& rs, const char* field) {
    std::vector<std::string> out;
    for (rs.moveFirst(); !rs.eof(); (void)rs.moveNext()) out.push_back(rs.text(field));
    return out;
  }

  fs::path path_;
  std::unique_ptr<Database> db_;
};

TEST_F(RecordsetTest, WhereIsExactAndOrderByIsCaseInsensitive) {
  auto rs = db_->openRecordset(
      "SELECT [Lithology Information].BoringName, [Lithology Information].From, "
      "[Lithology Information].To, [Lithology Information].Description FROM "
      "[Lithology Information] WHERE ((([Lithology Information].BoringName) = \"B-1\")) ORDER BY "
      "[Lithology Information].From, [Lithology Information].To;");
  ASSERT_TRUE(rs.ok()) << rs.status().message();
  EXPECT_EQ(rs->fieldNames(),
            (std::vector<std::string>{"BoringName", "From", "To", "Description"}));
  EXPECT_EQ(column(*rs, "Description"), (std::vector<std::string>{"topsoil", "clay"}));

  auto names = db_->openRecordset(
      "SELECT BoringName, Description FROM [Lithology Information] "
      "ORDER BY BoringName, Description");
  ASSERT_TRUE(names.ok());
  EXPECT_EQ(column(*names, "BoringName"),
            (std::vector<std::string>{"apple", "B-1", "b-1", "B-1", "B-1 ", "Banana"}));
  EXPECT_EQ(column(*names, "Description")[2], "lower case boring")
      << "names that differ only in case are ordered by the next term";
}

TEST_F(RecordsetTest, CursorFollowsBofEofRules) {
  auto empty = db_->openRecordset("SELECT * FROM [Lithology Information] WHERE BoringName = \"?\"");
  ASSERT_TRUE(empty.ok());
  EXPECT_TRUE(empty->bof());
  EXPECT_TRUE(empty->eof());
  EXPECT_EQ(empty->recordCount(), 0);
  EXPECT_EQ(empty->moveNext().code(), ErrorCode::kNoCurrentRecord);
  EXPECT_EQ(empty->value("From").status().code(), ErrorCode::kNoCurrentRecord);

  auto rs = db_->openRecordset(
      "SELECT * FROM [Lithology Information] WHERE BoringName = \"B-1\" "
      "ORDER BY [From]");
  ASSERT_EQ(rs->recordCount(), 2);
  EXPECT_FALSE(rs->bof());
  EXPECT_TRUE(rs->movePrevious().ok());
  EXPECT_TRUE(rs->bof());
  EXPECT_TRUE(rs->moveNext().ok());
  EXPECT_EQ(rs->text("Description"), "topsoil");
  rs->moveLast();
  EXPECT_EQ(rs->text("Description"), "clay");
  EXPECT_TRUE(rs->moveNext().ok());
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->value("nonexistent").status().code(), ErrorCode::kItemNotFound);
}

TEST_F(RecordsetTest, EditThroughASingleTableQueryWritesTheFile) {
  auto rs = db_->openRecordset(
      "SELECT [Lithology Information].From, "
      "[Lithology Information].Description FROM [Lithology Information] "
      "WHERE [Lithology Information].BoringName = \"B-1\" ORDER BY [From]");
  ASSERT_TRUE(rs.ok());
  ASSERT_TRUE(rs->updatable());
  EXPECT_EQ(rs->setField("Description", Value::text("x")).code(), ErrorCode::kNotInEditMode);
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("From", Value::text(" 0.5 ")).ok());
  ASSERT_TRUE(rs->setField("Description", Value::text("sandy topsoil")).ok());
  EXPECT_EQ(rs->text("Description"), "sandy topsoil") << "pending value is visible";
  ASSERT_TRUE(rs->update().ok());
  EXPECT_EQ(rs->text("From"), "0.5");

  // Cancel drops pending changes.
  ASSERT_TRUE(rs->moveNext().ok());
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description", Value::text("lost")).ok());
  rs->cancelUpdate();
  EXPECT_EQ(rs->text("Description"), "clay");

  auto check = db_->openRecordset(
      "SELECT Description FROM [Lithology Information] WHERE "
      "BoringName = \"B-1\" ORDER BY [From]");
  EXPECT_EQ(column(*check, "Description"), (std::vector<std::string>{"sandy topsoil", "clay"}));
}

TEST_F(RecordsetTest, DeleteLeavesTheCursorOnTheDeletedRowUntilItMoves) {
  auto rs = db_->openRecordset("SELECT * FROM [Lithology Information] WHERE BoringName = \"B-1\"");
  int deleted = 0;
  for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) {
    ASSERT_TRUE(rs->deleteRecord().ok());
    EXPECT_EQ(rs->value("From").status().code(), ErrorCode::kRecordDeleted);
    ++deleted;
  }
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(rs->recordCount(), 0);
  auto all = db_->openRecordset("Lithology Information");
  EXPECT_EQ(all->recordCount(), 4);
}

TEST_F(RecordsetTest, AddNewKeepsTheCursorAndAppendsTheRow) {
  auto rs = db_->openRecordset(
      "SELECT * FROM [Lithology Information] WHERE BoringName = \"B-1\" "
      "ORDER BY [From]");
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text("B-1")).ok());
  ASSERT_TRUE(rs->setField("From", Value::integer(30)).ok());
  ASSERT_TRUE(rs->update().ok());
  EXPECT_EQ(rs->text("Description"), "topsoil");
  EXPECT_EQ(rs->recordCount(), 3);
  rs->moveToLastModified();
  EXPECT_EQ(rs->text("From"), "30");
  EXPECT_TRUE(rs->value("To")->isNull());
}

TEST_F(RecordsetTest, SingleFieldsKeepSinglePrecisionAndMaxFindsTheDeepest) {
  auto rs = db_->openRecordset("Lithology Information");
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text("deep")).ok());
  ASSERT_TRUE(rs->setField("To", Value::real(12.1)).ok());
  ASSERT_TRUE(rs->update().ok());
  auto read = db_->openRecordset(
      "SELECT [To] FROM [Lithology Information] WHERE BoringName = "
      "\"deep\"");
  Value to = read->value("To").value();
  EXPECT_TRUE(to.isSingle());
  EXPECT_EQ(to.toFloat(), 12.1f);
  EXPECT_EQ(to.toString(), "12.1");

  auto max = db_->openRecordset(
      "SELECT Max([To]) AS [Max Of To] FROM [Lithology Information] "
      "WHERE [Lithology Information].BoringName = \"deep\" ;");
  ASSERT_TRUE(max.ok()) << max.status().message();
  EXPECT_FALSE(max->updatable());
  EXPECT_EQ(max->value("Max Of To")->toFloat(), 12.1f);
  EXPECT_EQ(max->addNew().code(), ErrorCode::kReadOnly);

  auto none = db_->openRecordset(
      "SELECT Max([From]) AS [Max Of From] FROM [Lithology "
      "Information] WHERE BoringName = \"none\"");
  EXPECT_TRUE(none->value("Max Of From")->isNull());
}

TEST_F(RecordsetTest, ConversionsIntoTypedFields) {
  auto rs = db_->openRecordset("Lithology Information");
  ASSERT_TRUE(rs->addNew().ok());
  EXPECT_EQ(rs->setField("From", Value::text("ten")).code(), ErrorCode::kConversion);
  EXPECT_TRUE(rs->setField("From", Value::text(" ")).ok()) << "a cleared cell is no value";
  EXPECT_TRUE(rs->value("From")->isNull());
  EXPECT_EQ(rs->setField("To", Value::real(1e39)).code(), ErrorCode::kConversion);
  EXPECT_EQ(rs->setField("Classification", Value::text("12345678901")).code(),
            ErrorCode::kFieldTooSmall);
  EXPECT_TRUE(rs->setField("Classification", Value::text("éééééééééé")).ok())
      << "the size counts characters, not bytes";
  EXPECT_TRUE(rs->setField("Description", Value::single(2.5f)).ok());
  EXPECT_EQ(rs->value("Description").value(), Value::text("2.5"));
}

TEST_F(RecordsetTest, QuotesInNamesSelectExactlyThatRow) {
  add("O\"Neil", 1, 2, "double quote");
  add("O'Neil", 1, 2, "single quote");
  add("From", 1, 2, "column name");
  for (auto [name, expected] :
       {std::pair{"O\"\"Neil", "double quote"}, std::pair{"O'Neil", "single quote"},
        std::pair{"From", "column name"}}) {
    auto rs = db_->openRecordset(std::string("SELECT Description FROM [Lithology Information] "
                                             "WHERE BoringName = \"") +
                                 name + "\"");
    ASSERT_TRUE(rs.ok()) << name;
    EXPECT_EQ(column(*rs, "Description"), std::vector<std::string>{expected}) << name;
  }
}

}  // namespace
}  // namespace sq::db

namespace sq::db {
namespace {

// A transaction that ends without its writes leaves every record set that
// wrote in it showing the rows as stored, so that the next save sends the
// same edits again instead of believing them written.
TEST_F(RecordsetTest, RolledBackWritesAreForgottenByTheSet) {
  auto rs = db_->openRecordset("SELECT BoringName, Description FROM [Lithology Information] "
                               "WHERE BoringName = \"B-1\" ORDER BY [From]");
  ASSERT_TRUE(rs.ok());
  ASSERT_EQ(rs->recordCount(), 2);
  ASSERT_TRUE(db_->beginTransaction().ok());
  rs->moveFirst();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description", Value::text("undone")).ok());
  ASSERT_TRUE(rs->update().ok());
  ASSERT_TRUE(rs->moveNext().ok());
  ASSERT_TRUE(rs->deleteRecord().ok());
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->setField("BoringName", Value::text("B-1")).ok());
  ASSERT_TRUE(rs->update().ok());
  EXPECT_EQ(rs->recordCount(), 2);
  ASSERT_TRUE(db_->rollback().ok());

  EXPECT_EQ(rs->recordCount(), 2);
  EXPECT_EQ(column(*rs, "Description"), (std::vector<std::string>{"topsoil", "clay"}));
  auto stored = db_->openRecordset("Lithology Information");
  EXPECT_EQ(stored->recordCount(), 6);

  // The next transaction keeps what it wrote.
  ASSERT_TRUE(db_->beginTransaction().ok());
  rs->moveFirst();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(rs->setField("Description", Value::text("kept")).ok());
  ASSERT_TRUE(rs->update().ok());
  ASSERT_TRUE(db_->commitTransaction().ok());
  EXPECT_EQ(column(*rs, "Description")[0], "kept");
  EXPECT_EQ(db_->rollback().code(), ErrorCode::kGeneric) << "nothing left to roll back";

  // An edit begun on a row that the rollback took away writes nothing.
  ASSERT_TRUE(db_->beginTransaction().ok());
  ASSERT_TRUE(rs->addNew().ok());
  ASSERT_TRUE(rs->update().ok());
  rs->moveToLastModified();
  ASSERT_TRUE(rs->edit().ok());
  ASSERT_TRUE(db_->rollback().ok());
  ASSERT_TRUE(rs->setField("Description", Value::text("lost row")).ok());
  EXPECT_EQ(rs->update().code(), ErrorCode::kNoCurrentRecord);
  EXPECT_EQ(db_->openRecordset("Lithology Information")->recordCount(), 6);
}

}  // namespace
}  // namespace sq::db
