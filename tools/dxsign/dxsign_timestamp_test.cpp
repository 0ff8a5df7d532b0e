// dxsign with a time-stamping authority and revocation sources that the test runs on the
// loopback address (`openssl ts -reply`, `openssl ocsp -index`, CRLs from `openssl ca
// -gencrl`): files of every layout signed with a time stamp, shown by `info`, checked by the
// openssl command, and verified while the signer's certificate is revoked after or before the
// time stamp, or while no revocation source answers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/crypto/timestamp_token.h"
#include "signcore/crypto/utc_time.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/testing/forgery.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace {

namespace fs = std::filesystem;
namespace samples = vexamor::signcore::testing;
namespace signcore = vexamor::signcore;
using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
using vexamor::registry::binDir;
using Behaviour = samples::LoopbackHttpServer::Behaviour;

class DxsignTimestamps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(services_.server.listening());
    const Outcome setup = run("vexareg import " + binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
    dir_ = fs::temp_directory_path() / ("dxsign_stamps." + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    certificates_.installStandardSet();
    certificates_.add(signcore::StoreName::CA, services_.pki.ca, false);
    certificates_.add(signcore::StoreName::My, services_.pki.signer, true);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  std::string url(const std::string& path) const { return services_.server.url(path); }

  // The three layouts, signed by the revocable signer with a time stamp from `authorities`.
  Outcome signThree(const std::string& authorities) {
    EXPECT_TRUE(samples::writeClassicDrawing(file("plan.drx"), 30000));
    EXPECT_EQ(samples::writeContainerDrawing(file("site.drs"), samples::dozenStreams()), 0u);
    EXPECT_TRUE(samples::writeFile(file("bundle.zip"), samples::sampleBytes(20000, 3)));
    return run("dxsign sign " + all() + " --cert " + services_.pki.signer.serialUtf8() +
               " --comment 'Issued for permit' " + authorities);
  }
  std::string all() const {
    return file("plan.drx") + " " + file("site.drs") + " " + file("bundle.zip");
  }

  // The token stored in a signed file, read back.
  signcore::TimestampInfo stampOf(const std::string& path) {
    signcore::TimestampInfo info;
    const auto parts = samples::signedPartsOf(path);
    EXPECT_TRUE(parts);
    if (!parts) return info;
    vexamor::ossl::Pkcs7 p7 = samples::decodePkcs7(parts->blob);
    std::optional<std::string> token;
    EXPECT_EQ(signcore::storedTimestampToken(
                  sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0), &token),
              S_OK);
    EXPECT_TRUE(token && signcore::describeTimestampToken(*token, &info));
    return info;
  }

  samples::LocalTrustServices services_;
  samples::ScratchCacheHome cacheHome_;
  vexamor::registry::TempRegistry registry_;
  samples::TempCertificateFolder certificates_;
  fs::path dir_;
};

TEST_F(DxsignTimestamps, SignsEveryLayoutWithATimeStampThatInfoShowsAndOpensslAccepts) {
  const Outcome sign = signThree("--tsa " + url("/ca-tsa"));
  ASSERT_EQ(sign.status, 0) << sign.out;
  EXPECT_EQ(sign.out, file("plan.drx") + ": signed\n" + file("site.drs") + ": signed\n" +
                          file("bundle.zip") + ": signed\n");
  EXPECT_EQ(services_.server.requests("/ca-tsa"), 3);

  const Outcome verify = run("dxsign verify " + all());
  EXPECT_EQ(verify.status, 0) << verify.out;
  std::string expected;
  for (const char* name : {"plan.drx", "site.drs", "bundle.zip"}) {
    expected += file(name) + ": signature valid, time-stamped " +
                signcore::utcTimeText(stampOf(file(name)).time) +
                " by Vexamor Test Revocable Time Stamping, not revoked at that time\n";
  }
  EXPECT_EQ(verify.out, expected);

  const signcore::TimestampInfo stamp = stampOf(file("bundle.zip"));
  const Outcome info = run("dxsign info " + file("bundle.zip"));
  EXPECT_EQ(info.status, 0) << info.out;
  EXPECT_TRUE(info.out.starts_with("Signature:   valid, time-stamped " +
                                   signcore::utcTimeText(stamp.time) +
                                   " by Vexamor Test Revocable Time Stamping, not revoked at that "
                                   "time\n"))
      << info.out;
  EXPECT_NE(info.out.find("Comment:     Issued for permit\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Time stamp:  2"), std::string::npos) << "the signer's own time stamp";
  EXPECT_TRUE(info.out.ends_with(
      "TSA:         C=US; O=Vexamor Test; CN=Vexamor Test Revocable Time Stamping\n"
      "TSA time:    " +
      signcore::utcTimeText(stamp.time) + "\nTSA policy:  " + samples::OpensslTsa::kDefaultPolicy +
      "\nTSA serial:  " + stamp.serial + "\n"))
      << info.out;

  // The openssl command verifies the token over the signature value, and the signature with
  // the token inside over the file's bytes and the note.
  const auto parts = samples::signedPartsOf(file("bundle.zip"));
  ASSERT_TRUE(parts);
  vexamor::ossl::Pkcs7 p7 = samples::decodePkcs7(parts->blob);
  PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0);
  std::optional<std::string> token;
  ASSERT_EQ(signcore::storedTimestampToken(signer, &token), S_OK);
  ASSERT_TRUE(token);
  const std::string authorities =
      samples::TestPki::get().root.certificatePem() + services_.pki.ca.certificatePem();
  const samples::CommandOutcome ts =
      samples::opensslVerifyToken(*token, signcore::signatureValue(signer), authorities);
  EXPECT_EQ(ts.status, 0) << ts.out;
  const samples::CommandOutcome smime =
      samples::opensslVerifySignature(parts->blob,
                                      std::string(parts->content.begin(), parts->content.end()) +
                                          samples::noteOf(parts->blob).value_or(""),
                                      authorities);
  EXPECT_EQ(smime.status, 0) << smime.out;
}

TEST_F(DxsignTimestamps, ASlowAuthorityIsLeftForTheNextAndAPolicyIsAskedFor) {
  services_.server.setBehaviour("/slow", Behaviour::kNeverAnswer);
  const auto start = std::chrono::steady_clock::now();
  const Outcome sign =
      signThree("--timeout 700 --tsa " + url("/slow") + " --tsa " + url("/ca-tsa") +
                " --tsa-policy " + samples::OpensslTsa::kOtherPolicy);
  ASSERT_EQ(sign.status, 0) << sign.out;
  // Each file waits for the slow authority once, three files at most at a time.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(services_.server.requests("/slow"), 3);
  const Outcome info = run("dxsign info " + file("plan.drx"));
  EXPECT_NE(info.out.find(std::string("TSA policy:  ") + samples::OpensslTsa::kOtherPolicy),
            std::string::npos)
      << info.out;

  // No authority answers: nothing is signed, and the message says what each one did.
  const std::vector<uint8_t> before = samples::readFile(file("bundle.zip"));
  const Outcome refused =
      run("dxsign sign " + file("bundle.zip") + " --cert " + services_.pki.signer.serialUtf8() +
          " --timeout 300 --tsa " + url("/slow") + " --tsa " + url("/missing"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(
      refused.out,
      file("bundle.zip") +
          ": signing failed: Unable to communicate with the remote machine. No "
          "time-stamping authority gave a time stamp: " +
          url("/slow") + ": timed out after 300 ms; " + url("/missing") +
          ": the server answered with status 404. (0x8000401D, DxSignCore.VexaSignAppend.1)\n");
  EXPECT_EQ(samples::readFile(file("bundle.zip")), before);
}

// Revoked at the OCSP responder with a date after the time stamp, the signature still holds;
// with a date before it, it does not.
TEST_F(DxsignTimestamps, ARevocationAfterTheTimeStampLeavesTheSignatureValid) {
  ASSERT_EQ(signThree("--tsa " + url("/ca-tsa")).status, 0);
  const int64_t stamped = stampOf(file("plan.drx")).time;
  services_.issuingCa.revoke(services_.pki.signer, stamped + 5);
  Outcome verify = run("dxsign verify " + file("plan.drx"));
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_EQ(verify.out, file("plan.drx") + ": signature valid, time-stamped " +
                            signcore::utcTimeText(stamped) +
                            " by Vexamor Test Revocable Time Stamping, not revoked at that time; "
                            "Vexamor Test Revocable Signer revoked later, on " +
                            signcore::utcTimeText(stamped + 5) + " (superseded)\n");

  cacheHome_.forget();
  services_.issuingCa.revoke(services_.pki.signer, stamped - 60);
  verify = run("dxsign verify " + file("plan.drx"));
  EXPECT_EQ(verify.status, 1);
  EXPECT_EQ(verify.out, file("plan.drx") +
                            ": verification failed: The certificate is revoked. Revoked on " +
                            signcore::utcTimeText(stamped - 60) +
                            " (superseded): Vexamor Test Revocable Signer. (0x80092010, "
                            "DxSignCore.VexaSignDRX.1)\n");
  const Outcome info = run("dxsign info " + file("plan.drx"));
  EXPECT_EQ(info.status, 1);
  EXPECT_TRUE(info.out.starts_with("Signature:   NOT VALID: The certificate is revoked."))
      << info.out;
}

TEST_F(DxsignTimestamps, WithNoRevocationSourceAnsweringSoftWarnsAndHardFails) {
  ASSERT_EQ(signThree("--tsa " + url("/ca-tsa")).status, 0);
  for (const char* path : {"/ca-ocsp", "/root-ocsp", "/ca.crl", "/root.crl"}) {
    services_.server.setBehaviour(path, Behaviour::kHangUp);
  }
  Outcome verify = run("dxsign verify " + file("bundle.zip"));
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_NE(verify.out.find(" by Vexamor Test Revocable Time Stamping, revocation unknown: Vexamor "
                            "Test Revocable Signer, "),
            std::string::npos)
      << verify.out;

  verify = run("dxsign verify " + file("bundle.zip") + " --revocation hard");
  EXPECT_EQ(verify.status, 1);
  EXPECT_NE(verify.out.find(": verification failed: The revocation function was unable to check "
                            "revocation because the revocation server was offline. Revocation "
                            "unknown: "),
            std::string::npos)
      << verify.out;
  EXPECT_NE(verify.out.find("(0x80092013, DxSignCore.VexaSignAppend.1)"), std::string::npos);

  verify = run("dxsign verify --revocation none " + file("bundle.zip"));
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_TRUE(
      verify.out.ends_with(" by Vexamor Test Revocable Time Stamping, revocation not "
                           "checked\n"))
      << verify.out;
}

}  // namespace
