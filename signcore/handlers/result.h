// The outcome of a handler step: a value, or an HRESULT with the note whether a system call
// failed (an I/O error) or the bytes themselves were found wrong. The difference matters to
// IsFileSigned, which answers "not signed" for a damaged signature but reports an I/O error.
#pragma once

#include <optional>
#include <utility>

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

struct Fault {
  HRESULT hr;
  bool systemError = false;  // a system call failed, rather than a check of the bytes
};

// A failed system call, given its Win32 code.
inline Fault systemFault(DWORD win32) {
  return {HRESULT_FROM_WIN32(win32), true};
}
// Bytes that do not read as the layout requires.
inline Fault formatFault(HRESULT hr) {
  return {hr, false};
}

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Fault fault) : fault_(fault) {}

  bool ok() const { return value_.has_value(); }
  HRESULT hr() const { return ok() ? S_OK : fault_.hr; }
  const Fault& fault() const { return fault_; }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Fault fault_{S_OK, false};
};

}  // namespace vexamor::signcore
