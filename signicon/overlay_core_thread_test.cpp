// The overlay in front of the real core on several threads at once, while the user changes
// the file types and the trust anchors: every kept state (the registry's call chains, the
// parsed certificate stores, the trust anchors, the chain verdicts, the parsed signatures) is
// shared by the threads. The test to run under SANITIZE=thread.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/idl/dxsigncore16.h"
#include "signicon/dxsign_icon.h"
#include "signicon/testing/overlay_testing.h"

namespace {

using namespace vexamor::signicon::testing;
using vexamor::com::Bstr;
using vexamor::com::ComPtr;
using vexamor::signcore::StoreName;
using vexamor::signcore::testing::TestPki;
namespace samples = vexamor::signcore::testing;

constexpr const char16_t* kAppendClass = u"{BF7227D0-D41D-48FC-B545-8263F2CDA621}";

TEST(OverlayCoreThreads, FourThreadsWhileFileTypesAndRootsChange) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  registerOverlay();
  samples::TempCertificateFolder certificates;
  certificates.installStandardSet();
  TempFolder folder;
  const TestPki& pki = TestPki::get();

  // Signed files of a few signers' chains, and unsigned ones.
  std::vector<std::u16string> signedFiles, unsignedFiles;
  for (int i = 0; i < 6; ++i) {
    const std::string path = folder.path() + "/signed" + std::to_string(i) + ".zip";
    ASSERT_TRUE(samples::writeFile(path, samples::sampleBytes(3000 + i * 700, i)));
    ComPtr<IVexaSignFile> handler;
    ASSERT_EQ(vexamor::com::createInstance<IVexaSignFile>(CLSID_VexaSignAppend, &handler), S_OK);
    const auto& signer = i % 2 == 0 ? pki.rsaSigner : pki.ecSigner;
    ASSERT_EQ(handler->AddSign(Bstr(std::string_view(path)).get(), Bstr(signer.subject()).get(),
                               Bstr(signer.issuer()).get(), Bstr(signer.serial()).get(), nullptr,
                               nullptr, nullptr, nullptr),
              S_OK);
    signedFiles.push_back(vexamor::text::utf8ToUtf16(path));
    const std::string plain = folder.path() + "/plain" + std::to_string(i) + ".zip";
    ASSERT_TRUE(samples::writeFile(plain, samples::sampleBytes(5000, 100 + i)));
    unsignedFiles.push_back(vexamor::text::utf8ToUtf16(plain));
  }

  std::atomic<bool> done{false};
  std::atomic<int> calls{0}, wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      ComPtr<IShellIconOverlayIdentifier> overlay;
      if (vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                    &overlay) != S_OK) {
        ++wrong;
      }
      for (size_t i = static_cast<size_t>(t); overlay && !done.load(); ++i) {
        // A signed file may lose its overlay while its type or its root is away, never an
        // unsigned one gain it.
        const HRESULT member = overlay->IsMemberOf(signedFiles[i % signedFiles.size()].c_str(), 0);
        if ((member != S_OK && member != S_FALSE) ||
            overlay->IsMemberOf(unsignedFiles[i % unsignedFiles.size()].c_str(), 0) != S_FALSE) {
          ++wrong;
        }
        ++calls;
      }
      overlay.reset();
      CoUninitialize();
    });
  }
  const vexamor::signcore::CertStore roots(StoreName::Root, certificates.folder());
  const std::string root = vexamor::signcore::CertStore::thumbprint(pki.root.cert.get());
  for (int round = 0; round < 10; ++round) {
    EXPECT_TRUE(setFileTypeHandler(u".zip", nullptr));
    EXPECT_EQ(roots.remove(root), ERROR_SUCCESS);
    EXPECT_TRUE(setFileTypeHandler(u".zip", kAppendClass));
    certificates.add(StoreName::Root, pki.root, false);
  }
  while (calls.load() < 200) std::this_thread::yield();
  done = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);

  // Everything back in place: every signed file gets the overlay again.
  ComPtr<IShellIconOverlayIdentifier> overlay;
  ASSERT_EQ(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                      &overlay),
            S_OK);
  for (const std::u16string& path : signedFiles)
    EXPECT_EQ(overlay->IsMemberOf(path.c_str(), 0), S_OK);
  overlay.reset();
  CoFreeUnusedLibraries();
  CoUninitialize();
}

}  // namespace
