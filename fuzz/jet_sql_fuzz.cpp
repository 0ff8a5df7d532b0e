// Feeds arbitrary text to the SQL dialect translator (into SQLite's dialect and into
// PostgreSQL's, where every text literal must become a bound value) and, as a table name
// or a query, to the record-set layer over a small project database. Neither may crash on any text, a
// refusal always carries a message for the user, and a record set that opens can be read
// from its first row to its last.
//
// The database is made once per process in a private temporary folder and only read:
// every table holds one row, so no join of the few tables can grow without bound.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/pg_sql.h"
#include "strataquill/db/script.h"

namespace {

using sq::db::Database;

void require(bool condition) {
  if (!condition) std::abort();
}

std::string& folder() {
  static std::string path;
  return path;
}

void removeFolder() {
  std::error_code ec;
  if (!folder().empty()) std::filesystem::remove_all(folder(), ec);
}

Database& database() {
  static std::optional<Database> db;
  if (db) return *db;
  std::string pattern = (std::filesystem::temp_directory_path() / "jet_sql_fuzz.XXXXXX").string();
  require(::mkdtemp(pattern.data()) != nullptr);
  folder() = pattern;
  std::atexit(removeFolder);
  auto created = Database::create(pattern + "/project.sq2");
  require(created.ok());
  db.emplace(std::move(created.value()));
  const char* script =
      "CREATE TABLE [Lithology Information] (BoringName TEXT(50), [From] SINGLE, [To] SINGLE, "
      "Description MEMO, Classification TEXT(50), SeparatorType TEXT(50));"
      "CREATE TABLE [Sample Information] (BoringName TEXT(50), SampleType MEMO, [From] SINGLE, "
      "[To] SINGLE, BlowCounts MEMO, UserText1 MEMO);"
      "CREATE TABLE [Text] ([Text] MEMO, X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE, "
      "FontBold BIT, FontSize SINGLE, Angle INTEGER);"
      "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, "
      "Classification, SeparatorType) VALUES (\"B-1\", 0, 12.5, \"Sandy \"\"CLAY\"\"\", \"CL\", "
      "\"1 - Dash\");"
      "INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts) "
      "VALUES (\"B-1\", \"Split Spoon\", 2, 3.5, \"4-6-9\");"
      "INSERT INTO [Text] ([Text], X, Y, XX, YY, FontBold, FontSize, Angle) VALUES "
      "(\"<<BORING NAME>>\", 1, 1, 3, 1.5, True, 9, 90);";
  require(sq::db::runScript(*db, script).ok());
  return *db;
}

void readAll(sq::db::Recordset& rs) {
  const std::vector<std::string> names = rs.fieldNames();
  for (rs.moveFirst(); !rs.eof(); require(rs.moveNext().ok())) {
    for (const std::string& name : names) {
      auto value = rs.value(name);
      if (value.ok()) (void)value->toString();
    }
  }
  require(!rs.moveNext().ok());  // past the end is an error value, not a crash
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  database();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto translated = sq::db::translateJetSql(text);
  if (!translated.ok()) require(!translated.status().message().empty());

  // The same statement for a server is read the same way, its texts as bound values.
  static const std::vector<sq::db::PgTable> tables = [] {
    std::vector<sq::db::PgTable> t;
    for (const std::string& name : database().tableNames())
      t.push_back({database().tableDef(name).value(), true});
    return t;
  }();
  auto forServer = sq::db::translateJetSqlForPostgres(text, tables);
  require(forServer.ok() == translated.ok());
  if (!forServer.ok()) require(!forServer.status().message().empty());
  if (forServer.ok())
    for (const sq::db::Value& v : forServer->params) require(v.isText());

  auto rs = database().openRecordset(text);
  if (!rs.ok()) {
    require(!rs.status().message().empty());
    return 0;
  }
  readAll(rs.value());
  return 0;
}
