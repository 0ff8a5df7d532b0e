// The overlay in front of the real core: drawings of both layouts and appended-signature
// files, signed through the handlers with the test certificates, then changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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
using vexamor::signcore::testing::TestCertificate;
using vexamor::signcore::testing::TestPki;
namespace samples = vexamor::signcore::testing;

class OverlayOnTheCore : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importBuildTree();
    registerOverlay();
    certificates_.installStandardSet();
    ASSERT_EQ(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                        &overlay_),
              S_OK);
  }

  HRESULT isMemberOf(const std::string& path) {
    return overlay_->IsMemberOf(vexamor::text::utf8ToUtf16(path).c_str(), 0);
  }

  static HRESULT sign(REFCLSID handlerClass, const std::string& path,
                      const TestCertificate& cert) {
    ComPtr<IVexaSignFile> handler;
    const HRESULT hr = vexamor::com::createInstance<IVexaSignFile>(handlerClass, &handler);
    if (FAILED(hr)) return hr;
    return handler->AddSign(Bstr(std::string_view(path)).get(), Bstr(cert.subject()).get(),
                            Bstr(cert.issuer()).get(), Bstr(cert.serial()).get(), nullptr,
                            nullptr, nullptr, nullptr);
  }

  static void flipByteAt(const std::string& path, std::streamoff offset) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekg(offset);
    const char c = static_cast<char>(f.get());
    f.seekp(offset);
    f.put(static_cast<char>(c ^ 0x01));
    ASSERT_TRUE(f.flush());
  }

  std::string file(const std::string& name) const { return folder_.path() + "/" + name; }

  vexamor::registry::TempRegistry registry_;
  samples::TempCertificateFolder certificates_;
  TempFolder folder_;
  ComPtr<IShellIconOverlayIdentifier> overlay_;
};

TEST_F(OverlayOnTheCore, SignedFilesOfEveryLayoutGetTheOverlayUntilTheyChange) {
  const TestCertificate& signer = TestPki::get().rsaSigner;
  const std::string classic = file("plan.drx");
  const std::string container = file("Site Plan.DRS");
  const std::string bundle = file("delivery.zip");
  ASSERT_TRUE(samples::writeClassicDrawing(classic, 64 * 1024));
  ASSERT_EQ(samples::writeContainerDrawing(container, samples::dozenStreams()), 0u);
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(100 * 1024, 7)));
  for (const std::string& path : {classic, container, bundle}) {
    EXPECT_EQ(isMemberOf(path), S_FALSE) << path;  // not signed yet
  }
  ASSERT_EQ(sign(CLSID_VexaSignDRX, classic, signer), S_OK);
  ASSERT_EQ(sign(CLSID_VexaSignDRX, container, signer), S_OK);
  ASSERT_EQ(sign(CLSID_VexaSignAppend, bundle, signer), S_OK);
  for (const std::string& path : {classic, container, bundle}) {
    EXPECT_EQ(isMemberOf(path), S_OK) << path;
  }

  // A changed byte of the signed data: still signed, no longer valid, no overlay.
  flipByteAt(classic, 2000);
  flipByteAt(bundle, 50 * 1024);
  EXPECT_EQ(isMemberOf(classic), S_FALSE);
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
  EXPECT_EQ(isMemberOf(container), S_OK);
  ASSERT_EQ(samples::rewriteContainerStream(container, samples::dozenStreams()[3].name,
                                            samples::sampleBytes(4096, 99)),
            0u);
  EXPECT_EQ(isMemberOf(container), S_FALSE);
}

TEST_F(OverlayOnTheCore, ASignatureWhoseCertificateIsNoLongerTrustedLosesTheOverlay) {
  const std::string bundle = file("delivery.zip");
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(8 * 1024, 3)));
  ASSERT_EQ(sign(CLSID_VexaSignAppend, bundle, TestPki::get().rsaSigner), S_OK);
  EXPECT_EQ(isMemberOf(bundle), S_OK);
  // The user drops the root that the signer's chain ends in.
  std::filesystem::remove_all(certificates_.folder() + "/Root");
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
}

TEST_F(OverlayOnTheCore, FilesTheCoreHasNoHandlerForGetNoOverlay) {
  const std::string letter = file("letter.txt");
  ASSERT_TRUE(samples::writeFile(letter, samples::sampleBytes(1024, 5)));
  EXPECT_EQ(isMemberOf(letter), S_FALSE);
  EXPECT_EQ(isMemberOf(file("missing.zip")), S_FALSE);
  const std::string empty = file("empty.zip");
  ASSERT_TRUE(samples::writeFile(empty, {}));
  EXPECT_EQ(isMemberOf(empty), S_FALSE);
}

}  // namespace
