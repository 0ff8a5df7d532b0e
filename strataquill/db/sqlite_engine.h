#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "strataquill/db/connection.h"
#include "strataquill/db/engine.h"

namespace sq::db {

// Tables in an SQLite file. Field types and sizes live in the columns'
// declared types, the zero-length switch in a hidden bookkeeping table, a
// row's identity is its rowid. A file has one user at a time, so rows carry
// no versions and a write never meets a conflict.
class SqliteEngine final : public Engine {
 public:
  explicit SqliteEngine(std::unique_ptr<Connection> conn) : conn_(std::move(conn)) {}

  // Opens (or with `create`, makes) the file; kNotADatabase when it is not
  // a database.
  static Result<std::unique_ptr<SqliteEngine>> open(const std::string& path, bool create);
  Status ensurePropertyTable();

  bool isServer() const override { return false; }
  std::vector<std::string> tableNames() override;
  TableDef readTableDef(const std::string& storedName) override;
  Status createTable(const TableDef& def) override;
  Status appendField(const std::string& table, const FieldDef& field) override;
  Status setAllowZeroLength(const std::string& table, const std::string& field,
                            bool allow) override;
  Status createIndex(std::string_view name, const std::string& table,
                     const std::vector<std::string>& fields) override;
  EngineQuery tableQuery(const std::string& storedName) override;
  Result<EngineStatement> translate(std::string_view jetSql) override;
  Status load(const EngineQuery& query, LoadedRows& out) override;
  Result<RowKey> insertRow(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Value>& values) override;
  Result<WriteOutcome> updateRow(const std::string& table, RowKey& key,
                                 const std::vector<std::string>& columns,
                                 const std::vector<Value>& values) override;
  Result<WriteOutcome> deleteRow(const std::string& table, const RowKey& key) override;
  Result<std::optional<LoadedRows::Row>> readRow(const std::string& table,
                                                 const std::vector<std::string>& columns,
                                                 std::int64_t rowid) override;

 protected:
  Status run(const EngineStatement& statement) override;
  Status doBegin(TransactionMode mode) override;
  Status doCommit() override;
  Status doRollback() override;

 private:
  Status runWrite(const std::string& sql, const std::vector<Value>& values);

  std::unique_ptr<Connection> conn_;
  // Writes repeat a few statement texts (one INSERT, UPDATE and DELETE per
  // table and column list), so each is prepared once and reset after use:
  // preparing cost more than the write itself when rows are added in bulk.
  // Declared after conn_, so the statements are finalized before it closes.
  std::unordered_map<std::string, Statement> writeStatements_;
};

}  // namespace sq::db
