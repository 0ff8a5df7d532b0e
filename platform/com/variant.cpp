#include "platform/com/variant.h"

extern "C" void VariantInit(VARIANT* pvarg) {
  if (pvarg == nullptr) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
  pvarg->llVal = 0;
}

extern "C" HRESULT VariantClear(VARIANT* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  if (pvarg->vt == VT_BSTR) {
    SysFreeString(pvarg->bstrVal);
  } else if (pvarg->vt == VT_UNKNOWN && pvarg->punkVal != nullptr) {
    pvarg->punkVal->Release();
  }
  VariantInit(pvarg);
  return S_OK;
}
