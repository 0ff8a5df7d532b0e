// Revocation checking against CRLs (`openssl ca -gencrl`) and OCSP answers (`openssl ocsp
// -index`) served on the loopback address, with a cache folder of the test's own.
#include "signcore/crypto/revocation.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/utc_time.h"

namespace vexamor::signcore {
namespace {

using testing::LocalTrustServices;
using testing::ScratchFolder;
using testing::TestPki;
using Behaviour = testing::LoopbackHttpServer::Behaviour;
using Reply = testing::LoopbackHttpServer::Reply;

constexpr int64_t kDay = 24 * 3600;

class Revocation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(services_.server.listening());
    options_.cacheFolder = cache_.file("revocation");
    options_.limits.timeoutMs = 3000;
    chain_ = services_.pki.signerChain();
  }

  RevocationReport check() { return checkRevocation(chain_.get(), options_); }

  std::string url(const std::string& path) const { return services_.server.url(path); }

  // Only the CRLs answer.
  void silenceOcsp() {
    services_.server.setBehaviour("/ca-ocsp", Behaviour::kHangUp);
    services_.server.setBehaviour("/root-ocsp", Behaviour::kHangUp);
  }

  int requests() const {
    int n = 0;
    for (const char* path : {"/ca-ocsp", "/root-ocsp", "/ca.crl", "/root.crl"}) {
      n += services_.server.requests(path);
    }
    return n;
  }

  LocalTrustServices services_;
  ScratchFolder cache_;
  RevocationOptions options_;
  ossl::X509Stack chain_;
  const int64_t now_ = std::time(nullptr);
};

TEST_F(Revocation, AGoodChainIsGoodByOcsp) {
  const RevocationReport report = check();
  ASSERT_EQ(report.certificates.size(), 2u);  // the signer and its CA; the root is the anchor
  EXPECT_EQ(report.certificates[0].subject, "Vexamor Test Revocable Signer");
  EXPECT_EQ(report.certificates[0].state, RevocationState::kGood);
  EXPECT_EQ(report.certificates[0].source, "OCSP " + url("/ca-ocsp"));
  EXPECT_EQ(report.certificates[1].state, RevocationState::kGood);
  EXPECT_EQ(report.certificates[1].source, "OCSP " + url("/root-ocsp"));
  EXPECT_EQ(report.trustStatus(), CERT_TRUST_NO_ERROR);
  EXPECT_EQ(services_.server.requests("/ca.crl"), 0);

  const RevocationVerdict verdict = judgeRevocation(RevocationMode::kHard, report);
  EXPECT_EQ(verdict.hr, S_OK);
  EXPECT_FALSE(verdict.warning);
  EXPECT_EQ(verdict.text, "not revoked");
}

TEST_F(Revocation, ARevokedSignerIsFoundByOcspAndByCrl) {
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay);
  options_.cacheFolder.clear();
  for (const bool byCrl : {false, true}) {
    if (byCrl) silenceOcsp();
    const RevocationReport report = check();
    const CertificateRevocation& signer = report.certificates.at(0);
    EXPECT_EQ(signer.state, RevocationState::kRevoked);
    EXPECT_EQ(signer.revokedAt, now_ - kDay);
    EXPECT_EQ(signer.reason, 4);  // superseded
    EXPECT_EQ(signer.source, byCrl ? "CRL " + url("/ca.crl") : "OCSP " + url("/ca-ocsp"));
    EXPECT_EQ(report.certificates.at(1).state, RevocationState::kGood);
    EXPECT_EQ(report.trustStatus(), CERT_TRUST_IS_REVOKED);
    for (const RevocationMode mode : {RevocationMode::kSoft, RevocationMode::kHard}) {
      const RevocationVerdict verdict = judgeRevocation(mode, report);
      EXPECT_EQ(verdict.hr, CRYPT_E_REVOKED);
      EXPECT_EQ(verdict.text, "revoked on " + utcTimeText(now_ - kDay) +
                                  " (superseded): Vexamor Test Revocable Signer");
    }
    EXPECT_EQ(judgeRevocation(RevocationMode::kNone, report).hr, S_OK);
  }
}

// A signature time-stamped before the revocation was made while the certificate was good.
TEST_F(Revocation, ARevocationAfterTheReferenceTimeLeavesTheCertificateGood) {
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay);
  for (const bool byCrl : {false, true}) {
    if (byCrl) silenceOcsp();
    options_.cacheFolder.clear();

    options_.at = now_ - 2 * kDay;
    RevocationReport report = check();
    EXPECT_EQ(report.certificates.at(0).state, RevocationState::kGood) << byCrl;
    EXPECT_TRUE(report.certificates.at(0).revokedLater);
    const RevocationVerdict verdict = judgeRevocation(RevocationMode::kHard, report);
    EXPECT_EQ(verdict.hr, S_OK);
    EXPECT_EQ(verdict.text, "not revoked; Vexamor Test Revocable Signer revoked later, on " +
                                utcTimeText(now_ - kDay) + " (superseded)");

    options_.at = now_ - kDay - 1;
    EXPECT_EQ(check().certificates.at(0).state, RevocationState::kGood);
    options_.at = now_ - kDay;  // revoked at that very second: no longer good
    EXPECT_EQ(check().certificates.at(0).state, RevocationState::kRevoked);
  }
}

// A key known to be compromised since before the revocation date is bad from that date.
TEST_F(Revocation, TheInvalidityDateCountsWhenEarlier) {
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay, now_ - 3 * kDay);
  options_.at = now_ - 2 * kDay;
  for (const bool byCrl : {false, true}) {
    if (byCrl) silenceOcsp();
    options_.cacheFolder.clear();
    const CertificateRevocation signer = check().certificates.at(0);
    EXPECT_EQ(signer.state, RevocationState::kRevoked) << signer.source;
    EXPECT_EQ(signer.revokedAt, now_ - 3 * kDay);
    EXPECT_EQ(signer.reason, 1);  // key compromise
  }
}

TEST_F(Revocation, AResponderDownGivesUnknownSoftlyAndFailureHard) {
  services_.server.stop();
  const RevocationReport report = check();
  for (const CertificateRevocation& c : report.certificates) {
    EXPECT_EQ(c.state, RevocationState::kUnknown);
    EXPECT_TRUE(c.namesSources);
    EXPECT_EQ(c.problems.size(), 2u);  // its OCSP responder and its CRL
  }
  EXPECT_EQ(report.trustStatus(), CERT_TRUST_REVOCATION_STATUS_UNKNOWN);

  const RevocationVerdict soft = judgeRevocation(RevocationMode::kSoft, report);
  EXPECT_EQ(soft.hr, S_OK);
  EXPECT_TRUE(soft.warning);
  EXPECT_EQ(
      soft.text.rfind("revocation unknown: Vexamor Test Revocable Signer, " + url("/ca-ocsp"), 0),
      0u)
      << soft.text;
  const RevocationVerdict hard = judgeRevocation(RevocationMode::kHard, report);
  EXPECT_EQ(hard.hr, CRYPT_E_REVOCATION_OFFLINE);
  EXPECT_FALSE(hard.warning);
}

TEST_F(Revocation, ACertificateThatNamesNoSourceIsUnknown) {
  ossl::X509Stack chain(sk_X509_new_null());
  for (X509* cert : {services_.pki.silent.cert.get(), services_.pki.ca.cert.get(),
                     TestPki::get().root.cert.get()}) {
    X509_add_cert(chain.get(), cert, X509_ADD_FLAG_UP_REF);
  }
  const RevocationReport report = checkRevocation(chain.get(), options_);
  EXPECT_EQ(report.certificates.at(0).state, RevocationState::kUnknown);
  EXPECT_FALSE(report.certificates.at(0).namesSources);
  EXPECT_EQ(report.certificates.at(1).state, RevocationState::kGood);
  EXPECT_TRUE(judgeRevocation(RevocationMode::kSoft, report).warning);
  EXPECT_EQ(judgeRevocation(RevocationMode::kHard, report).hr, CRYPT_E_NO_REVOCATION_CHECK);
}

TEST_F(Revocation, AnswersFromAResponderTheIssuerCertifiedCount) {
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay);
  services_.ocspSigner = &services_.pki.responder;
  const CertificateRevocation delegated = check().certificates.at(0);
  EXPECT_EQ(delegated.state, RevocationState::kRevoked);
  EXPECT_EQ(delegated.source, "OCSP " + url("/ca-ocsp"));
}

// OCSP answers that the issuer did not stand behind are passed over for the CRL, which tells
// the truth here: the signer is revoked.
TEST_F(Revocation, ForgedOcspAnswersArePassedOver) {
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay);
  testing::OpensslCa liar(services_.pki.ca);  // same issuer name and key, the signer listed good
  liar.issue(services_.pki.signer);
  const auto expectPassedOver = [&](const std::string& why) {
    options_.cacheFolder.clear();
    const CertificateRevocation signer = check().certificates.at(0);
    EXPECT_EQ(signer.state, RevocationState::kRevoked) << why;
    EXPECT_EQ(signer.source, "CRL " + url("/ca.crl")) << why;
    ASSERT_FALSE(signer.problems.empty()) << why;
    EXPECT_EQ(signer.problems[0], url("/ca-ocsp") + ": " + why);
  };

  // Signed by a certificate of the issuer that is not for OCSP signing.
  services_.server.handle("/ca-ocsp", [&](const auto& request) {
    return Reply{200, "application/ocsp-response", liar.ocsp(request.body, &services_.pki.silent)};
  });
  expectPassedOver("the answer is not signed by the issuer or a responder it certified");

  // Signed by another authority altogether.
  services_.server.handle("/ca-ocsp", [&](const auto& request) {
    return Reply{200, "application/ocsp-response", services_.rootCa.ocsp(request.body)};
  });
  expectPassedOver("the answer is not signed by the issuer or a responder it certified");

  // A genuine answer changed after signing: one digit of its production time.
  services_.server.handle("/ca-ocsp", [&](const auto& request) {
    std::string answer = services_.issuingCa.ocsp(request.body);
    const size_t time = answer.find(std::string("\x18\x0f", 2));
    if (time != std::string::npos) answer[time + 5] ^= 0x01;
    return Reply{200, "application/ocsp-response", answer};
  });
  expectPassedOver("the answer is not signed by the issuer or a responder it certified");

  // A genuine answer to an earlier request, replayed.
  std::string earlier;
  services_.server.handle("/ca-ocsp", [&](const auto& request) {
    if (earlier.empty()) earlier = liar.ocsp(request.body);
    return Reply{200, "application/ocsp-response", earlier};
  });
  options_.cacheFolder.clear();
  check();
  expectPassedOver("the answer is for another request (its nonce differs)");

  services_.server.handle("/ca-ocsp", [](const auto&) {
    return Reply{200, "application/ocsp-response", "garbage"};
  });
  expectPassedOver("the answer is not an OCSP response");
}

TEST_F(Revocation, CrlsThatCannotSpeakForTheCertificateArePassedOver) {
  silenceOcsp();
  services_.server.handle("/ca.crl", [&](const auto&) {
    return Reply{200, "application/pkix-crl", services_.rootCa.crl()};
  });
  EXPECT_EQ(check().certificates.at(0).problems.back(),
            url("/ca.crl") + ": the CRL is from another issuer");

  services_.server.handle("/ca.crl", [](const auto&) {
    return Reply{200, "application/pkix-crl", "garbage"};
  });
  EXPECT_EQ(check().certificates.at(0).problems.back(),
            url("/ca.crl") + ": the answer is not a CRL");

  // A CRL in the CA's name, listing nothing, signed by another key.
  const testing::TestCertificate sameName = testing::makeCertificate(
      testing::authoritySpec("Vexamor Test Revocable CA", &TestPki::get().root, "05"));
  testing::OpensslCa impostor(sameName);
  services_.server.handle("/ca.crl", [&](const auto&) {
    return Reply{200, "application/pkix-crl", impostor.crl()};
  });
  EXPECT_EQ(check().certificates.at(0).problems.back(),
            url("/ca.crl") + ": the CRL's signature does not verify");

  // Out of date: its next update has passed.
  services_.server.handle("/ca.crl", [&](const auto&) {
    return Reply{200, "application/pkix-crl", services_.issuingCa.crl(60)};
  });
  options_.now = now_ + 3600;
  EXPECT_EQ(check().certificates.at(0).problems.back(),
            url("/ca.crl") + ": the CRL is out of date");

  // Larger than the cap: not read on.
  options_.now = 0;
  services_.server.setBehaviour("/ca.crl", Behaviour::kEndlessBody);
  options_.limits.maxBytes = 1 << 20;
  const std::vector<std::string> problems = check().certificates.at(0).problems;
  EXPECT_EQ(problems.back(), url("/ca.crl") + ": the answer is longer than 1048576 bytes");
}

TEST_F(Revocation, AnswersAreCachedUntilTheirNextUpdate) {
  services_.ocspMinutes = 60;
  const RevocationReport first = check();
  ASSERT_EQ(first.certificates.at(0).state, RevocationState::kGood);
  EXPECT_EQ(requests(), 2);

  const RevocationReport second = check();
  EXPECT_EQ(second.certificates.at(0).state, RevocationState::kGood);
  EXPECT_EQ(second.certificates.at(0).source, "OCSP " + url("/ca-ocsp") + " (cached)");
  EXPECT_EQ(requests(), 2);

  // A revocation after the answer was kept is seen once the answer's next update has passed.
  services_.issuingCa.revoke(services_.pki.signer, now_);
  options_.now = now_ + 30 * 60;
  EXPECT_EQ(check().certificates.at(0).state, RevocationState::kGood);
  EXPECT_EQ(requests(), 2);
  services_.ocspMinutes = 600;
  options_.now = now_ + 2 * 3600;
  const RevocationReport later = check();
  EXPECT_EQ(later.certificates.at(0).state, RevocationState::kRevoked);
  EXPECT_EQ(later.certificates.at(0).source, "OCSP " + url("/ca-ocsp"));
  EXPECT_EQ(requests(), 4);
}

TEST_F(Revocation, CrlsAreCachedUntilTheirNextUpdate) {
  silenceOcsp();
  services_.crlSeconds = 600;
  EXPECT_EQ(check().certificates.at(0).state, RevocationState::kGood);
  EXPECT_EQ(services_.server.requests("/ca.crl"), 1);
  const RevocationReport again = check();
  EXPECT_EQ(again.certificates.at(0).source, "CRL " + url("/ca.crl") + " (cached)");
  EXPECT_EQ(services_.server.requests("/ca.crl"), 1);
  services_.crlSeconds = 7200;
  options_.now = now_ + 1200;
  EXPECT_EQ(check().certificates.at(0).source, "CRL " + url("/ca.crl"));
  EXPECT_EQ(services_.server.requests("/ca.crl"), 2);
}

// The overlay asks the cache only: it never waits on the network.
TEST_F(Revocation, TheCacheOnlyCheckNeverTouchesTheNetwork) {
  options_.cacheOnly = true;
  const RevocationReport empty = check();
  EXPECT_EQ(empty.certificates.at(0).state, RevocationState::kUnknown);
  EXPECT_EQ(empty.certificates.at(0).problems.at(0),
            url("/ca-ocsp") + ": no current answer in the cache");
  EXPECT_EQ(requests(), 0);

  options_.cacheOnly = false;
  services_.issuingCa.revoke(services_.pki.signer, now_ - kDay);
  EXPECT_EQ(check().certificates.at(0).state, RevocationState::kRevoked);
  const int fetched = requests();
  EXPECT_GT(fetched, 0);

  options_.cacheOnly = true;
  services_.server.stop();
  const RevocationReport cached = check();
  EXPECT_EQ(cached.certificates.at(0).state, RevocationState::kRevoked);
  EXPECT_EQ(cached.certificates.at(1).state, RevocationState::kGood);
  EXPECT_EQ(requests(), fetched);

  options_.now = now_ + 2 * 3600;  // past every next update
  EXPECT_EQ(check().certificates.at(0).state, RevocationState::kUnknown);

  // What is in the cache is checked like a fresh answer: a damaged file is no answer.
  options_.now = 0;
  for (const auto& entry : std::filesystem::directory_iterator(options_.cacheFolder)) {
    std::filesystem::resize_file(entry.path(), 100);
  }
  EXPECT_EQ(check().certificates.at(0).state, RevocationState::kUnknown);
}

TEST_F(Revocation, TheCacheLivesUnderTheUserCacheFolder) {
  const char* saved = std::getenv("XDG_CACHE_HOME");
  const std::string previous = saved != nullptr ? saved : "";
  ::setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
  EXPECT_EQ(defaultRevocationCacheFolder(), "/somewhere/cache/vexamor/revocation");
  ::unsetenv("XDG_CACHE_HOME");
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  if (!home.empty()) {
    EXPECT_EQ(defaultRevocationCacheFolder(), home + "/.cache/vexamor/revocation");
  }
  if (saved != nullptr) ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
}

}  // namespace
}  // namespace vexamor::signcore
