// Hooks in the file layer for race tests: they run an action between the steps of a
// replacement (after the file was opened and read, while the new one is written, before the
// rename), as another user's program would. Installed for their lifetime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/fileio/replace_file.h"

namespace vexamor::fileio::testing {

// Runs the action once, at the first write of the new file.
class AtFirstWrite final : public ChangeObserver {
 public:
  explicit AtFirstWrite(std::function<void()> action) : action_(std::move(action)) {
    setChangeObserver(this);
  }
  ~AtFirstWrite() override { setChangeObserver(nullptr); }
  bool beforeWrite(int, std::uint64_t, const void*, std::size_t) override {
    if (action_) std::exchange(action_, nullptr)();
    return true;
  }
  bool beforeRename(const std::string&, const std::string&) override { return true; }
  bool beforeFlush() override { return true; }

 private:
  std::function<void()> action_;
};

// Runs the action at every step that the file layer reports: each write, flush and rename.
class AtEveryStep final : public ChangeObserver {
 public:
  explicit AtEveryStep(std::function<void()> action) : action_(std::move(action)) {
    setChangeObserver(this);
  }
  ~AtEveryStep() override { setChangeObserver(nullptr); }
  bool beforeWrite(int, std::uint64_t, const void*, std::size_t) override { return step(); }
  bool beforeRename(const std::string&, const std::string&) override { return step(); }
  bool beforeFlush() override { return step(); }
  int steps = 0;

 private:
  bool step() {
    ++steps;
    action_();
    return true;
  }
  std::function<void()> action_;
};

}  // namespace vexamor::fileio::testing
