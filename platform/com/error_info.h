// Error objects: the description, source and interface of the last failure, kept per
// thread. A server fills one with CreateErrorInfo and SetErrorInfo before it returns a
// failure; the client takes it with GetErrorInfo.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

struct IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* pGUID) = 0;
  virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
  virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
  virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
  virtual HRESULT SetGUID(REFGUID rguid) = 0;
  virtual HRESULT SetSource(LPOLESTR szSource) = 0;
  virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
  virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
  virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};

VEXA_DECLARE_IID(IErrorInfo, IID_IErrorInfo);
VEXA_DECLARE_IID(ICreateErrorInfo, IID_ICreateErrorInfo);

extern "C" {
HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Replaces the thread's error object (null clears it). dwReserved must be 0.
HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands the thread's error object to the caller and clears it; S_FALSE and null when none.
HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
}
