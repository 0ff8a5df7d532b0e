// The shell asks from several threads at once while it also frees idle modules: every answer
// must be right and every count must come back to zero. Run under SANITIZE=thread too.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "platform/registry/testing/temp_registry.h"
#include "signicon/dxsign_icon.h"
#include "signicon/testing/overlay_testing.h"

namespace {

using namespace vexamor::signicon::testing;
using vexamor::com::ComPtr;

struct Sample {
  std::u16string path;
  HRESULT expected;
};

TEST(OverlayThreads, EightThreadsOnAThousandFilesWhileIdleModulesAreFreed) {
  vexamor::registry::TempRegistry registry;
  registerOverlay();
  registerFakeCore(true);
  FakeCore core;
  TempFolder folder;

  std::vector<Sample> samples;
  for (int i = 0; i < 1000; ++i) {
    const std::string base = folder.path() + "/f" + std::to_string(i);
    switch (i % 4) {
      case 0:
        writeFile(base + ".fake", signedAnswers());
        samples.push_back({vexamor::text::utf8ToUtf16(base + ".fake"), S_OK});
        break;
      case 1:
        writeFile(base + ".fake", tamperedAnswers());
        samples.push_back({vexamor::text::utf8ToUtf16(base + ".fake"), S_FALSE});
        break;
      case 2:
        writeFile(base + ".fake", unsignedAnswers());
        samples.push_back({vexamor::text::utf8ToUtf16(base + ".fake"), S_FALSE});
        break;
      default:
        writeFile(base, signedAnswers());
        samples.push_back({vexamor::text::utf8ToUtf16(base), S_FALSE});
    }
  }

  ComPtr<IShellIconOverlayIdentifier> shared;
  ASSERT_EQ(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                      &shared),
            S_OK);
  std::atomic<int> wrong{0};
  std::atomic<int> running{8};
  std::vector<std::thread> workers;
  for (int t = 0; t < 8; ++t) {
    workers.emplace_back([&, t] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      {
        // Half the calls on an object of the thread's own, half on the shared one.
        ComPtr<IShellIconOverlayIdentifier> own;
        if (vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                      &own) != S_OK) {
          wrong++;
        }
        ComPtr<IShellIconOverlayIdentifier> mine(shared.get());
        for (size_t n = 0; n < samples.size() && own; ++n) {
          const Sample& s = samples[(n + 125 * t) % samples.size()];
          IShellIconOverlayIdentifier* target = n % 2 == 0 ? own.get() : mine.get();
          if (target->IsMemberOf(s.path.c_str(), 0) != s.expected) wrong++;
        }
      }
      CoUninitialize();
      running--;
    });
  }
  // The shell's call, and one without the unload delay so that idle modules really go and
  // come back while the workers run. That is safe here only because the shared handler keeps
  // DxSignIcon busy and `core` holds the fake core loaded, so no Release can return into
  // unmapped code.
  std::thread freer([&] {
    for (int round = 0; running > 0; ++round) {
      if (round % 2 == 0) {
        CoFreeUnusedLibraries();
      } else {
        CoFreeUnusedLibrariesEx(0, 0);
      }
      std::this_thread::yield();
    }
  });
  for (auto& w : workers) w.join();
  freer.join();

  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(core.counters().isFileSignedCalls, 8 * 750);
  EXPECT_EQ(core.counters().liveObjects, 0);
  shared.reset();
  void* icon = dlopen(iconModulePath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<PfnDllCanUnloadNow>(dlsym(icon, "DllCanUnloadNow"))(), S_OK);
  dlclose(icon);
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(dlopen(iconModulePath().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
