#include "signcore/handlers/block_pipeline.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/com/task_mem.h"

namespace vexamor::signcore {

BlockPipeline::BlockPipeline(Producer produce, size_t inlineBytes, size_t bytesAhead)
    : produce_(std::move(produce)), bytesAhead_(bytesAhead), inlineLeft_(inlineBytes) {}

BlockPipeline::~BlockPipeline() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    spaceFreed_.notify_one();
    thread_.join();
  }
  for (MadeBlock& block : ready_) CoTaskMemFree(block.data);
}

void BlockPipeline::produceInto(std::vector<MadeBlock>* out) {
  const size_t before = out->size();
  try {
    while (out->size() == before) produce_(out);
  } catch (const std::bad_alloc&) {
    out->push_back({nullptr, 0, E_OUTOFMEMORY, E_OUTOFMEMORY});
  }
}

MadeBlock BlockPipeline::take() {
  if (endTaken_) return end_;
  MadeBlock block;
  if (!thread_.joinable()) {
    if (ready_.empty()) {
      std::vector<MadeBlock> made;
      produceInto(&made);
      for (MadeBlock& b : made) {
        ended_ = ended_ || b.ends();
        readyBytes_ += b.size;
        ready_.push_back(b);
      }
    }
    block = ready_.front();
    ready_.pop_front();
    readyBytes_ -= block.size;
    inlineLeft_ -= std::min(inlineLeft_, block.size);
    // Long data: the rest is made ahead. Nothing else touches the state until the thread
    // starts, and the thread's start orders everything before it.
    if (inlineLeft_ == 0 && !ended_) thread_ = std::thread(&BlockPipeline::run, this);
  } else {
    std::unique_lock lock(mutex_);
    blocksAdded_.wait(lock, [&] { return !ready_.empty() || outOfMemory_; });
    if (ready_.empty()) {
      block = {nullptr, 0, E_OUTOFMEMORY, E_OUTOFMEMORY};
    } else {
      block = ready_.front();
      ready_.pop_front();
      readyBytes_ -= block.size;
    }
    // The thread is woken once half of what it may make ahead is free again, not for every
    // block taken: one wake-up a batch.
    const bool wake = producerWaiting_ && readyBytes_ <= bytesAhead_ / 2;
    lock.unlock();
    if (wake) spaceFreed_.notify_one();
  }
  if (block.ends()) {
    endTaken_ = true;
    end_ = block;
  }
  return block;
}

void BlockPipeline::run() {
  std::vector<MadeBlock> made;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      producerWaiting_ = true;
      spaceFreed_.wait(lock, [&] { return stopping_ || readyBytes_ <= bytesAhead_ / 2; });
      producerWaiting_ = false;
      if (stopping_) return;
    }
    made.clear();
    produceInto(&made);
    bool ended = false;
    {
      std::lock_guard lock(mutex_);
      size_t queued = 0;
      try {
        for (; queued < made.size(); ++queued) {
          ready_.push_back(made[queued]);
          readyBytes_ += made[queued].size;
          ended = ended || made[queued].ends();
        }
      } catch (const std::bad_alloc&) {  // nothing may leave the thread
        for (size_t i = queued; i < made.size(); ++i) CoTaskMemFree(made[i].data);
        outOfMemory_ = true;
        ended = true;
      }
    }
    blocksAdded_.notify_one();
    if (ended) return;
  }
}

}  // namespace vexamor::signcore
