#pragma once

#include <type_traits>
#include <utility>

namespace sq {

// Runs the steps of a routine that goes on when a step fails: each step's
// failure is swallowed and the next step runs. A step returns nothing, a
// bool, or something with ok(); failures are counted so callers and tests
// can tell whether everything went through.
class ResumeNext {
 public:
  template <class Step>
  ResumeNext& operator()(Step&& step) {
    using R = std::invoke_result_t<Step>;
    if constexpr (std::is_void_v<R>) {
      std::forward<Step>(step)();
    } else if constexpr (std::is_same_v<R, bool>) {
      if (!std::forward<Step>(step)()) ++failures_;
    } else {
      if (!std::forward<Step>(step)().ok()) ++failures_;
    }
    return *this;
  }

  int failures() const { return failures_; }
  bool allSucceeded() const { return failures_ == 0; }

 private:
  int failures_ = 0;
};

}  // namespace sq
