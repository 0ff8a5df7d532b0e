// Makes the program's operator new fail on purpose, so that a test can check
// that running out of memory at any allocation of an operation gives that
// operation's error code and never lets an exception out. Linking this file
// replaces the global operator new and delete (on top of malloc and free);
// until a failure is armed they behave as usual. Only the arming thread is
// affected.
#pragma once

#include <cstdint>
#include <utility>

namespace vexamor::testing {

class FailingAllocation {
 public:
  // Fails the n-th allocation (1, 2, ...) this thread makes from now on.
  explicit FailingAllocation(uint64_t n);
  FailingAllocation(const FailingAllocation&) = delete;
  FailingAllocation& operator=(const FailingAllocation&) = delete;
  ~FailingAllocation();

  bool happened() const;
};

// Runs `operation` with its 1st, 2nd, ... allocation failing until a run needs no more
// allocations than that, and hands each result to `check` with the number of the failed
// allocation, or 0 for that last, undisturbed run. Returns how many runs failed one.
template <class Operation, class Check>
uint64_t failEachAllocation(Operation&& operation, Check&& check) {
  for (uint64_t n = 1;; ++n) {
    bool happened;
    auto result = [&] {
      FailingAllocation failure(n);
      auto r = operation();
      happened = failure.happened();
      return r;
    }();
    check(std::move(result), happened ? n : 0);
    if (!happened) return n - 1;
  }
}

}  // namespace vexamor::testing
