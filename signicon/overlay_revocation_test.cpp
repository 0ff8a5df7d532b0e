// The overlay and revocation: it never waits on the network, yet a signer's revocation that a
// check which may fetch (dxsign verify) has learnt takes the overlay away.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/idl/dxsigncore16.h"
#include "signicon/dxsign_icon.h"
#include "signicon/testing/overlay_testing.h"

namespace {

using vexamor::com::Bstr;
using vexamor::com::ComPtr;
namespace samples = vexamor::signcore::testing;
using Behaviour = samples::LoopbackHttpServer::Behaviour;

constexpr const char* kSources[] = {"/ca-ocsp", "/root-ocsp", "/ca.crl", "/root.crl"};

TEST(OverlayRevocation, TheOverlayUsesWhatIsKnownAndNeverFetches) {
  samples::LocalTrustServices services;
  samples::ScratchCacheHome cacheHome;
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  vexamor::signicon::testing::registerOverlay();
  samples::TempCertificateFolder certificates;
  certificates.installStandardSet();
  certificates.add(vexamor::signcore::StoreName::CA, services.pki.ca, false);
  certificates.add(vexamor::signcore::StoreName::My, services.pki.signer, true);
  vexamor::signicon::testing::TempFolder folder;
  const std::string bundle = folder.path() + "/delivery.zip";
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(8 * 1024, 3)));

  ComPtr<IVexaSignFile2> handler;
  ASSERT_EQ(vexamor::com::createInstance<IVexaSignFile2>(CLSID_VexaSignAppend, &handler), S_OK);
  const auto& signer = services.pki.signer;
  ASSERT_EQ(handler->AddSign(Bstr(std::string_view(bundle)).get(), Bstr(signer.subject()).get(),
                             Bstr(signer.issuer()).get(), Bstr(signer.serial()).get(), nullptr,
                             nullptr, nullptr, nullptr),
            S_OK);
  ComPtr<IShellIconOverlayIdentifier> overlay;
  ASSERT_EQ(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                      &overlay),
            S_OK);
  const std::u16string path = vexamor::text::utf8ToUtf16(bundle);
  const auto requests = [&] {
    int n = 0;
    for (const char* source : kSources) n += services.server.requests(source);
    return n;
  };

  // Sources that would hold a fetch until its time-out: the overlay answers at once, from
  // nothing known, and asks none of them.
  for (const char* source : kSources) services.server.setBehaviour(source, Behaviour::kNeverAnswer);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(overlay->IsMemberOf(path.c_str(), 0), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(requests(), 0);

  // The signer is revoked; a check that may fetch learns it, and from then on the overlay
  // knows it too, still without a request of its own.
  services.issuingCa.revoke(signer, std::time(nullptr) - 3600);
  for (const char* source : kSources) services.server.setBehaviour(source, Behaviour::kAnswer);
  LONG valid = -1;
  LONG status = 0;
  Bstr verdict;
  EXPECT_EQ(handler->VerifySignEx(Bstr(std::string_view(bundle)).get(), VEXA_REVOCATION_SOFT,
                                  &valid, &status, verdict.out()),
            static_cast<HRESULT>(0x80092010));
  const int learnt = requests();
  EXPECT_GT(learnt, 0);
  EXPECT_EQ(overlay->IsMemberOf(path.c_str(), 0), S_FALSE);
  EXPECT_EQ(requests(), learnt);
}

}  // namespace
