#include "strataquill/db/engine.h"

#include "strataquill/db/ascii_case.h"

namespace sq::db {

std::optional<std::string> Engine::storedTableName(std::string_view name) {
  std::optional<std::string> caseless;
  for (std::string& t : tableNames()) {
    if (t == name) return t;
    if (!caseless && equalsIgnoreCase(t, name)) caseless = std::move(t);
  }
  return caseless;
}

Result<EngineQuery> Engine::selectQuery(std::string_view jetSql) {
  auto stmt = translate(jetSql);
  if (!stmt.ok()) return stmt.status();
  return EngineQuery{std::move(stmt->sql), std::move(stmt->params), stmt->updatableTable};
}

Status Engine::execute(std::string_view jetSql) {
  auto stmt = translate(jetSql);
  if (!stmt.ok()) return stmt.status();
  if (stmt->kind == SqlStatement::Kind::kCreateTable) {
    if (storedTableName(stmt->createTable.name))
      return Status::error(ErrorCode::kTableExists,
                           "Table '" + stmt->createTable.name + "' already exists.");
    return createTable(stmt->createTable);
  }
  if (stmt->kind == SqlStatement::Kind::kSelect)
    return Status::error(ErrorCode::kGeneric,
                         "A SELECT statement returns rows; open a record set for it.");
  return run(*stmt);
}

Status Engine::appendRows(const std::string& table, const std::vector<std::string>& columns,
                          const std::vector<std::vector<Value>>& rows) {
  for (const std::vector<Value>& row : rows) {
    auto key = insertRow(table, columns, row);
    if (!key.ok()) return key.status();
  }
  return {};
}

Status Engine::begin(TransactionMode mode) {
  if (inTransaction_)
    return Status::error(ErrorCode::kGeneric, "A transaction is already open.");
  Status s = doBegin(mode);
  if (s.ok()) {
    inTransaction_ = true;
    ++serial_;
  }
  return s;
}

Status Engine::commit() {
  if (!inTransaction_) return Status::error(ErrorCode::kGeneric, "No transaction is open.");
  Status s = doCommit();
  if (!s.ok() && inTransaction_) {
    // A commit that fails leaves nothing half done: the transaction ends
    // without its writes.
    doRollback();
    transactionLost();
  }
  inTransaction_ = false;
  return s;
}

Status Engine::rollback() {
  if (!inTransaction_) return Status::error(ErrorCode::kGeneric, "No transaction is open.");
  Status s = doRollback();
  transactionLost();
  return s;
}

void Engine::transactionLost() {
  if (!inTransaction_) return;
  rolledBack_.insert(serial_);
  inTransaction_ = false;
}

}  // namespace sq::db
