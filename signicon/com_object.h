// The reference-counted base of the module's two classes: IUnknown for one interface, and
// the live-object count that DllCanUnloadNow reads.
#pragma once

#include <atomic>
#include <new>

#include "platform/com/unknown.h"
#include "signicon/module_state.h"

namespace vexamor::signicon {

// Derived must be final. An object starts with one reference, which its creator hands on
// (through QueryInterface) and then drops.
template <class Derived, class Interface>
class ComObject : public Interface {
 public:
  ComObject() { objectCreated(); }
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
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ~ComObject() { objectDeleted(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// Makes an object, asks it for riid and drops the creation reference, so that a refused
// interface frees the object again. *ppv is null unless the result is S_OK.
template <class T>
HRESULT createObject(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  T* object = new (std::nothrow) T();
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace vexamor::signicon
