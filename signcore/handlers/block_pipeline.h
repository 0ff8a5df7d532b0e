// The blocks of a data enumerator, made ahead on a thread of their own once the data proves
// long: reading (and, for a container, checking and decompressing) the next blocks then runs
// while the consumer hashes the last ones, so that signing and verifying go at the pace of the
// slower of the two instead of their sum. Short data (most files a file manager asks about)
// is made on the consumer's thread, as it asks, with no thread started.
//
// The blocks are handed out in the order they were made, each once; memory stays bounded by
// the bytes allowed ahead. Not itself for use by several consumers at once: the enumerators
// serialise their calls.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

// One block, or how the blocks end.
struct MadeBlock {
  BYTE* data = nullptr;  // from the COM task allocator
  size_t size = 0;
  // With no data: S_OK is the end of the data; a failure ends it with that result, and
  // `cause` is the failure that the consumer's thread is to hold as its last error.
  HRESULT result = S_OK;
  HRESULT cause = S_OK;
  bool ends() const { return data == nullptr; }
};

class BlockPipeline {
 public:
  // Appends the next blocks to `out`, the last one an end (with no data) when there is
  // nothing more. Called on one thread at a time, first the consumer's, then the
  // pipeline's own.
  using Producer = std::function<void(std::vector<MadeBlock>* out)>;

  // Blocks are made on the consumer's thread until `inlineBytes` have been handed out, then
  // ahead on a thread of the pipeline's, at most `bytesAhead` bytes not yet taken.
  BlockPipeline(Producer produce, size_t inlineBytes, size_t bytesAhead);
  BlockPipeline(const BlockPipeline&) = delete;
  BlockPipeline& operator=(const BlockPipeline&) = delete;
  // Stops the thread and frees the blocks not taken.
  ~BlockPipeline();

  // The next block (the caller owns its data), or the end, which every later call repeats.
  MadeBlock take();

 private:
  void run();
  // Calls the producer, turning an exception (no memory) into an end.
  void produceInto(std::vector<MadeBlock>* out);

  Producer produce_;
  const size_t bytesAhead_;
  size_t inlineLeft_;

  std::mutex mutex_;
  std::condition_variable blocksAdded_;  // the consumer waits on it
  std::condition_variable spaceFreed_;   // the thread waits on it
  std::deque<MadeBlock> ready_;          // guarded by mutex_ once the thread runs
  size_t readyBytes_ = 0;
  bool ended_ = false;     // the end is in ready_ or was taken
  bool stopping_ = false;  // the consumer is going away
  bool producerWaiting_ = false;
  bool outOfMemory_ = false;  // the thread could not queue what it made
  MadeBlock end_;             // what ended the blocks, once taken
  bool endTaken_ = false;
  std::thread thread_;
};

}  // namespace vexamor::signcore
