// Win32 error codes the container engine hands back, and a small value-or-code
// result type. The engine never throws across its interface; callers turn the
// codes into HRESULTs.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace vexamor::container {

using Win32Code = uint32_t;

inline constexpr Win32Code kErrorSuccess = 0;
inline constexpr Win32Code kErrorFileNotFound = 2;
inline constexpr Win32Code kErrorAccessDenied = 5;
inline constexpr Win32Code kErrorInvalidHandle = 6;
inline constexpr Win32Code kErrorNotEnoughMemory = 8;
inline constexpr Win32Code kErrorGenFailure = 31;
inline constexpr Win32Code kErrorHandleEof = 38;
inline constexpr Win32Code kErrorNotSupported = 50;
inline constexpr Win32Code kErrorFileExists = 80;
inline constexpr Win32Code kErrorInvalidParameter = 87;
inline constexpr Win32Code kErrorDiskFull = 112;
inline constexpr Win32Code kErrorAlreadyExists = 183;
inline constexpr Win32Code kErrorNotFound = 1168;
inline constexpr Win32Code kErrorFileCorrupt = 1392;

// Carries a failure code into an Expected<T>: `return Failure{kErrorFileCorrupt};`.
struct Failure {
  Win32Code code;
};

// Either a value or a non-zero Win32 code.
template <class T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}
  Expected(Failure failure)
      : code_(failure.code == kErrorSuccess ? kErrorGenFailure : failure.code) {}

  bool ok() const { return value_.has_value(); }
  Win32Code error() const { return code_; }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T& operator*() { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Win32Code code_ = kErrorSuccess;
};

}  // namespace vexamor::container
