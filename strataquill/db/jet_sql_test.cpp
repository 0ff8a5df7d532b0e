#include "strataquill/db/jet_sql.h"

#include <gtest/gtest.h>

namespace sq::db {
namespace {

std::string translate(std::string_view jet) {
  auto r = translateJetSql(jet);
  EXPECT_TRUE(r.ok()) << r.status().message();
  return r.ok() ? r->sqlite : std::string();
}

TEST(JetSqlTest, BracketsReservedWordsAndDotsBecomeQuotedNames) {
  EXPECT_EQ(translate("SELECT [Lithology Information].From, Text.Text FROM [Text] WHERE "
                      "x.To > 1;"),
            "SELECT _ROWID_ AS __rowid__, \"Lithology Information\".\"From\", \"Text\".\"Text\" "
            "FROM \"Text\" WHERE \"x\".\"To\" > 1");
}

TEST(JetSqlTest, DoubleQuotedTextIsALiteralWithDoubledQuotes) {
  EXPECT_EQ(translate("SELECT a FROM t WHERE b = \"say \"\"hi\"\" it's\""),
            "SELECT _ROWID_ AS __rowid__, \"a\" FROM \"t\" WHERE \"b\" = 'say \"hi\" it''s'");
  // A literal that spells a column name stays a literal.
  EXPECT_EQ(translate("SELECT a FROM t WHERE b = \"From\""),
            "SELECT _ROWID_ AS __rowid__, \"a\" FROM \"t\" WHERE \"b\" = 'From'");
}

TEST(JetSqlTest, AggregateWithBracketedAlias) {
  auto r = translateJetSql(
      "SELECT Max([From]) AS [Max Of From] FROM [Lithology Information] WHERE "
      "[Lithology Information].BoringName = \"B-1\" ;");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->sqlite,
            "SELECT Max(\"From\") AS \"Max Of From\" FROM \"Lithology Information\" WHERE "
            "\"Lithology Information\".\"BoringName\" = 'B-1' ");
  EXPECT_TRUE(r->updatableTable.empty()) << "an aggregate is not updatable";
}

TEST(JetSqlTest, OrderByTermsSortTextWithoutCase) {
  EXPECT_EQ(translate("SELECT a FROM t ORDER BY t.From, t.To DESC;"),
            "SELECT _ROWID_ AS __rowid__, \"a\" FROM \"t\" ORDER BY \"t\".\"From\" COLLATE "
            "JETTEXT, \"t\".\"To\" COLLATE JETTEXT DESC");
}

TEST(JetSqlTest, SingleTableSelectIsUpdatable) {
  auto r = translateJetSql(
      "SELECT [Sample Information].BoringName FROM [Sample Information] "
      "WHERE (([Sample Information].BoringName) = \"A\")");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->updatableTable, "Sample Information");
  auto join = translateJetSql("SELECT a FROM t, u");
  ASSERT_TRUE(join.ok());
  EXPECT_TRUE(join->updatableTable.empty());
  auto distinct = translateJetSql("SELECT DISTINCT a FROM t");
  ASSERT_TRUE(distinct.ok());
  EXPECT_TRUE(distinct->updatableTable.empty());
}

TEST(JetSqlTest, OtherStatements) {
  EXPECT_EQ(translate("DELETE * FROM [Text] WHERE Flag = True"),
            "DELETE  FROM \"Text\" WHERE \"Flag\" = -1");
  EXPECT_EQ(translate("INSERT INTO Lines (X, Y) VALUES (1.5, \"a\")"),
            "INSERT INTO \"Lines\" (\"X\", \"Y\") VALUES (1.5, 'a')");
}

TEST(JetSqlTest, CreateTableGivesFieldDefinitions) {
  auto r = translateJetSql(
      "CREATE TABLE [Boring Information] ([BoringName] TEXT(50), DateStart MEMO, [From] SINGLE, "
      "Flag BIT, N LONG);");
  ASSERT_TRUE(r.ok()) << r.status().message();
  ASSERT_EQ(r->kind, SqlStatement::Kind::kCreateTable);
  const TableDef& t = r->createTable;
  EXPECT_EQ(t.name, "Boring Information");
  ASSERT_EQ(t.fields.size(), 5u);
  EXPECT_EQ(t.fields[0].type, DaoType::kText);
  EXPECT_EQ(t.fields[0].size, 50);
  EXPECT_EQ(t.fields[1].type, DaoType::kMemo);
  EXPECT_EQ(t.fields[2].type, DaoType::kSingle);
  EXPECT_EQ(t.fields[3].type, DaoType::kBoolean);
  EXPECT_EQ(t.fields[4].type, DaoType::kLong);
}

TEST(JetSqlTest, MalformedStatementsAreErrors) {
  for (const char* bad :
       {"SELECT a FROM [t", "SELECT a FROM t WHERE b = \"open", "", "SELECT a FROM t; DROP TABLE t",
        "CREATE TABLE t (a WIDGET)", "CREATE TABLE t (a TEXT, a MEMO)"}) {
    auto r = translateJetSql(bad);
    EXPECT_FALSE(r.ok()) << bad;
    if (!r.ok()) {
      EXPECT_EQ(r.status().code(), ErrorCode::kSyntax);
    }
  }
}

TEST(JetSqlTest, StatementsThatStopOrStartAnywhereAreErrorsNotCrashes) {
  // A statement cut at any token boundary, front or back, must come out as
  // a statement or as a syntax error with a message ("BY x" once read past
  // the start of the token list).
  const std::string statements[] = {
      "SELECT [Sample Information].SampleType, [Sample Information].From FROM [Sample "
      "Information] WHERE ([Sample Information].BoringName = \"B-1\" And ((([Sample "
      "Information].From) > 0) Or (([Sample Information].To) < 40))) ORDER BY [Sample "
      "Information].From, [Sample Information].To DESC;",
      "SELECT Max([From]) AS [Max Of From] FROM [Lithology Information] WHERE Len(Text.Text) "
      "<> 0 & 'x' ;",
      "CREATE TABLE [Boring Information] ([BoringName] TEXT(50), DateStart MEMO, [From] SINGLE);",
      "DELETE * FROM [Text] WHERE Flag = True AND X MOD 2 = 1",
      "INSERT INTO Lines (X, Y) VALUES (1.5e3, .5)"};
  int errors = 0;
  for (const std::string& statement : statements) {
    for (std::size_t from = 0; from < statement.size(); ++from) {
      for (std::size_t to = from; to <= statement.size(); ++to) {
        const std::string piece = statement.substr(from, to - from);
        auto r = translateJetSql(piece);
        if (r.ok()) continue;
        ++errors;
        EXPECT_EQ(r.status().code(), ErrorCode::kSyntax) << piece;
        ASSERT_FALSE(r.status().message().empty()) << piece;
      }
    }
  }
  EXPECT_GT(errors, 0);
  for (const char* text : {"BY x", "BY", " BY", "ORDER BY", "(", "((", ")", "BY ORDER BY"}) {
    auto r = translateJetSql(text);
    ASSERT_FALSE(r.ok()) << text;
    EXPECT_EQ(r.status().message(),
              "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
              "'UPDATE'.")
        << text;
  }
}

TEST(JetSqlTest, OnlyTheDialectsStatementsReachTheEngine) {
  for (const char* refused :
       {"ATTACH DATABASE 'elsewhere.db' AS x", "PRAGMA writable_schema = 1",
        "VACUUM INTO 'copy.db'", "DROP VIEW v", "BEGIN", "WITH c AS (SELECT 1) SELECT * FROM c"}) {
    auto r = translateJetSql(refused);
    EXPECT_FALSE(r.ok()) << refused;
  }
  for (const char* accepted : {"DROP TABLE Lines", "ALTER TABLE t ADD COLUMN c TEXT",
                               "(SELECT a FROM t)", "UPDATE Options SET X = 1"}) {
    auto r = translateJetSql(accepted);
    EXPECT_TRUE(r.ok()) << accepted << ": " << r.status().message();
  }
  for (const char* size :
       {"CREATE TABLE t (a TEXT(0))", "CREATE TABLE t (a TEXT(256))",
        "CREATE TABLE t (a TEXT(99999999999999999999))", "CREATE TABLE t (a TEXT(1.5))"}) {
    auto r = translateJetSql(size);
    EXPECT_FALSE(r.ok()) << size;
  }
  auto widest = translateJetSql("CREATE TABLE t (a TEXT(255))");
  ASSERT_TRUE(widest.ok());
  EXPECT_EQ(widest->createTable.fields.at(0).size, 255);
}

TEST(JetSqlTest, StringLiteralRoundTripsAnyText) {
  for (std::string text : {"plain", "with \"quotes\"", "\"", "it's", "B-1\" OR \"1\"=\"1", ""}) {
    auto r = translateJetSql("SELECT a FROM t WHERE b = " + jetStringLiteral(text));
    ASSERT_TRUE(r.ok()) << text;
    std::string expected = "'";
    for (char c : text) expected += c == '\'' ? std::string("''") : std::string(1, c);
    expected += "'";
    EXPECT_NE(r->sqlite.find("= " + expected), std::string::npos) << r->sqlite;
  }
}

}  // namespace
}  // namespace sq::db
