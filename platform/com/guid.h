// GUIDs and their text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <cstddef>

#include "platform/com/win32_types.h"

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr CLSID CLSID_NULL = GUID_NULL;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
constexpr bool operator==(REFGUID a, REFGUID b) {
  return IsEqualGUID(a, b);
}

// Number of characters of a GUID's text form with braces, and with the terminator.
constexpr int kGuidTextLength = 38;
constexpr int CHARS_IN_GUID = kGuidTextLength + 1;

extern "C" {
// Parses the braced text form; any other text is taken as a ProgID and looked up in the
// registry. A null text gives CLSID_NULL. Failure: CO_E_CLASSSTRING and *pclsid zeroed.
HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
// Parses the braced text form only. Failure: E_INVALIDARG and *lpiid zeroed.
HRESULT IIDFromString(LPCOLESTR lpsz, IID* lpiid);
// Writes the braced upper-case text form; returns the characters written including the
// terminator, or 0 when cchMax is smaller than 39.
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
// Like StringFromGUID2 into a new CoTaskMemAlloc buffer.
HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz);
}

namespace vexamor::com {

// The braced text form only (no ProgID lookup); false for anything else.
bool parseGuid(const char16_t* text, size_t length, GUID* out);

}  // namespace vexamor::com
