#include "signcore/module/class_factory.h"

#include <mutex>

namespace vexamor::signcore {
namespace {

// LockServer locks by class. The factories of a class are interchangeable, so one may unlock
// what another locked, but never more than was locked: an unbalanced unlock cannot take
// away the module lock that a live object holds. Plain arrays, so that nothing needs
// destroying when the module unloads or the process ends.
constexpr size_t kMaxLockedClasses = 16;  // more than the module has classes
struct ClassLocks {
  const ClassInfo* cls;
  long count;
};
std::mutex gLocksMutex;
ClassLocks gLocks[kMaxLockedClasses];

long* locksOf(const ClassInfo& cls) {
  for (ClassLocks& entry : gLocks) {
    if (entry.cls == &cls || entry.cls == nullptr) {
      entry.cls = &cls;
      return &entry.count;
    }
  }
  return nullptr;
}

HRESULT lockServer(const ClassInfo& cls, bool lock) {
  std::lock_guard guard(gLocksMutex);
  long* count = locksOf(cls);
  if (count == nullptr) return E_OUTOFMEMORY;
  if (lock) {
    ++*count;
    moduleAddRef();
  } else if (*count > 0) {
    --*count;
    moduleRelease();
  }
  return S_OK;
}

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ClassInfo& cls) : class_(cls) {}

  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return class_.create(riid, ppv);
  }

  HRESULT LockServer(BOOL fLock) override { return lockServer(class_, fLock != FALSE); }

 private:
  const ClassInfo& class_;
};

}  // namespace

HRESULT createClassFactory(const ClassInfo& cls, REFIID riid, void** ppv) {
  return createObject<ClassFactory>(riid, ppv, cls);
}

}  // namespace vexamor::signcore
