#include "signicon/module_state.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>

namespace vexamor::signicon {
namespace {

std::atomic<bool> gEnabled{true};
// Plain storage: written once on load, before any object exists, and read-only after.
char gModulePath[PATH_MAX];

}  // namespace

constinit com::ModuleCount gLiveObjects;

bool overlayEnabled() {
  return gEnabled.load(std::memory_order_relaxed);
}

void setOverlayEnabled(bool enabled) {
  gEnabled.store(enabled, std::memory_order_relaxed);
}

void rememberModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&rememberModulePath), &info) == 0 ||
      info.dli_fname == nullptr) {
    return;
  }
  // The loader reports the name it was given; the shell wants a name that holds from any
  // working folder.
  if (::realpath(info.dli_fname, gModulePath) == nullptr) {
    std::strncpy(gModulePath, info.dli_fname, sizeof gModulePath - 1);
  }
}

const char* modulePath() {
  return gModulePath;
}

}  // namespace vexamor::signicon
