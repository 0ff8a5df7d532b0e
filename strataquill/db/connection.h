#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include "strataquill/db/status.h"
#include "strataquill/db/value.h"

namespace sq::db {

// An open SQLite file. Shared by a Database and the record sets opened from
// it, so a record set stays usable for as long as it lives.
class Connection {
 public:
  Connection(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }

  // Runs statements that return no rows (SQLite dialect).
  Status exec(const std::string& sql);
  // The engine's last error as a Status of the given code.
  Status lastError(ErrorCode code) const;

 private:
  sqlite3* db_;
  std::string path_;
};

// Owns a prepared statement.
class Statement {
 public:
  Statement() = default;
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  Statement& operator=(Statement&& other) noexcept {
    std::swap(stmt_, other.stmt_);
    return *this;
  }

  static Result<Statement> prepare(const Connection& conn, const std::string& sql);

  sqlite3_stmt* get() const { return stmt_; }
  void bind(int index, const Value& value);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return sqlite3_step(stmt_); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Maps an SQLite error message to the code callers test for.
ErrorCode classifySqliteError(std::string_view message);

}  // namespace sq::db
