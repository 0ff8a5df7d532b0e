#pragma once

// Internal to db/: what a Database and its record sets need of the engine
// that stores the tables, so that the same record sets run over an SQLite
// file and over a project schema on a PostgreSQL server.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/status.h"
#include "strataquill/db/value.h"

namespace sq::db {

// A row's identity in its table and the version it had when it was read.
struct RowKey {
  std::int64_t rowid = 0;
  std::int64_t version = 0;  // 0 where the engine keeps no versions
};

// A SELECT in the engine's own dialect with the values it binds.
struct EngineQuery {
  std::string sql;
  std::vector<Value> params;
  std::string table;  // the table an updatable query reads; "" when read-only
};

// A statement of the desktop dialect in the engine's own.
struct EngineStatement {
  SqlStatement::Kind kind = SqlStatement::Kind::kOther;
  std::string sql;
  std::vector<Value> params;
  std::string updatableTable;
  TableDef createTable;  // for CREATE TABLE
};

// What a query returned: its columns, each with the column of the
// updatable table behind it ("" for an expression), and its rows.
struct LoadedRows {
  std::string table;  // "" when the rows cannot be written back
  std::vector<FieldDef> fields;
  std::vector<std::string> baseColumns;
  struct Row {
    RowKey key;
    std::vector<Value> values;
  };
  std::vector<Row> rows;
};

enum class TransactionMode {
  kWrite,         // the usual: reads see what others committed meanwhile
  kReadSnapshot,  // reads only, all of them from one moment (copying a project out)
};

enum class WriteOutcome {
  kWritten,
  kConflict,  // the row no longer has the version it was read with
};

class Engine {
 public:
  Engine() = default;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
  virtual ~Engine() = default;

  virtual bool isServer() const = 0;

  // User tables in creation order, bookkeeping tables left out.
  virtual std::vector<std::string> tableNames() = 0;
  // The stored spelling of the table whose name matches `name` without
  // regard to case.
  std::optional<std::string> storedTableName(std::string_view name);
  virtual TableDef readTableDef(const std::string& storedName) = 0;
  virtual Status createTable(const TableDef& def) = 0;
  virtual Status appendField(const std::string& table, const FieldDef& field) = 0;
  virtual Status setAllowZeroLength(const std::string& table, const std::string& field,
                                    bool allow) = 0;
  virtual Status createIndex(std::string_view name, const std::string& table,
                             const std::vector<std::string>& fields) = 0;

  // Every row of a stored table, updatable.
  virtual EngineQuery tableQuery(const std::string& storedName) = 0;
  virtual Result<EngineStatement> translate(std::string_view jetSql) = 0;
  // A SELECT of the desktop dialect in the engine's own.
  Result<EngineQuery> selectQuery(std::string_view jetSql);
  // A statement of the desktop dialect that returns no rows.
  Status execute(std::string_view jetSql);
  virtual Status load(const EngineQuery& query, LoadedRows& out) = 0;

  virtual Result<RowKey> insertRow(const std::string& table,
                                   const std::vector<std::string>& columns,
                                   const std::vector<Value>& values) = 0;
  // Adds many rows at once; the values are of the fields' types already.
  virtual Status appendRows(const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<std::vector<Value>>& rows);
  // Writes the row only while it still has `key.version`; on success
  // `key.version` is the row's new version.
  virtual Result<WriteOutcome> updateRow(const std::string& table, RowKey& key,
                                         const std::vector<std::string>& columns,
                                         const std::vector<Value>& values) = 0;
  // A row that someone else removed already counts as removed.
  virtual Result<WriteOutcome> deleteRow(const std::string& table, const RowKey& key) = 0;
  // The row as stored now: `columns` ("" for a column to leave null) and
  // its key; nothing when the row is gone.
  virtual Result<std::optional<LoadedRows::Row>> readRow(const std::string& table,
                                                         const std::vector<std::string>& columns,
                                                         std::int64_t rowid) = 0;

  // Transactions. Each one gets a serial number, so that a record set that
  // wrote inside one can tell later whether its writes were kept.
  Status begin(TransactionMode mode);
  Status commit();
  Status rollback();
  bool inTransaction() const { return inTransaction_; }
  std::uint64_t transactionSerial() const { return inTransaction_ ? serial_ : 0; }
  bool rolledBack(std::uint64_t serial) const { return rolledBack_.count(serial) != 0; }

 protected:
  // Runs a translated statement that returns no rows, not CREATE TABLE.
  virtual Status run(const EngineStatement& statement) = 0;
  virtual Status doBegin(TransactionMode mode) = 0;
  virtual Status doCommit() = 0;
  virtual Status doRollback() = 0;
  // The open transaction ended without its writes (a lost connection).
  void transactionLost();

 private:
  bool inTransaction_ = false;
  std::uint64_t serial_ = 0;
  std::set<std::uint64_t> rolledBack_;
};

}  // namespace sq::db
