// The overlay in front of the real core: drawings of both layouts and appended-signature
// files, signed through the handlers with the test certificates, then changed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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

// Runs `change` in a process of its own, as another program would change the registry.
void inAnotherProcess(bool (*change)()) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(change() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The overlay answers every file from the registry as it is when that file is asked about:
// a file type that another program removes or adds is seen by the very next file.
TEST_F(OverlayOnTheCore, RegistryChangesByOtherProgramsAreSeenByTheNextFile) {
  const std::string bundle = file("delivery.zip");
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(8 * 1024, 3)));
  ASSERT_EQ(sign(CLSID_VexaSignAppend, bundle, TestPki::get().rsaSigner), S_OK);
  EXPECT_EQ(isMemberOf(bundle), S_OK);
  inAnotherProcess([] { return setFileTypeHandler(u".zip", nullptr); });
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
  inAnotherProcess(
      [] { return setFileTypeHandler(u".zip", u"{BF7227D0-D41D-48FC-B545-8263F2CDA621}"); });
  EXPECT_EQ(isMemberOf(bundle), S_OK);
  // Handled as a drawing now, which the file is not: no overlay.
  inAnotherProcess(
      [] { return setFileTypeHandler(u".zip", u"{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}"); });
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
}

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// Rewrites a file in place, as `cp` over it does: same name, same inode, new bytes.
void rewriteInPlace(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.flush());
}

// The verdicts are kept between files only as long as what they were drawn from stays as it
// was: a certificate taken out of or put back into the user's CA/ and Root/ folders, a root
// rewritten in place, and the system bundle changed all count from the very next file.
TEST_F(OverlayOnTheCore, TrustChangesAreSeenByTheNextFile) {
  const TestPki& pki = TestPki::get();
  const std::string bundle = file("delivery.zip");
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(8 * 1024, 3)));
  ASSERT_EQ(sign(CLSID_VexaSignAppend, bundle, pki.rsaSigner), S_OK);
  EXPECT_EQ(isMemberOf(bundle), S_OK);

  namespace fs = std::filesystem;
  const fs::path ca = fs::path(certificates_.folder()) / "CA";
  const fs::path root = fs::path(certificates_.folder()) / "Root";
  const fs::path intermediate = *fs::directory_iterator(ca);
  const fs::path aside = fs::path(folder_.path()) / "intermediate.pem";
  fs::rename(intermediate, aside);
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);  // no way from the signer to the root
  fs::copy_file(aside, intermediate);
  EXPECT_EQ(isMemberOf(bundle), S_OK);

  const fs::path rootFile = *fs::directory_iterator(root);
  rewriteInPlace(rootFile, pki.orphanCa.certificatePem());
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
  rewriteInPlace(rootFile, pki.root.certificatePem());
  EXPECT_EQ(isMemberOf(bundle), S_OK);

  // The root in the system's bundle instead of the user's folder.
  fs::remove(rootFile);
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
  const std::string systemBundle = file("ca-certificates.crt");
  const std::string noSystemFolder = file("no-certs");
  ASSERT_TRUE(samples::writeFile(systemBundle, {}));
  const ScopedVariable bundleFile(X509_get_default_cert_file_env(), systemBundle);
  const ScopedVariable bundleFolder(X509_get_default_cert_dir_env(), noSystemFolder);
  EXPECT_EQ(isMemberOf(bundle), S_FALSE);
  rewriteInPlace(systemBundle, pki.orphanCa.certificatePem() + pki.root.certificatePem());
  EXPECT_EQ(isMemberOf(bundle), S_OK);
  rewriteInPlace(systemBundle, pki.orphanCa.certificatePem());
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
