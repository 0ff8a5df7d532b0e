// Creating objects of in-process servers: the class's CLSID leads through
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 to the module file, which is loaded once per
// process and asked for the class object through its DllGetClassObject export.
#pragma once

#include <chrono>

#include "platform/com/unknown.h"

using CLSCTX = DWORD;
constexpr CLSCTX CLSCTX_INPROC_SERVER = 0x1;
constexpr CLSCTX CLSCTX_INPROC_HANDLER = 0x2;
constexpr CLSCTX CLSCTX_LOCAL_SERVER = 0x4;
constexpr CLSCTX CLSCTX_ALL = 0x17;

constexpr DWORD INFINITE = 0xFFFFFFFF;

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
// Running out of memory gives E_OUTOFMEMORY here and in the calls below; no exception ever
// leaves them.
HRESULT CoGetClassObject(REFCLSID rclsid, CLSCTX dwClsContext, void* pvReserved, REFIID riid,
                         void** ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, CLSCTX dwClsContext, REFIID riid,
                         void** ppv);
// Unloads the loaded modules that have been idle for the unload delay: no call into them
// through this runtime running (DllGetClassObject, the class factory of CoCreateInstance),
// and DllCanUnloadNow answering S_OK throughout, with no activation in between. The delay
// covers a client thread still returning from the Release that freed a module's last object.
// dwUnloadDelay is in milliseconds; INFINITE means the default of ten minutes, 0 unloads at
// once, which only a caller that knows no other thread uses the modules may ask for.
void CoFreeUnusedLibrariesEx(DWORD dwUnloadDelay, DWORD dwReserved);
// CoFreeUnusedLibrariesEx with the default delay: objects here may be used from any thread,
// as in a multithreaded apartment.
void CoFreeUnusedLibraries();

// HKEY_CLASSES_ROOT\<ProgID>\CLSID; CO_E_CLASSSTRING when missing or malformed.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
// HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID into a CoTaskMemAlloc string; REGDB_E_CLASSNOTREG
// when missing.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);
}

namespace vexamor::com {

inline constexpr std::chrono::minutes kDefaultUnloadDelay{10};

// Typed helper: CoCreateInstance asking for the interface of the target pointer.
template <class T, class Ptr>
HRESULT createInstance(REFCLSID clsid, Ptr* target) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, InterfaceId<T>::value(),
                          target->outVoid());
}

}  // namespace vexamor::com
