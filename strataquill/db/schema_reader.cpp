#include "strataquill/db/schema_reader.h"

#include "strataquill/db/jet_sql.h"

namespace sq::db {
namespace {

std::string columnText(sqlite3_stmt* stmt, int i) {
  const unsigned char* t = sqlite3_column_text(stmt, i);
  return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

}  // namespace

std::optional<std::string> storedTableName(const Connection& conn, std::string_view name) {
  auto stmt = Statement::prepare(
      conn, "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  if (!stmt.ok()) return std::nullopt;
  stmt->bind(1, Value::text(std::string(name)));
  if (stmt->step() != SQLITE_ROW) return std::nullopt;
  return columnText(stmt->get(), 0);
}

TableDef readTableDef(const Connection& conn, const std::string& storedName) {
  TableDef def;
  def.name = storedName;
  auto info = Statement::prepare(conn, "PRAGMA table_info(" + quoteIdentifier(storedName) + ")");
  if (info.ok())
    while (info->step() == SQLITE_ROW)
      def.fields.push_back(
          fieldDefFromDeclaredType(columnText(info->get(), 1), columnText(info->get(), 2)));

  auto props = Statement::prepare(conn, std::string("SELECT field_name, allow_zero_length FROM ") +
                                            kPropertyTable + " WHERE table_name = ?1");
  if (!props.ok()) return def;
  props->bind(1, Value::text(storedName));
  while (props->step() == SQLITE_ROW) {
    const std::string field = columnText(props->get(), 0);
    for (FieldDef& f : def.fields)
      if (equalsIgnoreCase(f.name, field) && f.isTextual())
        f.allowZeroLength = sqlite3_column_int(props->get(), 1) != 0;
  }
  return def;
}

}  // namespace sq::db
