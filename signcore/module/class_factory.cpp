#include "signcore/module/class_factory.h"

namespace vexamor::signcore {
namespace {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ClassInfo& cls) : class_(cls) {}

  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return class_.create(riid, ppv);
  }

  HRESULT LockServer(BOOL fLock) override {
    if (fLock) {
      moduleAddRef();
    } else {
      moduleRelease();
    }
    return S_OK;
  }

 private:
  const ClassInfo& class_;
};

}  // namespace

HRESULT createClassFactory(const ClassInfo& cls, REFIID riid, void** ppv) {
  return createObject<ClassFactory>(riid, ppv, cls);
}

}  // namespace vexamor::signcore
