#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"
#include "strataquill/db/recordset.h"
#include "strataquill/db/status.h"

namespace sq::db {

class Connection;

// A project, layout or classification file: tables of typed fields, record
// sets opened by table name or by a query of the desktop SQL dialect, and the
// per-field switch that lets Text and Memo fields hold empty strings.
//
// Underneath is an SQLite file. Field types and sizes live in the columns'
// declared types; the zero-length switch lives in a hidden bookkeeping
// table, which table enumeration leaves out.
class Database {
 public:
  // Opens an existing file. Fails with kFileNotFound when it does not exist
  // and with kNotADatabase when it is not a database (or is damaged).
  static Result<Database> open(const std::string& path);
  // Makes a new, empty database file; fails when the file exists.
  static Result<Database> create(const std::string& path);

  Database(Database&&) noexcept;
  Database& operator=(Database&&) noexcept;
  ~Database();

  void close();
  bool isOpen() const { return conn_ != nullptr; }
  const std::string& path() const { return path_; }

  // User tables in creation order.
  std::vector<std::string> tableNames() const;
  // The table whose name equals `name` exactly (case included).
  Result<TableDef> tableDef(std::string_view name) const;

  Status createTable(const TableDef& def);
  Status appendField(std::string_view table, const FieldDef& field);
  // Only Text and Memo fields have the switch.
  Status setAllowZeroLength(std::string_view table, std::string_view field, bool allow);

  // Adds the index `name` over `fields` of `table` unless an index of that
  // name exists. Indexes change no data; they only make lookups quick.
  Status createIndex(std::string_view name, std::string_view table,
                     const std::vector<std::string>& fields);

  // `source` is a table name or a SELECT statement of the desktop dialect.
  Result<Recordset> openRecordset(std::string_view source) const;

  // Groups writes: nothing between begin and commit reaches the file unless
  // the commit succeeds; rollback drops them. Transactions do not nest.
  Status beginTransaction();
  Status commitTransaction();
  Status rollback();

  // Runs a statement of the desktop dialect that returns no rows (CREATE
  // TABLE, INSERT, UPDATE, DELETE).
  Status execute(std::string_view jetSql);

 private:
  Database(std::shared_ptr<Connection> conn, std::string path);
  Status ensurePropertyTable();

  std::shared_ptr<Connection> conn_;
  std::string path_;
};

}  // namespace sq::db
