// The frame every class of the module is built on: its class description (the class table
// entry, also used for error reports) and the reference-counted object base.
#pragma once

#include <atomic>
#include <new>

#include "platform/com/unknown.h"
#include "signcore/module/module_state.h"

namespace vexamor::signcore {

// Makes a new object of the class and asks it for riid.
using CreateFunction = HRESULT (*)(REFIID riid, void** ppv);

struct ClassInfo {
  const CLSID& clsid;
  const IID& iid;             // the class's one interface
  const char16_t* progId;     // "DxSignCore.<Class>.1", the source of its error reports
  const char* name;           // "VexaFindSignFile"
  const char* interfaceName;  // "IVexaFindSignFile"
  CreateFunction create;
};

// Implements IUnknown for a class with one interface. Derived must be final; objects start
// with one reference, which the creator hands on or releases.
template <class Derived, class Interface>
class ComObject : public Interface {
 public:
  ComObject() { moduleAddRef(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == InterfaceId<Interface>::value()) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ~ComObject() { moduleRelease(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// Creates an object and queries it for riid; the creation reference is dropped, so a failed
// query frees the object.
template <class T, class... Args>
HRESULT createObject(REFIID riid, void** ppv, Args&&... args) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace vexamor::signcore
