// One look at the hive files per task instead of one per registry call.
//
// A task such as the overlay's answer for one file, or the creation of one object, makes a
// dozen registry calls, and each would otherwise look at every hive file it reads (one stat
// each, costly on a network share) to see whether another process changed it. While a
// CallChain lives on a thread, the first read of a hive file in the chain looks at it and
// later reads in the chain use what that look found. A change that another process makes
// meanwhile is therefore seen by the next chain (the next file), never half-way through one.
// This process's own writes are seen at once, chain or not. Chains nest: only the outermost
// one counts, so a caller may open one around calls that open their own.
#pragma once

namespace vexamor::registry {

class CallChain {
 public:
  CallChain();
  CallChain(const CallChain&) = delete;
  CallChain& operator=(const CallChain&) = delete;
  ~CallChain();
};

}  // namespace vexamor::registry
