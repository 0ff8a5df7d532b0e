// The kit that a COM server module is built from: the module's count of live objects and
// locks (what DllCanUnloadNow answers from), the reference-counted object base that keeps
// it, the class factory and its LockServer. Header-only: each module instantiates it with a
// count of its own, so two modules in one process never share one.
#pragma once

#include <atomic>
#include <mutex>
#include <new>
#include <utility>

#include "platform/com/unknown.h"

namespace vexamor::com {

// Live objects (class factories included) and LockServer locks of one module.
class ModuleCount {
 public:
  constexpr ModuleCount() = default;
  ModuleCount(const ModuleCount&) = delete;
  ModuleCount& operator=(const ModuleCount&) = delete;

  void addRef() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
  // Release order: whatever an object did before it went is seen by the thread that finds
  // the count at zero and unloads the module.
  void release() noexcept { count_.fetch_sub(1, std::memory_order_acq_rel); }
  bool canUnload() const noexcept { return count_.load(std::memory_order_acquire) == 0; }
  // DllCanUnloadNow's answer.
  HRESULT canUnloadNow() const noexcept { return canUnload() ? S_OK : S_FALSE; }

 private:
  std::atomic<long> count_{0};
};

// IUnknown for an object with one interface, counted in `Module` from construction to
// deletion. An object starts with one reference, which its creator hands on (through
// QueryInterface) and then drops. `Outer` is the class this base is first derived into; it
// deletes the object when the last reference goes, through its `static void destroy(Outer*)`,
// so a final class may keep its destructor private and befriend only its module's base.
template <class Outer, class Interface, ModuleCount& Module>
class ObjectBase : public Interface {
 public:
  ObjectBase() noexcept { Module.addRef(); }
  ObjectBase(const ObjectBase&) = delete;
  ObjectBase& operator=(const ObjectBase&) = delete;

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
    if (left == 0) Outer::destroy(static_cast<Outer*>(this));
    return left;
  }

 protected:
  ~ObjectBase() { Module.release(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// Makes an object, asks it for riid and drops the creation reference, so that a refused
// interface frees the object again. *ppv is null unless the result is S_OK.
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

// Makes a new object of a class and asks it for riid.
using CreateFunction = HRESULT (*)(REFIID riid, void** ppv);

// The LockServer locks of one class. Its factories are interchangeable, so one may unlock
// what another locked, but never more than was locked: an unbalanced unlock cannot take
// away the module count that a live object holds.
class ServerLocks {
 public:
  constexpr ServerLocks() = default;
  ServerLocks(const ServerLocks&) = delete;
  ServerLocks& operator=(const ServerLocks&) = delete;

  HRESULT change(ModuleCount& module, bool lock) {
    std::lock_guard guard(mutex_);
    if (lock) {
      ++count_;
      module.addRef();
    } else if (count_ > 0) {
      --count_;
      module.release();
    }
    return S_OK;
  }

 private:
  std::mutex mutex_;
  long count_ = 0;
};

// The standard class factory: a new object of its class per CreateInstance, no
// aggregation. Without `locks` the module's live objects alone keep it loaded and
// LockServer answers E_NOTIMPL.
template <ModuleCount& Module>
class ClassFactory final : public ObjectBase<ClassFactory<Module>, IClassFactory, Module> {
 public:
  ClassFactory(CreateFunction create, ServerLocks* locks) : create_(create), locks_(locks) {}
  static void destroy(ClassFactory* factory) { delete factory; }

  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
  }
  HRESULT LockServer(BOOL fLock) override {
    return locks_ != nullptr ? locks_->change(Module, fLock != FALSE) : E_NOTIMPL;
  }

 private:
  ~ClassFactory() = default;

  CreateFunction create_;
  ServerLocks* locks_;
};

// Hands out a class factory asked for riid (IUnknown or IClassFactory).
template <ModuleCount& Module>
HRESULT createClassFactory(CreateFunction create, ServerLocks* locks, REFIID riid, void** ppv) {
  return createObject<ClassFactory<Module>>(riid, ppv, create, locks);
}

}  // namespace vexamor::com
