#include "platform/com/bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/com/utf.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

uint32_t* prefixOf(BSTR bstr) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(bstr) - kPrefix);
}

// Allocates prefix, byteLength bytes and a two-byte terminator; bytes are left zero.
BSTR allocateBytes(size_t byteLength) {
  if (byteLength > UINT32_MAX - kPrefix - sizeof(OLECHAR)) return nullptr;
  auto* block = static_cast<char*>(std::calloc(1, kPrefix + byteLength + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const auto count = static_cast<uint32_t>(byteLength);
  std::memcpy(block, &count, kPrefix);
  return reinterpret_cast<BSTR>(block + kPrefix);
}

}  // namespace

extern "C" BSTR SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  const size_t n = vexamor::text::length(psz);
  if (n > UINT32_MAX / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(n));
}

extern "C" BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  BSTR out = allocateBytes(static_cast<size_t>(ui) * sizeof(OLECHAR));
  if (out != nullptr && strIn != nullptr) std::memcpy(out, strIn, ui * sizeof(OLECHAR));
  return out;
}

extern "C" BSTR SysAllocStringByteLen(const char* psz, UINT len) {
  BSTR out = allocateBytes(len);
  if (out != nullptr && psz != nullptr) std::memcpy(out, psz, len);
  return out;
}

extern "C" INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (pbstr == nullptr) return FALSE;
  BSTR copy = SysAllocString(psz);
  if (copy == nullptr && psz != nullptr) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = copy;
  return TRUE;
}

extern "C" void SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(prefixOf(bstrString));
}

extern "C" UINT SysStringByteLen(BSTR bstr) {
  return bstr == nullptr ? 0 : *prefixOf(bstr);
}

extern "C" UINT SysStringLen(BSTR bstr) {
  return static_cast<UINT>(SysStringByteLen(bstr) / sizeof(OLECHAR));
}

namespace vexamor::com {

Bstr::Bstr(std::u16string_view text)
    : value_(text.size() > UINT32_MAX / sizeof(OLECHAR)
                 ? nullptr
                 : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr::Bstr(std::string_view utf8) : Bstr(std::u16string_view(text::utf8ToUtf16(utf8))) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(value_);
    value_ = std::exchange(other.value_, nullptr);
  }
  return *this;
}

Bstr Bstr::attach(BSTR value) {
  Bstr b;
  b.value_ = value;
  return b;
}

BSTR* Bstr::out() {
  SysFreeString(std::exchange(value_, nullptr));
  return &value_;
}

std::string Bstr::utf8() const {
  return text::utf16ToUtf8(view());
}

}  // namespace vexamor::com
