// The module's lock count: live objects (class factories included) and LockServer locks.
// DllCanUnloadNow answers S_OK only while it is zero.
#pragma once

#include "platform/com/com_object.h"

namespace vexamor::signcore {

extern com::ModuleCount gModuleCount;

inline void moduleAddRef() {
  gModuleCount.addRef();
}
inline void moduleRelease() {
  gModuleCount.release();
}
inline bool moduleCanUnload() {
  return gModuleCount.canUnload();
}

}  // namespace vexamor::signcore
