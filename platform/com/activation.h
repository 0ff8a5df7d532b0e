// Creating objects of in-process servers: the class's CLSID leads through
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 to the module file, which is loaded once per
// process and asked for the class object through its DllGetClassObject export.
#pragma once

#include "platform/com/unknown.h"

using CLSCTX = DWORD;
constexpr CLSCTX CLSCTX_INPROC_SERVER = 0x1;
constexpr CLSCTX CLSCTX_INPROC_HANDLER = 0x2;
constexpr CLSCTX CLSCTX_LOCAL_SERVER = 0x4;
constexpr CLSCTX CLSCTX_ALL = 0x17;

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_MULTITHREADED = 0x0;

// The exports that every in-process server provides.
using PfnDllGetClassObject = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using PfnDllCanUnloadNow = HRESULT (*)();

extern "C" {
// There are no apartments here: these count the calls per thread so that paired clients run
// unchanged, and the last CoUninitialize of a thread drops its error object.
HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
HRESULT CoInitialize(void* pvReserved);
void CoUninitialize();

// Only in-process servers can be activated: a context without CLSCTX_INPROC_SERVER gives
// REGDB_E_CLASSNOTREG. Missing registration: REGDB_E_CLASSNOTREG; a module that cannot be
// loaded: HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND); one without the export: CO_E_ERRORINDLL.
HRESULT CoGetClassObject(REFCLSID rclsid, CLSCTX dwClsContext, void* pvReserved, REFIID riid,
                         void** ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, CLSCTX dwClsContext, REFIID riid,
                         void** ppv);
// Unloads every loaded module whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();

// HKEY_CLASSES_ROOT\<ProgID>\CLSID; CO_E_CLASSSTRING when missing or malformed.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
// HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID into a CoTaskMemAlloc string; REGDB_E_CLASSNOTREG
// when missing.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);
}

namespace vexamor::com {

// Typed helper: CoCreateInstance asking for the interface of the target pointer.
template <class T, class Ptr>
HRESULT createInstance(REFCLSID clsid, Ptr* target) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, InterfaceId<T>::value(),
                          target->outVoid());
}

}  // namespace vexamor::com
