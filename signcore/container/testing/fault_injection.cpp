#include "fault_injection.h"

#include <algorithm>

#include "posix_file.h"

namespace vexamor::container::testing {

FaultPlan::FaultPlan(uint64_t changesBeforeCrash, CrashKeeps keeps)
    : allowance_(changesBeforeCrash), keeps_(keeps) {}

uint64_t FaultPlan::admitChange() {
  std::lock_guard lock(mutex_);
  if (crashed_) return 0;
  if (admitted_ == allowance_) {
    crash();
    return 0;
  }
  return ++admitted_;
}

void FaultPlan::crash() {
  crashed_ = true;
  if (keeps_ != CrashKeeps::kOnlyTheLastUnflushedChange || unflushed_.empty()) return;
  for (auto it = unflushed_.rbegin(); it != unflushed_.rend(); ++it) it->undo();
  // Only the change admitted last can survive: an earlier one may have been
  // followed by a flush that made it durable already.
  if (unflushed_.back().number == admitted_) unflushed_.back().redo();
  unflushed_.clear();
}

bool FaultPlan::admitFlush() {
  std::lock_guard lock(mutex_);
  if (crashed_) return false;
  // Stopped right after the last allowed change: the flush never happens.
  if (admitted_ == allowance_) {
    crash();
    return false;
  }
  unflushed_.clear();
  return true;
}

bool FaultPlan::crashed() const {
  std::lock_guard lock(mutex_);
  return crashed_;
}

uint64_t FaultPlan::changes() const {
  std::lock_guard lock(mutex_);
  return admitted_;
}

void FaultPlan::record(Change change) {
  std::lock_guard lock(mutex_);
  if (keeps_ == CrashKeeps::kOnlyTheLastUnflushedChange) unflushed_.push_back(std::move(change));
}

FaultInjectingFile::FaultInjectingFile(std::unique_ptr<ContainerFile> file,
                                       std::shared_ptr<FaultPlan> plan)
    : file_(std::move(file)), plan_(std::move(plan)) {}

Expected<uint64_t> FaultInjectingFile::size() const {
  return file_->size();
}

Win32Code FaultInjectingFile::readAt(uint64_t position, std::span<uint8_t> out) const {
  return file_->readAt(position, out);
}

std::vector<uint8_t> FaultInjectingFile::current(uint64_t position, uint64_t length) const {
  const uint64_t size = file_->size().ok() ? *file_->size() : 0;
  if (position >= size) return {};
  std::vector<uint8_t> bytes(std::min(length, size - position));
  if (file_->readAt(position, bytes) != kErrorSuccess) bytes.clear();
  return bytes;
}

Win32Code FaultInjectingFile::writeAt(uint64_t position, std::span<const uint8_t> bytes) {
  const uint64_t number = plan_->admitChange();
  if (number == 0) return kErrorWriteFault;
  const uint64_t oldSize = file_->size().ok() ? *file_->size() : 0;
  std::vector<uint8_t> old = current(position, bytes.size());
  std::vector<uint8_t> fresh(bytes.begin(), bytes.end());
  const Win32Code rc = file_->writeAt(position, bytes);
  std::shared_ptr<ContainerFile> file = file_;
  plan_->record(
      {number,
       [file, position, old = std::move(old), oldSize] {
         (void)file->writeAt(position, old);
         (void)file->truncate(oldSize);
       },
       [file, position, fresh = std::move(fresh)] { (void)file->writeAt(position, fresh); }});
  return rc;
}

Win32Code FaultInjectingFile::truncate(uint64_t length) {
  const uint64_t number = plan_->admitChange();
  if (number == 0) return kErrorWriteFault;
  const uint64_t oldSize = file_->size().ok() ? *file_->size() : 0;
  std::vector<uint8_t> cut = current(length, oldSize > length ? oldSize - length : 0);
  const Win32Code rc = file_->truncate(length);
  std::shared_ptr<ContainerFile> file = file_;
  plan_->record({number,
                 [file, length, cut = std::move(cut), oldSize] {
                   (void)file->truncate(oldSize);
                   (void)file->writeAt(length, cut);
                 },
                 [file, length] { (void)file->truncate(length); }});
  return rc;
}

Win32Code FaultInjectingFile::sync() {
  // Durability is what the plan says; the real file needs no flushing.
  return plan_->admitFlush() ? kErrorSuccess : kErrorWriteFault;
}

FileOpener faultInjectingOpener(std::shared_ptr<FaultPlan> plan) {
  return [plan](const std::string& path, uint32_t access,
                Disposition disposition) -> Expected<std::unique_ptr<ContainerFile>> {
    Expected<std::unique_ptr<ContainerFile>> file = PosixFile::openFile(path, access, disposition);
    if (!file.ok()) return Failure{file.error()};
    return std::unique_ptr<ContainerFile>(
        std::make_unique<FaultInjectingFile>(std::move(*file), plan));
  };
}

}  // namespace vexamor::container::testing
