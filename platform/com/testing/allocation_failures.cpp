#include "platform/com/testing/allocation_failures.h"

#include <cstdlib>
#include <new>

namespace {

thread_local uint64_t tUntilFailure = 0;  // 0: nothing armed
thread_local bool tHappened = false;

void* allocate(std::size_t size) {
  if (tUntilFailure != 0 && --tUntilFailure == 0) {
    tHappened = true;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

namespace vexamor::testing {

FailingAllocation::FailingAllocation(uint64_t n) {
  tHappened = false;
  tUntilFailure = n;
}

FailingAllocation::~FailingAllocation() {
  tUntilFailure = 0;
}

bool FailingAllocation::happened() const {
  return tHappened;
}

}  // namespace vexamor::testing

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
