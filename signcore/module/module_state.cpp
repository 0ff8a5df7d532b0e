#include "signcore/module/module_state.h"

namespace vexamor::signcore {

constinit com::ModuleCount gModuleCount;

}  // namespace vexamor::signcore
