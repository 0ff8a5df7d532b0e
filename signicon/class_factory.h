// The class object of VexaSignIconOverlay, the one class that the module serves.
#pragma once

#include "platform/com/unknown.h"

namespace vexamor::signicon {

HRESULT createClassFactory(REFIID riid, void** ppv);

}  // namespace vexamor::signicon
