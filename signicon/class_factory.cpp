#include "signicon/class_factory.h"

#include "signicon/com_object.h"
#include "signicon/vexa_sign_icon_overlay.h"

namespace vexamor::signicon {
namespace {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return createVexaSignIconOverlay(riid, ppv);
  }

  // The live-object count alone decides when the module may go.
  HRESULT LockServer(BOOL) override { return E_NOTIMPL; }
};

}  // namespace

HRESULT createClassFactory(REFIID riid, void** ppv) {
  return createObject<ClassFactory>(riid, ppv);
}

}  // namespace vexamor::signicon
