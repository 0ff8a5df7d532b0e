#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/engine.h"
#include "strataquill/db/field_def.h"
#include "strataquill/db/recordset.h"
#include "strataquill/db/status.h"

namespace sq::db {

class Engine;
class PgEngine;

// Rows of a watched table changed on the server (see watchTable).
struct TableChange {
  std::string table;
  std::string key;           // the watched field's value in the rows that changed
  bool keysChanged = false;  // a row with this key was added or removed, or the key renamed
  friend bool operator==(const TableChange&, const TableChange&) = default;
};

// A project, layout or classification file: tables of typed fields, record
// sets opened by table name or by a query of the desktop SQL dialect, and the
// per-field switch that lets Text and Memo fields hold empty strings.
//
// Underneath is an SQLite file, or for a project shared by many users, a
// schema of its own on a PostgreSQL server (see server_address.h). Callers
// see the same tables, fields and record sets either way. On a server each
// row carries a version, and a record set refuses to overwrite a row that
// someone else changed after it was read (see Recordset::conflicts).
class Database {
 public:
  // Opens an existing file, or the project at a server address. Fails with
  // kFileNotFound when it does not exist, with kNotADatabase when it is not
  // a database (or is damaged), with kConnectionFailed when the server
  // cannot be reached.
  static Result<Database> open(const std::string& path);
  // Makes a new, empty database file, or an empty project on a server;
  // fails when it exists.
  static Result<Database> create(const std::string& path);
  // A connection to the server of `address` for making its project in a
  // transaction of the caller's (createProject); the project need not exist.
  static Result<Database> connect(const std::string& address);
  // The projects that the server of `address` holds and this user may
  // read, in name order; the address's own project does not matter.
  static Result<std::vector<std::string>> listServerProjects(const std::string& address);

  Database(Database&&) noexcept;
  Database& operator=(Database&&) noexcept;
  ~Database();

  void close();
  bool isOpen() const { return engine_ != nullptr; }
  // The file's path, or the server address without any password in it.
  const std::string& path() const { return path_; }
  bool isServer() const;
  // True when the server lets this user read the project but not change
  // it; a file is never read-only here.
  bool readOnly() const { return readOnly_; }

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

  // Adds `rows` to `table` at once, each holding the values of `fields` in
  // order, already of the fields' types (as read from another database).
  Status appendRows(std::string_view table, const std::vector<std::string>& fields,
                    const std::vector<std::vector<Value>>& rows);

  // `source` is a table name or a SELECT statement of the desktop dialect.
  Result<Recordset> openRecordset(std::string_view source) const;

  // Groups writes: nothing between begin and commit reaches the file unless
  // the commit succeeds; rollback drops them. Transactions do not nest.
  //
  // A record set that wrote inside a transaction that ends without its
  // writes (rolled back, a failed commit, a lost connection) shows its rows
  // as they were before the transaction again.
  Status beginTransaction(TransactionMode mode = TransactionMode::kWrite);
  Status commitTransaction();
  Status rollback();

  // Runs a statement of the desktop dialect that returns no rows (CREATE
  // TABLE, INSERT, UPDATE, DELETE).
  Status execute(std::string_view jetSql);

  // --- Server projects (each fails with kGeneric on a file) ---

  // Makes the project of this connection: its schema and bookkeeping, in
  // the open transaction if there is one. An existing project is refused
  // with kTableExists, or with `replace` dropped first with all its rows.
  Status createProject(bool replace);
  // Makes the connection again after it was lost, with the same settings.
  Status reconnect();
  // Has the server report every change to rows of `table` to the users who
  // listen, with the value of `keyField` of the rows that changed.
  Status watchTable(std::string_view table, std::string_view keyField);
  // Starts receiving the changes that other users make to watched tables.
  Status listenForChanges();
  // The socket that becomes readable when changes arrive; -1 for a file.
  int changeSocket() const;
  // The changes of other users that arrived so far, in order, each once;
  // never blocks.
  std::vector<TableChange> takeChanges();
  // As takeChanges(), waiting up to `timeout` for the first one.
  std::vector<TableChange> waitForChanges(std::chrono::milliseconds timeout);
  // Whether the connection to the server was lost (reconnect() may bring
  // it back); never for a file.
  bool connectionLost() const;

  // --- Names in use (a boring that a window shows), for server projects;
  // on a file (one program at a time) they do nothing ---

  // Marks `name` as in use by this connection until another name (or "")
  // is marked or the connection ends.
  Status markInUse(std::string_view name);
  // The users (server roles) of the other connections that have `name`
  // marked, each once, in order.
  Result<std::vector<std::string>> usersOf(std::string_view name) const;
  // Within the open transaction, takes `name` for this connection alone
  // until the transaction ends, so that no other connection can mark it
  // meanwhile. When another has it marked, nothing is taken and their users
  // are returned (never an empty list then).
  Result<std::vector<std::string>> claim(std::string_view name);

 private:
  Database(std::shared_ptr<Engine> engine, std::string path);
  PgEngine* server() const;

  std::shared_ptr<Engine> engine_;
  std::string path_;
  bool readOnly_ = false;
};

}  // namespace sq::db
