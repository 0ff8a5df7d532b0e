#include "signcore/module/class_factory.h"

#include <mutex>

namespace vexamor::signcore {
namespace {

// LockServer locks by class (see com::ServerLocks). Plain arrays, so that nothing needs
// destroying when the module unloads or the process ends.
constexpr size_t kMaxLockedClasses = 16;  // more than the module has classes
struct ClassLocks {
  const ClassInfo* cls = nullptr;
  com::ServerLocks locks;
};
std::mutex gLocksMutex;
ClassLocks gLocks[kMaxLockedClasses];

com::ServerLocks* locksOf(const ClassInfo& cls) {
  std::lock_guard guard(gLocksMutex);
  for (ClassLocks& entry : gLocks) {
    if (entry.cls == &cls || entry.cls == nullptr) {
      entry.cls = &cls;
      return &entry.locks;
    }
  }
  return nullptr;
}

}  // namespace

HRESULT createClassFactory(const ClassInfo& cls, REFIID riid, void** ppv) {
  com::ServerLocks* locks = locksOf(cls);
  if (locks == nullptr) return E_OUTOFMEMORY;
  return com::createClassFactory<gModuleCount>(cls.create, locks, riid, ppv);
}

}  // namespace vexamor::signcore
