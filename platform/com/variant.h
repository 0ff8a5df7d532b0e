// VARIANT: the tagged value that some interface methods take as a reserved argument. Only the
// members that this system can meet are declared; the layout (type tag, three reserved words,
// an 8-byte union) is the platform's.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_UI1 = 17;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    void* byref;
  };
};

extern "C" {
void VariantInit(VARIANT* pvarg);
// Frees a BSTR or releases an interface held by the variant, then empties it.
HRESULT VariantClear(VARIANT* pvarg);
}
