// IUnknown and IClassFactory with the COM binary layout: pure abstract structs whose virtual
// functions form the vtable in declaration order, and no virtual destructor (objects delete
// themselves in Release).
#pragma once

#include "platform/com/guid.h"

// Identifies an interface type at compile time, so that ComPtr can ask for it by type.
template <class Interface>
struct InterfaceId;

#define VEXA_DECLARE_IID(Interface, iidConstant)                \
  template <>                                                   \
  struct InterfaceId<Interface> {                               \
    static constexpr const IID& value() { return iidConstant; } \
  }

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;
};

VEXA_DECLARE_IID(IUnknown, IID_IUnknown);
VEXA_DECLARE_IID(IClassFactory, IID_IClassFactory);

using LPUNKNOWN = IUnknown*;
