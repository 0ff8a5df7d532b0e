// The module's lock count: live objects (class factories included) and LockServer locks.
// DllCanUnloadNow answers S_OK only while it is zero.
#pragma once

namespace vexamor::signcore {

void moduleAddRef();
void moduleRelease();
bool moduleCanUnload();

}  // namespace vexamor::signcore
