#include "strataquill/db/pg_sql.h"

#include <gtest/gtest.h>

namespace sq::db {
namespace {

std::vector<PgTable> projectTables() {
  PgTable lith{{"Lithology Information",
                {{"BoringName", DaoType::kText, 50, true},
                 {"From", DaoType::kSingle, 4, false},
                 {"To", DaoType::kSingle, 4, false},
                 {"Description", DaoType::kMemo, 0, true}}},
               true};
  PgTable foreign{{"Legacy", {{"Name", DaoType::kText, 50, true}}}, false};
  return {lith, foreign};
}

PgStatement translate(std::string_view jet) {
  auto r = translateJetSqlForPostgres(jet, projectTables());
  EXPECT_TRUE(r.ok()) << r.status().message();
  return r.ok() ? r.value() : PgStatement();
}

TEST(PgSqlTest, NamesTakeTheirStoredSpellingAndTextIsBound) {
  PgStatement s = translate(
      "SELECT [lithology information].from, Description FROM [Lithology Information] WHERE "
      "(([Lithology Information].BoringName) = \"B \"\"1\"\"'; DROP TABLE x\");");
  EXPECT_EQ(s.sql,
            "SELECT \"__rowid__\", xmin::text::bigint AS \"__version__\", "
            "\"Lithology Information\".\"From\", \"Description\" FROM \"Lithology Information\" "
            "WHERE ((\"Lithology Information\".\"BoringName\") = $1)");
  ASSERT_EQ(s.params.size(), 1u);
  EXPECT_EQ(s.params[0], Value::text("B \"1\"'; DROP TABLE x"));
  EXPECT_EQ(s.updatableTable, "Lithology Information");
}

TEST(PgSqlTest, TextSortsWithoutCaseAndEmptyFirstNumbersAsNumbers) {
  PgStatement s = translate(
      "SELECT BoringName FROM [Lithology Information] ORDER BY [Lithology Information].BoringName, "
      "[From] DESC, To;");
  const std::string key = pgSortKey("\"Lithology Information\".\"BoringName\"");
  EXPECT_NE(s.sql.find("ORDER BY " + key + " NULLS FIRST, \"From\" DESC NULLS LAST, \"To\" NULLS "
                       "FIRST"),
            std::string::npos)
      << s.sql;
  EXPECT_NE(key.find("translate("), std::string::npos);
  EXPECT_NE(key.find("COLLATE \"C\""), std::string::npos);
}

TEST(PgSqlTest, OnlyTablesWithARowIdentityAreUpdatable) {
  EXPECT_TRUE(translate("SELECT Name FROM Legacy").updatableTable.empty());
  EXPECT_TRUE(translate("SELECT Max([From]) AS M FROM [Lithology Information]")
                  .updatableTable.empty());
  PgStatement del = translate("DELETE * FROM [Lithology Information] WHERE BoringName = 'x'");
  EXPECT_EQ(del.sql, "DELETE  FROM \"Lithology Information\" WHERE \"BoringName\" = $1");
  PgStatement join = translate("SELECT \"a\" & Name FROM Legacy WHERE LEN(Name) > 2");
  EXPECT_EQ(join.sql, "SELECT $1::text || \"Name\" FROM \"Legacy\" WHERE LENGTH(\"Name\") > 2");
}

TEST(PgSqlTest, OtherStatementsAreRefusedAsInAFile) {
  EXPECT_FALSE(translateJetSqlForPostgres("COPY x TO '/etc/passwd'", projectTables()).ok());
  EXPECT_FALSE(translateJetSqlForPostgres("SELECT 1; DROP TABLE x", projectTables()).ok());
  auto create = translateJetSqlForPostgres("CREATE TABLE [T] (A TEXT(10))", projectTables());
  ASSERT_TRUE(create.ok());
  EXPECT_EQ(create->kind, SqlStatement::Kind::kCreateTable);
  EXPECT_EQ(create->createTable.fields.at(0).size, 10);
}

}  // namespace
}  // namespace sq::db
