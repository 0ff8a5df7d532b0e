#include "strataquill/db/database.h"

#include <filesystem>
#include <system_error>

#include "strataquill/db/pg_engine.h"
#include "strataquill/db/server_address.h"
#include "strataquill/db/sqlite_engine.h"

namespace sq::db {
namespace {

bool startsWithSelect(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                        s.front() == '\n' || s.front() == '('))
    s.remove_prefix(1);
  return s.size() >= 6 && equalsIgnoreCase(s.substr(0, 6), "SELECT");
}

Status noSuchTable(std::string_view name) {
  return Status::error(ErrorCode::kNoSuchTable, "Cannot find the table or query '" +
                                                    std::string(name) +
                                                    "'.  Make sure it exists and that its "
                                                    "name is spelled correctly.");
}

Status closedDatabase() {
  return Status::error(ErrorCode::kGeneric, "Database is closed.");
}

Status notOnAFile() {
  return Status::error(ErrorCode::kGeneric, "Only a project on a database server can do this.");
}

// The stored spelling of each of `fields` of `def`.
Result<std::vector<std::string>> storedFieldNames(const TableDef& def,
                                                  const std::vector<std::string>& fields) {
  std::vector<std::string> stored;
  for (const std::string& f : fields) {
    const FieldDef* have = def.field(f);
    if (!have) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
    stored.push_back(have->name);
  }
  return stored;
}

// The server engine of a server project's database, or why there is none.
Result<PgEngine*> serverEngine(const std::shared_ptr<Engine>& engine) {
  if (!engine) return closedDatabase();
  if (!engine->isServer()) return notOnAFile();
  return static_cast<PgEngine*>(engine.get());
}

}  // namespace

Database::Database(std::shared_ptr<Engine> engine, std::string path)
    : engine_(std::move(engine)), path_(std::move(path)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Result<Database> Database::open(const std::string& path) {
  if (isServerAddress(path)) {
    auto engine = PgEngine::open(path, PgEngine::Project::kMustExist);
    if (!engine.ok()) return engine.status();
    Database db(std::move(engine.value()), ServerAddress::parse(path)->withoutPassword());
    db.readOnly_ = db.server()->readOnly();
    return db;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return Status::error(ErrorCode::kFileNotFound, "Could not find file '" + path + "'.");
  auto engine = SqliteEngine::open(path, false);
  if (!engine.ok()) return engine.status();
  return Database(std::move(engine.value()), path);
}

Result<Database> Database::create(const std::string& path) {
  if (isServerAddress(path)) {
    auto db = connect(path);
    if (!db.ok()) return db.status();
    if (Status s = db->createProject(false); !s.ok()) return s;
    return std::move(db.value());
  }
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    return Status::error(ErrorCode::kTableExists, "Database '" + path + "' already exists.");
  auto engine = SqliteEngine::open(path, true);
  if (!engine.ok()) return engine.status();
  return Database(std::move(engine.value()), path);
}

Result<Database> Database::connect(const std::string& address) {
  auto engine = PgEngine::open(address, PgEngine::Project::kMayBeMissing);
  if (!engine.ok()) return engine.status();
  return Database(std::move(engine.value()), ServerAddress::parse(address)->withoutPassword());
}

Result<std::vector<std::string>> Database::listServerProjects(const std::string& address) {
  auto engine = PgEngine::open(address, PgEngine::Project::kNone);
  if (!engine.ok()) return engine.status();
  return engine.value()->listProjects();
}

void Database::close() {
  engine_.reset();
}

bool Database::isServer() const {
  return engine_ && engine_->isServer();
}

PgEngine* Database::server() const {
  return engine_ && engine_->isServer() ? static_cast<PgEngine*>(engine_.get()) : nullptr;
}

std::vector<std::string> Database::tableNames() const {
  return engine_ ? engine_->tableNames() : std::vector<std::string>();
}

Result<TableDef> Database::tableDef(std::string_view name) const {
  if (!engine_) return closedDatabase();
  for (const std::string& t : tableNames())
    if (t == name) return engine_->readTableDef(t);
  return noSuchTable(name);
}

Status Database::createTable(const TableDef& def) {
  if (!engine_) return closedDatabase();
  if (def.fields.empty())
    return Status::error(ErrorCode::kGeneric, "Table '" + def.name + "' has no fields.");
  if (engine_->storedTableName(def.name))
    return Status::error(ErrorCode::kTableExists, "Table '" + def.name + "' already exists.");
  return engine_->createTable(def);
}

Status Database::appendField(std::string_view table, const FieldDef& field) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  if (def->field(field.name))
    return Status::error(
        ErrorCode::kFieldExists,
        "Field '" + field.name + "' already exists in table '" + std::string(table) + "'.");
  return engine_->appendField(def->name, field);
}

Status Database::setAllowZeroLength(std::string_view table, std::string_view field, bool allow) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  const FieldDef* f = def->field(field);
  if (!f) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
  if (!f->isTextual())
    return Status::error(ErrorCode::kGeneric,
                         "Field '" + f->name + "' is not a Text or Memo field.");
  // Opening a file sets every switch each time; a write only where one
  // changes keeps an untouched file unchanged (and skips a disk flush per field).
  if (f->allowZeroLength == allow) return {};
  return engine_->setAllowZeroLength(def->name, f->name, allow);
}

Status Database::createIndex(std::string_view name, std::string_view table,
                             const std::vector<std::string>& fields) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  auto stored = storedFieldNames(*def, fields);
  if (!stored.ok()) return stored.status();
  return engine_->createIndex(name, def->name, *stored);
}

Status Database::appendRows(std::string_view table, const std::vector<std::string>& fields,
                            const std::vector<std::vector<Value>>& rows) {
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  auto stored = storedFieldNames(*def, fields);
  if (!stored.ok()) return stored.status();
  for (const std::vector<Value>& row : rows)
    if (row.size() != fields.size())
      return Status::error(ErrorCode::kGeneric, "A row holds a value for each field.");
  return engine_->appendRows(def->name, *stored, rows);
}

Result<Recordset> Database::openRecordset(std::string_view source) const {
  if (!engine_) return closedDatabase();
  if (!startsWithSelect(source)) {
    auto stored = engine_->storedTableName(source);
    if (!stored) return noSuchTable(source);
    return Recordset::open(engine_, engine_->tableQuery(*stored));
  }
  auto query = engine_->selectQuery(source);
  if (!query.ok()) return query.status();
  return Recordset::open(engine_, std::move(query.value()));
}

Status Database::beginTransaction(TransactionMode mode) {
  if (!engine_) return closedDatabase();
  return engine_->begin(mode);
}

Status Database::commitTransaction() {
  if (!engine_) return closedDatabase();
  return engine_->commit();
}

Status Database::rollback() {
  if (!engine_) return closedDatabase();
  return engine_->rollback();
}

Status Database::execute(std::string_view jetSql) {
  if (!engine_) return closedDatabase();
  return engine_->execute(jetSql);
}

Status Database::createProject(bool replace) {
  auto pg = serverEngine(engine_);
  return pg.ok() ? pg.value()->createProject(replace) : pg.status();
}

Status Database::reconnect() {
  auto pg = serverEngine(engine_);
  if (!pg.ok()) return pg.status();
  Status s = pg.value()->reconnect();
  if (s.ok()) readOnly_ = pg.value()->readOnly();
  return s;
}

Status Database::watchTable(std::string_view table, std::string_view keyField) {
  auto pg = serverEngine(engine_);
  if (!pg.ok()) return pg.status();
  auto def = tableDef(table);
  if (!def.ok()) return def.status();
  const FieldDef* key = def->field(keyField);
  if (!key) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
  return pg.value()->watchTable(def->name, key->name);
}

Status Database::listenForChanges() {
  auto pg = serverEngine(engine_);
  return pg.ok() ? pg.value()->listen() : pg.status();
}

int Database::changeSocket() const {
  PgEngine* pg = server();
  return pg ? pg->socket() : -1;
}

std::vector<TableChange> Database::takeChanges() {
  PgEngine* pg = server();
  return pg ? pg->takeChanges() : std::vector<TableChange>();
}

std::vector<TableChange> Database::waitForChanges(std::chrono::milliseconds timeout) {
  PgEngine* pg = server();
  return pg ? pg->waitForChanges(timeout) : std::vector<TableChange>();
}

bool Database::connectionLost() const {
  PgEngine* pg = server();
  return pg && pg->connectionLost();
}

Status Database::markInUse(std::string_view name) {
  PgEngine* pg = server();
  return pg ? pg->markInUse(std::string(name)) : Status();
}

Result<std::vector<std::string>> Database::usersOf(std::string_view name) const {
  PgEngine* pg = server();
  if (!pg) return std::vector<std::string>();
  return pg->usersOf(std::string(name));
}

Result<std::vector<std::string>> Database::claim(std::string_view name) {
  PgEngine* pg = server();
  if (!pg) return std::vector<std::string>();
  return pg->claim(std::string(name));
}

}  // namespace sq::db
