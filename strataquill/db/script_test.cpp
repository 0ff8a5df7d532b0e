#include "strataquill/db/script.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sq::db {
namespace {

TEST(ScriptTest, SplitsOutsideQuotesAndSkipsCommentLines) {
  auto parts = splitStatements(
      "-- a comment; with a semicolon\n"
      "CREATE TABLE [a;b] (x TEXT);\n"
      "INSERT INTO [a;b] (x) VALUES (\"1;2\");  INSERT INTO [a;b] (x) VALUES ('it''s; -- ok');\n"
      "  -- trailing comment\n");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_NE(parts[0].find("CREATE TABLE [a;b]"), std::string::npos);
  EXPECT_NE(parts[1].find("\"1;2\""), std::string::npos);
  EXPECT_NE(parts[2].find("'it''s; -- ok'"), std::string::npos);
}

TEST(ScriptTest, RunsStatementsAndNamesTheOneThatFails) {
  auto path =
      std::filesystem::temp_directory_path() / ("sq_script_" + std::to_string(::getpid()) + ".db");
  std::filesystem::remove(path);
  {
    auto db = Database::create(path.string());
    ASSERT_TRUE(db.ok());
    EXPECT_TRUE(runScript(db.value(),
                          "CREATE TABLE t (x TEXT(5)); INSERT INTO t (x) VALUES "
                          "(\"a;b\");")
                    .ok());
    EXPECT_EQ(db->openRecordset("t")->text("x"), "a;b");
    Status s = runScript(db.value(), "INSERT INTO missing (x) VALUES (1);");
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("INSERT INTO missing"), std::string::npos) << s.message();
  }
  std::filesystem::remove(path);
}

TEST(ScriptTest, StrayWordsAreAnErrorWithAMessageAndTouchNoOtherFile) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("sq_script_stray_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    auto db = Database::create((dir / "t.db").string());
    ASSERT_TRUE(db.ok());
    for (const char* script : {"BY x", "BY", "ORDER BY a;", ");"}) {
      Status s = runScript(db.value(), script);
      EXPECT_FALSE(s.ok()) << script;
      EXPECT_NE(s.message().find("Invalid SQL statement"), std::string::npos) << s.message();
    }
    const std::string attach = "ATTACH DATABASE '" + (dir / "other.db").string() + "' AS other;";
    EXPECT_FALSE(runScript(db.value(), attach).ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "other.db"));
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sq::db
