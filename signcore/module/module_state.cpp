#include "signcore/module/module_state.h"

#include <atomic>

namespace vexamor::signcore {
namespace {
std::atomic<long> gLocks{0};
}

void moduleAddRef() {
  gLocks.fetch_add(1);
}
void moduleRelease() {
  gLocks.fetch_sub(1);
}
bool moduleCanUnload() {
  return gLocks.load() == 0;
}

}  // namespace vexamor::signcore
