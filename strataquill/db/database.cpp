#include "strataquill/db/database.h"

#include <filesystem>
#include <system_error>

#include "strataquill/db/connection.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/schema_reader.h"
#include "strataquill/db/text_collation.h"

namespace sq::db {
namespace {

bool isHiddenTable(std::string_view name) {
  return name.starts_with("sqlite_") || name.starts_with("__dao");
}

bool startsWithSelect(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                        s.front() == '\n' || s.front() == '('))
    s.remove_prefix(1);
  return s.size() >= 6 && equalsIgnoreCase(s.substr(0, 6), "SELECT");
}

Result<std::shared_ptr<Connection>> openConnection(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  auto conn = std::make_shared<Connection>(raw, path);
  if (rc != SQLITE_OK)
    return Status::error(ErrorCode::kNotADatabase,
                         "Cannot open '" + path + "': " + sqlite3_errmsg(raw));
  sqlite3_busy_timeout(raw, 5000);
  sqlite3_extended_result_codes(raw, 1);
  registerTextCollation(raw);
  // Reading the schema is what tells a database from any other file.
  if (Status s = conn->exec("SELECT count(*) FROM sqlite_master"); !s.ok())
    return Status::error(ErrorCode::kNotADatabase, "Unrecognized database format '" + path + "'.");
  return conn;
}

Status noSuchTable(std::string_view name) {
  return Status::error(ErrorCode::kNoSuchTable, "Cannot find the table or query '" +
                                                    std::string(name) +
                                                    "'.  Make sure it exists and that its "
                                                    "name is spelled correctly.");
}

}  // namespace

Database::Database(std::shared_ptr<Connection> conn, std::string path)
    : conn_(std::move(conn)), path_(std::move(path)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Result<Database> Database::open(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return Status::error(ErrorCode::kFileNotFound, "Could not find file '" + path + "'.");
  auto conn = openConnection(path, SQLITE_OPEN_READWRITE);
  if (!conn.ok()) return conn.status();
  return Database(std::move(conn.value()), path);
}

Result<Database> Database::create(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    return Status::error(ErrorCode::kTableExists, "Database '" + path + "' already exists.");
  auto conn = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (!conn.ok()) return conn.status();
  Database db(std::move(conn.value()), path);
  if (Status s = db.ensurePropertyTable(); !s.ok()) return s;
  return db;
}

void Database::close() {
  conn_.reset();
}

Status Database::ensurePropertyTable() {
  return conn_->exec(std::string("CREATE TABLE IF NOT EXISTS ") + kPropertyTable +
                     " (table_name TEXT COLLATE NOCASE, field_name TEXT COLLATE NOCASE, "
                     "allow_zero_length INTEGER NOT NULL, PRIMARY KEY (table_name, field_name))");
}

std::vector<std::string> Database::tableNames() const {
  std::vector<std::string> names;
  if (!conn_) return names;
  auto stmt = Statement::prepare(
      *conn_, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid");
  if (!stmt.ok()) return names;
  while (stmt->step() == SQLITE_ROW) {
    std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt->get(), 0));
    if (!isHiddenTable(name)) names.push_back(std::move(name));
  }
  return names;
}

Result<TableDef> Database::tableDef(std::string_view name) const {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  bool found = false;
  for (const std::string& t : tableNames()) found = found || t == name;
  if (!found) return noSuchTable(name);

  return readTableDef(*conn_, std::string(name));
}

Status Database::createTable(const TableDef& def) {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  if (def.fields.empty())
    return Status::error(ErrorCode::kGeneric, "Table '" + def.name + "' has no fields.");
  std::string sql = "CREATE TABLE " + quoteIdentifier(def.name) + " (";
  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    if (i) sql += ", ";
    sql += quoteIdentifier(def.fields[i].name) + " " + declaredTypeFor(def.fields[i]);
  }
  sql += ")";
  if (Status s = conn_->exec("BEGIN"); !s.ok()) return s;
  Status s = conn_->exec(sql);
  if (s.ok()) s = ensurePropertyTable();
  for (const FieldDef& f : def.fields)
    if (s.ok() && f.isTextual() && f.allowZeroLength)
      s = setAllowZeroLength(def.name, f.name, true);
  conn_->exec(s.ok() ? "COMMIT" : "ROLLBACK");
  if (s.code() == ErrorCode::kTableExists)
    return Status::error(ErrorCode::kTableExists, "Table '" + def.name + "' already exists.");
  return s;
}

Status Database::appendField(std::string_view table, const FieldDef& field) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  if (def->field(field.name))
    return Status::error(
        ErrorCode::kFieldExists,
        "Field '" + field.name + "' already exists in table '" + std::string(table) + "'.");
  Status s = conn_->exec("ALTER TABLE " + quoteIdentifier(table) + " ADD COLUMN " +
                         quoteIdentifier(field.name) + " " + declaredTypeFor(field));
  if (s.ok() && field.isTextual() && field.allowZeroLength)
    s = setAllowZeroLength(table, field.name, true);
  return s;
}

Status Database::setAllowZeroLength(std::string_view table, std::string_view field, bool allow) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  const FieldDef* f = def->field(field);
  if (!f) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
  if (!f->isTextual())
    return Status::error(ErrorCode::kGeneric,
                         "Field '" + f->name + "' is not a Text or Memo field.");
  if (Status s = ensurePropertyTable(); !s.ok()) return s;
  auto stmt = Statement::prepare(
      *conn_, std::string("INSERT OR REPLACE INTO ") + kPropertyTable +
                  " (table_name, field_name, allow_zero_length) VALUES (?1, ?2, ?3)");
  if (!stmt.ok()) return stmt.status();
  stmt->bind(1, Value::text(def->name));
  stmt->bind(2, Value::text(f->name));
  stmt->bind(3, Value::integer(allow ? 1 : 0));
  if (stmt->step() != SQLITE_DONE) return conn_->lastError(ErrorCode::kGeneric);
  return {};
}

Result<Recordset> Database::openRecordset(std::string_view source) const {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  if (!startsWithSelect(source)) {
    std::string name(source);
    bool found = false;
    for (const std::string& t : tableNames()) found = found || equalsIgnoreCase(t, name);
    if (!found) return noSuchTable(name);
    return Recordset::open(
        conn_,
        "SELECT _ROWID_ AS " + std::string(kRowIdColumn) + ", * FROM " + quoteIdentifier(name),
        name);
  }
  auto stmt = translateJetSql(source);
  if (!stmt.ok()) return stmt.status();
  return Recordset::open(conn_, stmt->sqlite, stmt->updatableTable);
}

Status Database::beginTransaction() {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  return conn_->exec("BEGIN");
}

Status Database::commitTransaction() {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  return conn_->exec("COMMIT");
}

Status Database::rollback() {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  return conn_->exec("ROLLBACK");
}

Status Database::execute(std::string_view jetSql) {
  if (!conn_) return Status::error(ErrorCode::kGeneric, "Database is closed.");
  auto stmt = translateJetSql(jetSql);
  if (!stmt.ok()) return stmt.status();
  if (stmt->kind == SqlStatement::Kind::kCreateTable) return createTable(stmt->createTable);
  if (stmt->kind == SqlStatement::Kind::kSelect)
    return Status::error(ErrorCode::kGeneric,
                         "A SELECT statement returns rows; open a record "
                         "set for it.");
  return conn_->exec(stmt->sqlite);
}

Status Database::createIndex(std::string_view name, std::string_view table,
                             const std::vector<std::string>& fields) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  std::string sql = "CREATE INDEX IF NOT EXISTS " + quoteIdentifier(name) + " ON " +
                    quoteIdentifier(def->name) + " (";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (!def->field(fields[i]))
      return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
    sql += (i ? ", " : "") + quoteIdentifier(fields[i]);
  }
  return conn_->exec(sql + ")");
}

}  // namespace sq::db
