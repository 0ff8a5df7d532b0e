#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace sq::db {

// Error numbers that callers may test for. They follow the numbering that
// desktop database engines of this kind use, so messages and codes look
// familiar to the people who support the program.
enum class ErrorCode : int {
  kNone = 0,
  kGeneric = 3000,
  kNoCurrentRecord = 3021,
  kFileNotFound = 3024,
  kReadOnly = 3027,
  kNotInEditMode = 3020,
  kTableExists = 3010,
  kFieldExists = 3191,
  kFieldTooSmall = 3163,
  kRecordDeleted = 3167,
  kItemNotFound = 3265,
  kZeroLength = 3315,
  kNotADatabase = 3343,
  kConversion = 3421,
  kSyntax = 3075,
  kNoSuchTable = 3078,
  // Shared projects on a database server.
  kNoPermission = 3033,      // the server lets this user read but not change
  kConnectionLost = 3146,    // the server went away; the open transaction is gone
  kConnectionFailed = 3151,  // the server could not be reached or refused the login
  kWriteConflict = 3197,     // another user changed the row after it was read
  kLocked = 3260,            // another user's open save holds the row too long
};

// The outcome of an operation: ok, or an error with a code and a message
// meant for a person.
class Status {
 public:
  Status() = default;
  static Status error(ErrorCode code, std::string message) {
    assert(code != ErrorCode::kNone);
    Status s;
    s.code_ = code;
    s.message_ = std::move(message);
    return s;
  }

  bool ok() const { return code_ == ErrorCode::kNone; }
  ErrorCode code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  ErrorCode code_ = ErrorCode::kNone;
  std::string message_;
};

// A value or the Status that explains why there is none.
template <class T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Status status) : state_(std::move(status)) { assert(!std::get<Status>(state_).ok()); }

  bool ok() const { return std::holds_alternative<T>(state_); }
  // REQUIRES: ok()
  T& value() & { return std::get<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  Status status() const { return ok() ? Status() : std::get<Status>(state_); }

 private:
  std::variant<T, Status> state_;
};

}  // namespace sq::db
