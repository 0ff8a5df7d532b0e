// Makes the program's operator new fail on purpose, so that a test can check
// that running out of memory at any allocation of an operation gives that
// operation's error code and never lets an exception out. Linking this file
// replaces the global operator new and delete (on top of malloc and free);
// until a failure is armed they behave as usual. Only the arming thread is
// affected.
//
//   for (uint64_t n = 1;; ++n) {
//     FailingAllocation failure(n);
//     const auto rc = operation();       // the n-th allocation fails
//     if (!failure.happened()) break;    // the operation needs fewer
//     EXPECT_TRUE(rc == success || rc == outOfMemory);
//   }
#pragma once

#include <cstdint>

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

}  // namespace vexamor::testing
