#include "platform/com/task_mem.h"

#include <cstdlib>

extern "C" void* CoTaskMemAlloc(size_t cb) {
  return std::malloc(cb == 0 ? 1 : cb);
}

extern "C" void* CoTaskMemRealloc(void* pv, size_t cb) {
  return std::realloc(pv, cb == 0 ? 1 : cb);
}

extern "C" void CoTaskMemFree(void* pv) {
  std::free(pv);
}
