#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/db/engine.h"
#include "strataquill/db/pg_sql.h"
#include "strataquill/db/server_address.h"

namespace sq::db {

// The tables of one project in a schema of its own on a PostgreSQL server,
// through libpq. Tables are the same as in a file, plus a hidden identity
// column; a row's version is the server's own row version (xmin), which
// changes with every write to the row by anyone. A bookkeeping table in the
// schema holds each field's type code and zero-length switch, and marks the
// schema as a project.
//
// Writes inside a transaction are one step each: a failing one is undone
// alone and the transaction goes on, as in a file.
class PgEngine final : public Engine {
 public:
  enum class Project {
    kMustExist,     // open a project
    kMayBeMissing,  // about to make it
    kNone,          // only the server (listing projects)
  };
  static Result<std::unique_ptr<PgEngine>> open(const std::string& address, Project project);
  ~PgEngine() override;

  bool isServer() const override { return true; }
  bool readOnly() const { return readOnly_; }
  Status createProject(bool replace);
  Status reconnect();
  Result<std::vector<std::string>> listProjects();
  Status watchTable(const std::string& table, const std::string& keyField);
  Status listen();
  // -1 once the connection is lost.
  int socket() const { return connectionLost() ? -1 : PQsocket(conn_); }
  bool connectionLost() const;
  Status markInUse(const std::string& name);
  Result<std::vector<std::string>> usersOf(const std::string& name);
  Result<std::vector<std::string>> claim(const std::string& name);
  std::vector<TableChange> takeChanges();
  std::vector<TableChange> waitForChanges(std::chrono::milliseconds timeout);

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
  Status appendRows(const std::string& table, const std::vector<std::string>& columns,
                    const std::vector<std::vector<Value>>& rows) override;
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
  struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
  };
  using PgResult = std::unique_ptr<PGresult, ResultDeleter>;
  struct Table {
    PgTable shape;
    unsigned oid = 0;
    std::vector<std::string> columnsByNumber;  // attnum -> name ("" for gaps)
  };

  PgEngine(PGconn* conn, ServerAddress address) : conn_(conn), address_(std::move(address)) {}
  Status setUpSession();
  // Runs one statement with bound values; a refusal becomes a Status whose
  // code tells what happened (kConnectionLost, kNoPermission, ...).
  Result<PgResult> query(const std::string& sql, const std::vector<Value>& params = {},
                       bool writes = false);
  // As run(), as one step of an open transaction.
  Result<PgResult> runStep(const std::string& sql, const std::vector<Value>& params = {});
  // Runs `statements` (with `values`, one list each) as one step: in a
  // transaction of their own, or within the caller's, undone alone on failure.
  Status allOrNothing(const std::vector<std::string>& statements,
                      const std::vector<std::vector<Value>>& values = {});
  Status statusOf(const PGresult* result, bool writes);
  Result<std::vector<Table>> readSchema();
  const std::vector<Table>& tables();  // cached; refreshed after changes of structure
  const Table* cachedTable(const std::string& name);
  bool projectExists();
  Status checkWritable();
  std::string literal(const std::string& text) const;
  std::string nameKey(std::string_view name) const;

  PGconn* conn_;
  ServerAddress address_;
  bool readOnly_ = false;
  std::string channel_;  // the project's notification channel while listening
  std::string inUse_;    // the name this connection has marked in use
  std::optional<std::vector<Table>> cache_;
};

}  // namespace sq::db
