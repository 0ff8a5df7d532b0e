// A file layer for crash tests: it lets a given number of changes reach the
// file and then "crashes", so a test can stop an operation after its k-th
// write for every k and check what the file holds afterwards (old or new
// content, never anything else).
//
// One FaultPlan is shared by every file a test opens through it. Changes
// (writes and truncations) are counted across those files; once the plan's
// allowance is spent, the next change or flush fails and the crash has
// happened: from then on every change and every flush fails with 29 (write
// fault), as if the process had died right after the last allowed change.
// What the crash keeps of the changes since the last completed flush is the
// plan's choice (CrashKeeps).
//
// File layers other than the container's (whole-file replacement, say) use
// a FaultPlan directly: admitChange() before each change, admitFlush()
// before each flush, and record() for each change made, so that a crash can
// take it back.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "container_file.h"

namespace vexamor::container::testing {

inline constexpr Win32Code kErrorWriteFault = 29;

enum class CrashKeeps {
  // Every change made before the crash is in the file.
  kEverything,
  // Of the changes since the last completed flush only the last one is in
  // the file: a disk that reorders writes the worst way.
  kOnlyTheLastUnflushedChange,
};

class FaultPlan {
 public:
  static constexpr uint64_t kNoCrash = std::numeric_limits<uint64_t>::max();

  // Lets `changesBeforeCrash` changes through, then crashes.
  explicit FaultPlan(uint64_t changesBeforeCrash = kNoCrash,
                     CrashKeeps keeps = CrashKeeps::kEverything);
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  // Counts a change about to be made and returns its number (1, 2, ...), or
  // 0 when the crash has happened (now or before): the change is not made.
  // The change or flush that finds the allowance spent carries out the crash on the
  // recorded changes: with kEverything they all stay; with
  // kOnlyTheLastUnflushedChange every unflushed one is undone, newest first,
  // and the last admitted one is made again.
  uint64_t admitChange();
  // False when the crash has happened (now or before); else the flush
  // completes and every file's changes so far are durable.
  bool admitFlush();

  bool crashed() const;
  uint64_t changes() const;  // changes admitted so far
  CrashKeeps keeps() const { return keeps_; }

  // An undo step for a change that a crash may take back, and a redo step
  // that makes it again. A file layer records each change it makes.
  struct Change {
    uint64_t number = 0;
    std::function<void()> undo;
    std::function<void()> redo;
  };
  void record(Change change);

 private:
  void crash();

  mutable std::mutex mutex_;
  const uint64_t allowance_;
  const CrashKeeps keeps_;
  uint64_t admitted_ = 0;
  bool crashed_ = false;
  std::vector<Change> unflushed_;
};

// A ContainerFile over a real file that obeys `plan`.
class FaultInjectingFile final : public ContainerFile {
 public:
  FaultInjectingFile(std::unique_ptr<ContainerFile> file, std::shared_ptr<FaultPlan> plan);

  Expected<uint64_t> size() const override;
  Win32Code readAt(uint64_t position, std::span<uint8_t> out) const override;
  Win32Code writeAt(uint64_t position, std::span<const uint8_t> bytes) override;
  Win32Code truncate(uint64_t length) override;
  Win32Code sync() override;

 private:
  // What the file holds from `position` on, at most `length` bytes.
  std::vector<uint8_t> current(uint64_t position, uint64_t length) const;

  std::shared_ptr<ContainerFile> file_;  // shared with the plan's undo steps
  std::shared_ptr<FaultPlan> plan_;
};

// Opens real files (as PosixFile does) wrapped in a FaultInjectingFile.
FileOpener faultInjectingOpener(std::shared_ptr<FaultPlan> plan);

}  // namespace vexamor::container::testing
