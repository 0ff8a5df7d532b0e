#include "strataquill/db/sqlite_engine.h"

#include "strataquill/db/jet_sql.h"
#include "strataquill/db/schema_reader.h"
#include "strataquill/db/text_collation.h"

namespace sq::db {
namespace {

Value readColumn(sqlite3_stmt* stmt, int i, DaoType type) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
      return Value::null();
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_column_int64(stmt, i);
      if (type == DaoType::kSingle) return Value::single(static_cast<float>(v));
      if (type == DaoType::kDouble) return Value::real(static_cast<double>(v));
      return Value::integer(v);
    }
    case SQLITE_FLOAT: {
      double v = sqlite3_column_double(stmt, i);
      if (type == DaoType::kSingle) return Value::single(static_cast<float>(v));
      return Value::real(v);
    }
    default: {
      const void* p = sqlite3_column_blob(stmt, i);
      int n = sqlite3_column_bytes(stmt, i);
      return Value::text(p ? std::string(static_cast<const char*>(p), n) : std::string());
    }
  }
}

bool isHiddenTable(std::string_view name) {
  return name.starts_with("sqlite_") || name.starts_with("__dao");
}

}  // namespace

Result<std::unique_ptr<SqliteEngine>> SqliteEngine::open(const std::string& path, bool create) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  auto conn = std::make_unique<Connection>(raw, path);
  if (rc != SQLITE_OK)
    return Status::error(ErrorCode::kNotADatabase,
                         "Cannot open '" + path + "': " + sqlite3_errmsg(raw));
  sqlite3_busy_timeout(raw, 5000);
  sqlite3_extended_result_codes(raw, 1);
  registerTextCollation(raw);
  // Reading the schema is what tells a database from any other file.
  if (Status s = conn->exec("SELECT count(*) FROM sqlite_master"); !s.ok())
    return Status::error(ErrorCode::kNotADatabase, "Unrecognized database format '" + path + "'.");
  auto engine = std::make_unique<SqliteEngine>(std::move(conn));
  if (create) {
    if (Status s = engine->ensurePropertyTable(); !s.ok()) return s;
  }
  return engine;
}

Status SqliteEngine::ensurePropertyTable() {
  return conn_->exec(std::string("CREATE TABLE IF NOT EXISTS ") + kPropertyTable +
                     " (table_name TEXT COLLATE NOCASE, field_name TEXT COLLATE NOCASE, "
                     "allow_zero_length INTEGER NOT NULL, PRIMARY KEY (table_name, field_name))");
}

std::vector<std::string> SqliteEngine::tableNames() {
  std::vector<std::string> names;
  auto stmt = Statement::prepare(
      *conn_, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid");
  if (!stmt.ok()) return names;
  while (stmt->step() == SQLITE_ROW) {
    std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt->get(), 0));
    if (!isHiddenTable(name)) names.push_back(std::move(name));
  }
  return names;
}

TableDef SqliteEngine::readTableDef(const std::string& storedName) {
  return db::readTableDef(*conn_, storedName);
}

Status SqliteEngine::createTable(const TableDef& def) {
  std::string sql = "CREATE TABLE " + quoteIdentifier(def.name) + " (";
  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    if (i) sql += ", ";
    sql += quoteIdentifier(def.fields[i].name) + " " + declaredTypeFor(def.fields[i]);
  }
  sql += ")";
  // A savepoint makes the table and its switches one step, inside an open
  // transaction or on its own.
  if (Status s = conn_->exec("SAVEPOINT sq_create_table"); !s.ok()) return s;
  Status s = conn_->exec(sql);
  if (s.ok()) s = ensurePropertyTable();
  for (const FieldDef& f : def.fields)
    if (s.ok() && f.isTextual() && f.allowZeroLength)
      s = setAllowZeroLength(def.name, f.name, true);
  if (!s.ok()) conn_->exec("ROLLBACK TO sq_create_table");
  conn_->exec("RELEASE sq_create_table");
  return s;
}

Status SqliteEngine::appendField(const std::string& table, const FieldDef& field) {
  Status s = conn_->exec("ALTER TABLE " + quoteIdentifier(table) + " ADD COLUMN " +
                         quoteIdentifier(field.name) + " " + declaredTypeFor(field));
  if (s.ok() && field.isTextual() && field.allowZeroLength)
    s = setAllowZeroLength(table, field.name, true);
  return s;
}

Status SqliteEngine::setAllowZeroLength(const std::string& table, const std::string& field,
                                        bool allow) {
  if (Status s = ensurePropertyTable(); !s.ok()) return s;
  auto stmt = Statement::prepare(
      *conn_, std::string("INSERT OR REPLACE INTO ") + kPropertyTable +
                  " (table_name, field_name, allow_zero_length) VALUES (?1, ?2, ?3)");
  if (!stmt.ok()) return stmt.status();
  stmt->bind(1, Value::text(table));
  stmt->bind(2, Value::text(field));
  stmt->bind(3, Value::integer(allow ? 1 : 0));
  if (stmt->step() != SQLITE_DONE) return conn_->lastError(ErrorCode::kGeneric);
  return {};
}

Status SqliteEngine::createIndex(std::string_view name, const std::string& table,
                                 const std::vector<std::string>& fields) {
  std::string sql =
      "CREATE INDEX IF NOT EXISTS " + quoteIdentifier(name) + " ON " + quoteIdentifier(table) + " (";
  for (std::size_t i = 0; i < fields.size(); ++i) sql += (i ? ", " : "") + quoteIdentifier(fields[i]);
  return conn_->exec(sql + ")");
}

EngineQuery SqliteEngine::tableQuery(const std::string& storedName) {
  return {"SELECT _ROWID_ AS " + std::string(kRowIdColumn) + ", * FROM " +
              quoteIdentifier(storedName),
          {},
          storedName};
}

Result<EngineStatement> SqliteEngine::translate(std::string_view jetSql) {
  auto stmt = translateJetSql(jetSql);
  if (!stmt.ok()) return stmt.status();
  return EngineStatement{stmt->kind, stmt->sqlite, {}, stmt->updatableTable, stmt->createTable};
}

Status SqliteEngine::run(const EngineStatement& statement) {
  return conn_->exec(statement.sql);
}

Status SqliteEngine::load(const EngineQuery& query, LoadedRows& out) {
  auto stmt = Statement::prepare(*conn_, query.sql);
  if (!stmt.ok()) return stmt.status();
  sqlite3_stmt* st = stmt->get();
  const int columns = sqlite3_column_count(st);
  const char* firstName = columns > 0 ? sqlite3_column_name(st, 0) : nullptr;
  const bool hasRowId = firstName && std::string_view(firstName) == kRowIdColumn;

  // Field definitions of the base table give sizes and the zero-length
  // switch of the updatable columns.
  out = LoadedRows();
  TableDef base;
  if (!query.table.empty()) {
    out.table = db::storedTableName(*conn_, query.table).value_or(query.table);
    base = db::readTableDef(*conn_, out.table);
  }
  for (int i = hasRowId ? 1 : 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(st, i);
    const char* origin = sqlite3_column_origin_name(st, i);
    const char* originTable = sqlite3_column_table_name(st, i);
    const char* decl = sqlite3_column_decltype(st, i);
    FieldDef f = fieldDefFromDeclaredType(name ? name : "", decl ? decl : "");
    if (!decl) f.type = DaoType::kDouble;  // an expression such as Max([From])
    std::string baseColumn;
    if (hasRowId && origin && originTable && equalsIgnoreCase(originTable, out.table)) {
      if (const FieldDef* b = base.field(origin)) {
        f.size = b->size;
        f.allowZeroLength = b->allowZeroLength;
        baseColumn = b->name;
      }
    }
    out.fields.push_back(std::move(f));
    out.baseColumns.push_back(std::move(baseColumn));
  }
  if (!hasRowId) out.table.clear();

  int rc;
  while ((rc = stmt->step()) == SQLITE_ROW) {
    LoadedRows::Row row;
    if (hasRowId) row.key.rowid = sqlite3_column_int64(st, 0);
    for (std::size_t c = 0; c < out.fields.size(); ++c)
      row.values.push_back(
          readColumn(st, static_cast<int>(c) + (hasRowId ? 1 : 0), out.fields[c].type));
    out.rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE)
    return conn_->lastError(classifySqliteError(sqlite3_errmsg(conn_->handle())));
  return {};
}

Status SqliteEngine::runWrite(const std::string& sql, const std::vector<Value>& values) {
  auto cached = writeStatements_.find(sql);
  if (cached == writeStatements_.end()) {
    auto stmt = Statement::prepare(*conn_, sql);
    if (!stmt.ok()) return stmt.status();
    // A bound on the cache for callers that write many different column lists.
    if (writeStatements_.size() >= 64) writeStatements_.clear();
    cached = writeStatements_.emplace(sql, std::move(stmt.value())).first;
  }
  Statement& stmt = cached->second;
  for (std::size_t k = 0; k < values.size(); ++k) stmt.bind(static_cast<int>(k + 1), values[k]);
  const int rc = stmt.step();
  // The error text must be read before the reset, which keeps the code but
  // may not keep the message.
  Status result = rc == SQLITE_DONE
                      ? Status()
                      : conn_->lastError(classifySqliteError(sqlite3_errmsg(conn_->handle())));
  sqlite3_reset(stmt.get());
  sqlite3_clear_bindings(stmt.get());
  return result;
}

Result<RowKey> SqliteEngine::insertRow(const std::string& table,
                                       const std::vector<std::string>& columns,
                                       const std::vector<Value>& values) {
  std::string sql;
  if (columns.empty()) {
    sql = "INSERT INTO " + quoteIdentifier(table) + " DEFAULT VALUES";
  } else {
    std::string names, params;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      names += (k ? ", " : "") + quoteIdentifier(columns[k]);
      params += (k ? ", ?" : "?") + std::to_string(k + 1);
    }
    sql = "INSERT INTO " + quoteIdentifier(table) + " (" + names + ") VALUES (" + params + ")";
  }
  if (Status s = runWrite(sql, values); !s.ok()) return s;
  return RowKey{sqlite3_last_insert_rowid(conn_->handle()), 0};
}

Result<WriteOutcome> SqliteEngine::updateRow(const std::string& table, RowKey& key,
                                             const std::vector<std::string>& columns,
                                             const std::vector<Value>& values) {
  std::string sql = "UPDATE " + quoteIdentifier(table) + " SET ";
  for (std::size_t k = 0; k < columns.size(); ++k)
    sql += (k ? ", " : "") + quoteIdentifier(columns[k]) + " = ?" + std::to_string(k + 1);
  sql += " WHERE _ROWID_ = ?" + std::to_string(columns.size() + 1);
  std::vector<Value> bound = values;
  bound.push_back(Value::integer(key.rowid));
  if (Status s = runWrite(sql, bound); !s.ok()) return s;
  return WriteOutcome::kWritten;
}

Result<WriteOutcome> SqliteEngine::deleteRow(const std::string& table, const RowKey& key) {
  if (Status s = runWrite("DELETE FROM " + quoteIdentifier(table) + " WHERE _ROWID_ = ?1",
                          {Value::integer(key.rowid)});
      !s.ok())
    return s;
  return WriteOutcome::kWritten;
}

Result<std::optional<LoadedRows::Row>> SqliteEngine::readRow(
    const std::string& table, const std::vector<std::string>& columns, std::int64_t rowid) {
  TableDef def = db::readTableDef(*conn_, table);
  std::string list;
  std::vector<DaoType> types;
  for (const std::string& c : columns) {
    list += ", " + (c.empty() ? std::string("NULL") : quoteIdentifier(c));
    const FieldDef* f = c.empty() ? nullptr : def.field(c);
    types.push_back(f ? f->type : DaoType::kMemo);
  }
  auto stmt = Statement::prepare(*conn_, "SELECT _ROWID_" + list + " FROM " +
                                             quoteIdentifier(table) + " WHERE _ROWID_ = ?1");
  if (!stmt.ok()) return stmt.status();
  stmt->bind(1, Value::integer(rowid));
  const int rc = stmt->step();
  if (rc == SQLITE_DONE) return std::optional<LoadedRows::Row>();
  if (rc != SQLITE_ROW) return conn_->lastError(ErrorCode::kGeneric);
  LoadedRows::Row row;
  row.key.rowid = rowid;
  for (std::size_t c = 0; c < columns.size(); ++c)
    row.values.push_back(readColumn(stmt->get(), static_cast<int>(c) + 1, types[c]));
  return std::optional<LoadedRows::Row>(std::move(row));
}

Status SqliteEngine::doBegin(TransactionMode) {
  return conn_->exec("BEGIN");
}

Status SqliteEngine::doCommit() {
  return conn_->exec("COMMIT");
}

Status SqliteEngine::doRollback() {
  return conn_->exec("ROLLBACK");
}

}  // namespace sq::db
