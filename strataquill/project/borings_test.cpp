#include "strataquill/project/borings.h"

#include "strataquill/project/project_schema.h"
#include "strataquill/project/project_test_support.h"
#include "strataquill/shell/file_copy.h"

#include <sqlite3.h>

namespace sq::project {
namespace {

using db::Value;

class BoringsTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    path_ = home_.path("site.sq2");
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", path_, false));
    CheckFileFormat(path_);
  }

  void lithology(const std::string& boring, float from, float to, const std::string& text) {
    db::Database database = open(path_);
    addRow(database, "Lithology Information",
           {{"BoringName", Value::text(boring)},
            {"From", Value::single(from)},
            {"To", Value::single(to)},
            {"Description", Value::text(text)},
            {"Classification", Value::text("SM")},
            {"SeparatorType", Value::text("1 - Dash")}});
  }

  // "from-to description class separator" of every lithology row of `boring`.
  std::vector<std::string> lithologyOf(const std::string& boring) {
    db::Database database = open(path_);
    auto rs = database.openRecordset(GetSQL(boring, kLithologyTable));
    std::vector<std::string> out;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
      out.push_back(rs->text("From") + "-" + rs->text("To") + " " + rs->text("Description") + " " +
                    rs->text("Classification") + " " + rs->text("SeparatorType"));
    return out;
  }

  // The operations on a connection of their own, as a session holds one.
  bool create(const std::string& path, const std::string& name) {
    db::Database database = open(path);
    return CreateBoringRow(database, name).ok();
  }
  bool copy(const std::string& path, const std::string& source, const std::string& target,
            const CopyWhat& what) {
    db::Database database = open(path);
    return CopyBoringTables(database, source, target, what).ok();
  }
  bool remove(const std::string& path, const std::string& name) {
    db::Database database = open(path);
    return DeleteBoringRows(database, name).ok();
  }
  std::vector<std::string> list(const std::string& path) {
    db::Database database = open(path);
    auto names = ReadBoringList(database);
    return names.ok() ? names.value() : std::vector<std::string>{"(unreadable)"};
  }

  int rowsOf(const std::string& boring, int table) {
    db::Database database = open(path_);
    return database.openRecordset(GetSQL(boring, table))->recordCount();
  }

  std::string path_;
};

TEST_F(BoringsTest, StructureCheckIndexesEveryPerBoringTableOnce) {
  auto indexes = [&] {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::vector<std::string> out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT tbl_name || ':' || sql FROM sqlite_master WHERE type = 'index' "
                       "AND sql IS NOT NULL ORDER BY tbl_name",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
      out.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(raw);
    return out;
  };
  const auto first = indexes();
  ASSERT_EQ(first.size(), 4u);
  for (const std::string& index : first) EXPECT_NE(index.find("(\"BoringName\")"), std::string::npos);
  ASSERT_TRUE(create(path_, "B-1"));
  CheckFileFormat(path_);
  EXPECT_EQ(indexes(), first) << "a second check adds nothing";
  EXPECT_EQ(list(path_), std::vector<std::string>{"B-1"});
}

TEST_F(BoringsTest, ListIsSortedWithoutBlankNamesAndKeepsDuplicates) {
  for (const char* name : {"mw-2", "B-1", "   ", "", "MW-1", "B-1", " lead"})
    ASSERT_TRUE(create(path_, name));
  EXPECT_EQ(list(path_),
            (std::vector<std::string>{" lead", "B-1", "B-1", "MW-1", "mw-2"}));
}

TEST_F(BoringsTest, NamesNeedTwoCharactersAndMoreThanBlanks) {
  EXPECT_FALSE(IsUsableBoringName("B"));
  EXPECT_FALSE(IsUsableBoringName(""));
  EXPECT_FALSE(IsUsableBoringName("   "));
  EXPECT_TRUE(IsUsableBoringName("B1"));
  EXPECT_TRUE(IsUsableBoringName("\u00D81")) << "two characters, three bytes";
  EXPECT_FALSE(IsPrintableBoringName("\u00D8")) << "one character, two bytes";
  EXPECT_TRUE(IsPrintableBoringName("  ")) << "printing asks only for the length";
}

TEST_F(BoringsTest, ExistenceIsExactAndTheEmptyNameExists) {
  const std::vector<std::string> list = {"B-1", "MW 2"};
  EXPECT_TRUE(BoringExists(list, "B-1"));
  EXPECT_FALSE(BoringExists(list, "b-1"));
  EXPECT_FALSE(BoringExists(list, "MW 2 "));
  EXPECT_TRUE(BoringExists(list, ""));
  EXPECT_TRUE(BoringExists({}, ""));
}

TEST_F(BoringsTest, CopyOnlyLithologyMakesNoBoringRow) {
  ASSERT_TRUE(create(path_, "B-1"));
  lithology("B-1", 5, 10, "Sand, fine");
  lithology("B-1", 0, 5, "Clay\nstiff");
  lithology("B-1", 10, 12.5f, "Gravel");
  ASSERT_TRUE(copy(path_, "B-1", "B-2", {.lithology = true}));
  EXPECT_EQ(lithologyOf("B-2"), lithologyOf("B-1"));
  EXPECT_EQ(lithologyOf("B-2").size(), 3u);
  EXPECT_EQ(lithologyOf("B-2").front(), "0-5 Clay\nstiff SM 1 - Dash");
  EXPECT_EQ(list(path_), std::vector<std::string>{"B-1"});
  EXPECT_EQ(rowsOf("B-2", kSampleTable), 0);
}

TEST_F(BoringsTest, NamesWithQuotesAndColumnNamesCopyAndDelete) {
  for (const std::string name : {"MW \"North\" 1", "From", "B'7", "BoringName"}) {
    ASSERT_TRUE(create(path_, name));
    lithology(name, 0, 1, "x");
    ASSERT_TRUE(copy(path_, name, name + " copy",
                                 {.boringInfo = true, .lithology = true}));
    EXPECT_EQ(lithologyOf(name + " copy").size(), 1u) << name;
    ASSERT_TRUE(remove(path_, name));
    EXPECT_EQ(rowsOf(name, kLithologyTable), 0) << name;
    EXPECT_EQ(rowsOf(name, kBoringTable), 0) << name;
    EXPECT_EQ(rowsOf(name + " copy", kBoringTable), 1) << "the copy stays: " << name;
  }
}

TEST_F(BoringsTest, DeleteRemovesEveryTableOfThatBoringOnly) {
  ASSERT_TRUE(create(path_, "A1"));
  ASSERT_TRUE(create(path_, "A2"));
  lithology("A1", 0, 1, "x");
  lithology("A2", 0, 1, "y");
  {
    db::Database database = open(path_);
    addRow(database, "Sample Information", {{"BoringName", Value::text("A1")}});
    addRow(database, "Completion Information", {{"BoringName", Value::text("A1")}});
  }
  ASSERT_TRUE(remove(path_, "A1"));
  for (int table : {kLithologyTable, kSampleTable, kCompletionTable, kBoringTable})
    EXPECT_EQ(rowsOf("A1", table), 0) << table;
  EXPECT_EQ(rowsOf("A2", kLithologyTable), 1);
  EXPECT_EQ(list(path_), std::vector<std::string>{"A2"});
}

TEST_F(BoringsTest, FailedCopyWritesNothing) {
  // A project whose lithology table lacks Description: the boring row is
  // copied first, then the lithology query fails, and both are undone.
  const std::string odd = home_.path("odd.sq2");
  {
    auto database = db::Database::create(odd);
    for (db::TableDef table : projectTables()) {
      if (table.name == "Lithology Information") std::erase_if(table.fields, [](auto& f) {
          return f.name == "Description";
        });
      ASSERT_TRUE(database->createTable(table).ok());
    }
  }
  ASSERT_TRUE(create(odd, "B-1"));
  EXPECT_FALSE(copy(odd, "B-1", "B-2", {.boringInfo = true, .lithology = true}));
  EXPECT_EQ(list(odd), std::vector<std::string>{"B-1"});
  EXPECT_TRUE(copy(odd, "B-1", "B-3", {.boringInfo = true}));
  EXPECT_EQ(list(odd), (std::vector<std::string>{"B-1", "B-3"}));
}

TEST(OpenByOthersTest, NamesEveryoneWhoHasTheBoringOpen) {
  EXPECT_EQ(OpenByOthersText("B-1", {"ana"}), "The boring B-1 cannot be removed: ana has it open.");
  EXPECT_EQ(OpenByOthersText("B-1", {"ana", "ben"}),
            "The boring B-1 cannot be removed: ana and ben have it open.");
  EXPECT_EQ(OpenByOthersText("B-1", {"ana", "ben", "cy"}),
            "The boring B-1 cannot be removed: ana, ben and cy have it open.");
}

}  // namespace
}  // namespace sq::project
