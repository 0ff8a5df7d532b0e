#include "signicon/class_factory.h"

#include "signicon/com_object.h"
#include "signicon/vexa_sign_icon_overlay.h"

namespace vexamor::signicon {

// The live-object count alone decides when the module may go: no server locks, so
// LockServer answers E_NOTIMPL.
HRESULT createClassFactory(REFIID riid, void** ppv) {
  return com::createClassFactory<gLiveObjects>(createVexaSignIconOverlay, nullptr, riid, ppv);
}

}  // namespace vexamor::signicon
