#include "tools/dxsign/file_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/com/activation.h"

namespace vexamor::dxsign {
namespace {

// Prints finished lines in order and keeps the progress line below them.
class Printer {
 public:
  Printer(std::vector<FileOutcome>& outcomes, bool progress)
      : outcomes_(outcomes), done_(outcomes.size(), false), progress_(progress) {}

  void finished(size_t index, FileOutcome outcome) {
    std::lock_guard lock(mutex_);
    outcomes_[index] = std::move(outcome);
    done_[index] = true;
    ++count_;
    if (progress_) std::fputs("\r\033[K", stderr);
    for (; printed_ < done_.size() && done_[printed_]; ++printed_) {
      std::fputs((outcomes_[printed_].line + "\n").c_str(), stdout);
    }
    std::fflush(stdout);
    if (progress_ && count_ < done_.size()) {
      std::fprintf(stderr, "%zu of %zu files done", count_, done_.size());
      std::fflush(stderr);
    }
  }

 private:
  std::mutex mutex_;
  std::vector<FileOutcome>& outcomes_;
  std::vector<bool> done_;
  size_t printed_ = 0;
  size_t count_ = 0;
  bool progress_;
};

}  // namespace

std::vector<FileOutcome> runFileJobs(const std::vector<std::string>& files,
                                     const FileJobMaker& makeJob) {
  std::vector<FileOutcome> outcomes(files.size());
  if (files.empty()) return outcomes;
  Printer printer(outcomes, files.size() > 1 && ::isatty(STDERR_FILENO) == 1);
  std::atomic<size_t> next{0};
  auto work = [&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      FileJob job = makeJob();
      for (size_t i; (i = next.fetch_add(1)) < files.size();) printer.finished(i, job(files[i]));
    }
    CoUninitialize();
  };
  const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, files.size());
  std::vector<std::thread> threads;
  for (size_t i = 1; i < workers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  return outcomes;
}

}  // namespace vexamor::dxsign
