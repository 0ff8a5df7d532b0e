// The COM runtime under several threads: objects of DxSignCore16.so made and released while
// other threads free unused modules, so the module is unloaded and loaded again under them.
// Run under ThreadSanitizer as well.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/idl/dxsigncore16.h"

namespace {

using vexamor::com::ComPtr;

TEST(ComThreading, ObjectsAreMadeAndReleasedWhileUnusedModulesAreFreed) {
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  constexpr int kThreads = 4;
  constexpr int kBursts = 12;
  constexpr auto kDelay = std::chrono::milliseconds(20);
  const std::string modulePath = vexamor::registry::binDir() + "/DxSignCore16.so";
  std::atomic<bool> stop{false};
  std::atomic<int> failures{0};
  std::atomic<int> made{0};
  int unloads = 0;

  // One thread as a shell would call it, with the default delay; one with a short delay, so
  // that the module really comes and goes between the workers' bursts.
  std::thread freer([&] {
    while (!stop.load()) CoFreeUnusedLibraries();
  });
  std::thread eagerFreer([&] {
    bool loaded = true;
    while (!stop.load()) {
      CoFreeUnusedLibrariesEx(static_cast<DWORD>(kDelay.count()), 0);
      void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
      if (module != nullptr) dlclose(module);
      if (loaded && module == nullptr) ++unloads;
      loaded = module != nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&] {
      for (int burst = 0; burst < kBursts; ++burst) {
        for (int i = 0; i < 50; ++i) {
          ComPtr<IVexaSystemTime> time;
          if (vexamor::com::createInstance<IVexaSystemTime>(CLSID_VexaSystemTime, &time) != S_OK) {
            ++failures;
            continue;
          }
          SHORT year = -1;
          if (time->get_Year(&year) != S_OK || year != 0) ++failures;
          ComPtr<IClassFactory> factory;
          if (CoGetClassObject(CLSID_VexaFindSignFile, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, factory.outVoid()) != S_OK) {
            ++failures;
          }
          ++made;
        }
        std::this_thread::sleep_for(3 * kDelay);
      }
    });
  }
  for (auto& worker : workers) worker.join();
  stop = true;
  freer.join();
  eagerFreer.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(made.load(), kThreads * kBursts * 50);
  EXPECT_GT(unloads, 0);  // the module came and went under the workers
}

}  // namespace
