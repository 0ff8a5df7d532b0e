// BSTR: a UTF-16 string preceded by a 4-byte byte count and followed by a zero character.
// The pointer points at the first character, so a BSTR reads as a zero-terminated string,
// yet may hold zero characters inside. A null BSTR means the empty string.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/com/win32_types.h"

using BSTR = OLECHAR*;

extern "C" {
// Copies a zero-terminated string; null in gives null out.
BSTR SysAllocString(const OLECHAR* psz);
// Copies ui characters (or leaves them zero when strIn is null) and adds the terminator.
// Null when out of memory or when the length does not fit the 32-bit byte count.
BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
// Copies len bytes (zero-filled when psz is null); the byte count may be odd.
BSTR SysAllocStringByteLen(const char* psz, UINT len);
// Replaces *pbstr with a copy of psz; FALSE (and *pbstr untouched) when out of memory.
INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR bstr);
UINT SysStringByteLen(BSTR bstr);
}

namespace vexamor::com {

// Owns one BSTR and frees it; what the receiver of an out-string wraps it in.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  explicit Bstr(std::string_view utf8);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept;
  ~Bstr() { SysFreeString(value_); }

  // Takes ownership of an existing BSTR.
  static Bstr attach(BSTR value);

  BSTR get() const { return value_; }
  // Frees the current value and hands out the slot for an out-parameter.
  BSTR* out();
  BSTR detach() { return std::exchange(value_, nullptr); }
  UINT length() const { return SysStringLen(value_); }
  std::u16string_view view() const { return {value_ ? value_ : u"", length()}; }
  std::string utf8() const;

 private:
  BSTR value_ = nullptr;
};

}  // namespace vexamor::com
