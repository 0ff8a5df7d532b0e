// The standard class factory: one per DllGetClassObject request, making a new object of its
// class per CreateInstance.
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

// Hands out a factory for `cls` asked for riid (IUnknown or IClassFactory).
HRESULT createClassFactory(const ClassInfo& cls, REFIID riid, void** ppv);

}  // namespace vexamor::signcore
