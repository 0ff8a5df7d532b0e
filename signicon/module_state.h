// What DxSignIcon keeps per process: the enabled flag, the count of its live objects and
// its own file name. Every piece is safe to use from any thread.
#pragma once

#include "platform/com/com_object.h"

namespace vexamor::signicon {

bool overlayEnabled();
void setOverlayEnabled(bool enabled);

// Every factory and handler object counts itself from construction to deletion.
extern com::ModuleCount gLiveObjects;
inline bool noLiveObjects() {
  return gLiveObjects.canUnload();
}

// Taken once when the module is loaded; the full path of the module file, empty when the
// loader could not tell it.
void rememberModulePath();
const char* modulePath();

}  // namespace vexamor::signicon
