#include "tools/dxsign/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/activation.h"

namespace vexamor::dxsign {

void forEachParallel(size_t count, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto worker = [&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (size_t i = next++; i < count; i = next++) work(i);
    CoUninitialize();
  };
  const size_t threads =
      std::min<size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
  if (threads <= 1) {
    for (size_t i = 0; i < count; ++i) work(i);
    return;
  }
  std::vector<std::thread> pool;
  for (size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (auto& t : pool) t.join();
}

}  // namespace vexamor::dxsign
