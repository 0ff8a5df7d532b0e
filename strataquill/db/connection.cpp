#include "strataquill/db/connection.h"

namespace sq::db {

Status Connection::exec(const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK) return {};
  std::string message = err ? err : "unknown database error";
  sqlite3_free(err);
  return Status::error(classifySqliteError(message), message);
}

Status Connection::lastError(ErrorCode code) const {
  return Status::error(code, sqlite3_errmsg(db_));
}

Result<Statement> Statement::prepare(const Connection& conn, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(conn.handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt,
                         nullptr) != SQLITE_OK) {
    std::string message = sqlite3_errmsg(conn.handle());
    sqlite3_finalize(stmt);
    return Status::error(classifySqliteError(message), message);
  }
  return Statement(stmt);
}

void Statement::bind(int index, const Value& value) {
  if (value.isNull()) {
    sqlite3_bind_null(stmt_, index);
  } else if (value.isText()) {
    const std::string& text = value.textValue();
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  } else if (value.isInteger()) {
    sqlite3_bind_int64(stmt_, index, value.integerValue());
  } else if (value.isSingle()) {
    sqlite3_bind_double(stmt_, index, static_cast<double>(value.toFloat()));
  } else {
    sqlite3_bind_double(stmt_, index, value.toDouble());
  }
}

ErrorCode classifySqliteError(std::string_view message) {
  if (message.starts_with("no such table")) return ErrorCode::kNoSuchTable;
  if (message.find("already exists") != std::string_view::npos) return ErrorCode::kTableExists;
  if (message.starts_with("duplicate column")) return ErrorCode::kFieldExists;
  if (message.find("syntax error") != std::string_view::npos) return ErrorCode::kSyntax;
  if (message.find("not a database") != std::string_view::npos) return ErrorCode::kNotADatabase;
  if (message.find("readonly") != std::string_view::npos ||
      message.find("read-only") != std::string_view::npos)
    return ErrorCode::kReadOnly;
  return ErrorCode::kGeneric;
}

}  // namespace sq::db
