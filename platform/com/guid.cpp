#include "platform/com/guid.h"

#include <cstring>

#include "platform/com/activation.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"

namespace vexamor::com {
namespace {

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool readHex(const char16_t* s, int digits, uint64_t* out) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = hexValue(s[i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint64_t>(d);
  }
  *out = v;
  return true;
}

}  // namespace

bool parseGuid(const char16_t* s, size_t length, GUID* out) {
  if (s == nullptr || length != kGuidTextLength) return false;
  if (s[0] != u'{' || s[9] != u'-' || s[14] != u'-' || s[19] != u'-' || s[24] != u'-' ||
      s[37] != u'}') {
    return false;
  }
  uint64_t d1, d2, d3, d4a, d4b;
  if (!readHex(s + 1, 8, &d1) || !readHex(s + 10, 4, &d2) || !readHex(s + 15, 4, &d3) ||
      !readHex(s + 20, 4, &d4a) || !readHex(s + 25, 12, &d4b)) {
    return false;
  }
  out->Data1 = static_cast<uint32_t>(d1);
  out->Data2 = static_cast<uint16_t>(d2);
  out->Data3 = static_cast<uint16_t>(d3);
  out->Data4[0] = static_cast<uint8_t>(d4a >> 8);
  out->Data4[1] = static_cast<uint8_t>(d4a);
  for (int i = 0; i < 6; ++i) out->Data4[2 + i] = static_cast<uint8_t>(d4b >> (8 * (5 - i)));
  return true;
}

}  // namespace vexamor::com

extern "C" HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (pclsid == nullptr) return E_INVALIDARG;
  *pclsid = CLSID_NULL;
  if (lpsz == nullptr) return S_OK;
  const size_t n = vexamor::text::length(lpsz);
  if (vexamor::com::parseGuid(lpsz, n, pclsid)) return S_OK;
  if (n > 0 && lpsz[0] != u'{' && SUCCEEDED(CLSIDFromProgID(lpsz, pclsid))) return S_OK;
  *pclsid = CLSID_NULL;
  return CO_E_CLASSSTRING;
}

extern "C" HRESULT IIDFromString(LPCOLESTR lpsz, IID* lpiid) {
  if (lpiid == nullptr) return E_INVALIDARG;
  *lpiid = GUID_NULL;
  if (lpsz == nullptr) return S_OK;
  if (vexamor::com::parseGuid(lpsz, vexamor::text::length(lpsz), lpiid)) return S_OK;
  *lpiid = GUID_NULL;
  return E_INVALIDARG;
}

extern "C" int StringFromGUID2(REFGUID g, LPOLESTR lpsz, int cchMax) {
  if (lpsz == nullptr || cchMax < CHARS_IN_GUID) return 0;
  static const char kDigits[] = "0123456789ABCDEF";
  int pos = 0;
  auto put = [&](uint64_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i) lpsz[pos++] = kDigits[(value >> (4 * i)) & 0xF];
  };
  lpsz[pos++] = u'{';
  put(g.Data1, 8);
  lpsz[pos++] = u'-';
  put(g.Data2, 4);
  lpsz[pos++] = u'-';
  put(g.Data3, 4);
  lpsz[pos++] = u'-';
  put(g.Data4[0], 2);
  put(g.Data4[1], 2);
  lpsz[pos++] = u'-';
  for (int i = 2; i < 8; ++i) put(g.Data4[i], 2);
  lpsz[pos++] = u'}';
  lpsz[pos++] = 0;
  return pos;
}

extern "C" HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
  if (lplpsz == nullptr) return E_INVALIDARG;
  *lplpsz = static_cast<LPOLESTR>(CoTaskMemAlloc(CHARS_IN_GUID * sizeof(OLECHAR)));
  if (*lplpsz == nullptr) return E_OUTOFMEMORY;
  StringFromGUID2(rclsid, *lplpsz, CHARS_IN_GUID);
  return S_OK;
}
