// VexaSignature's time-stamped signatures and its verification with time stamps and
// revocation, through COM as clients use it, against a time-stamping authority, CRLs and OCSP
// responders that the test runs on the loopback address with the openssl command.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/com/bstr.h"
#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"
#include "platform/registry/testing/temp_registry.h"
#include "platform/registry/unique_key.h"
#include "signcore/crypto/revocation.h"
#include "signcore/crypto/testing/memory_data.h"
#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/crypto/testing/run_command.h"
#include "signcore/crypto/timestamp_token.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/utc_time.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {
namespace {

using testing::LocalTrustServices;
using testing::OpensslTsa;
using testing::TestCertificate;
using testing::TestPki;
using Behaviour = testing::LoopbackHttpServer::Behaviour;

constexpr int64_t kDay = 24 * 3600;
const std::string kData = "the bytes of a drawing, signed and time-stamped";

struct Verified {
  HRESULT hr = E_FAIL;
  LONG result = -1;
  LONG status = -1;
  std::string verdict;
  std::string error;  // the error object's description on failure
};

std::string errorDescription() {
  com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.out()) != S_OK) return "";
  com::Bstr text;
  info->GetDescription(text.out());
  return text.utf8();
}

PKCS7_SIGNER_INFO* signerOf(const ossl::Pkcs7& p7) {
  return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0);
}

// The token kept in a blob; nothing when it has none.
std::optional<std::string> tokenOf(const std::string& blob) {
  ossl::Pkcs7 p7 = testing::decodePkcs7(blob);
  std::optional<std::string> token;
  if (!p7 || FAILED(storedTimestampToken(signerOf(p7), &token))) return std::nullopt;
  return token;
}

class StampedSignatures : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(services_.server.listening());
    registry_.importBuildTree();
    certificates_.installStandardSet();
    certificates_.add(StoreName::CA, services_.pki.ca, false);
    certificates_.add(StoreName::My, services_.pki.signer, true);
    ASSERT_EQ(CoCreateInstance(CLSID_VexaSignature, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IVexaSignature2, signature_.outVoid()),
              S_OK);
  }

  std::string url(const std::string& path) const { return services_.server.url(path); }
  const testing::RevocablePki& pki() const { return services_.pki; }

  // Signs kData with `signer`, time-stamped by the authorities at `paths` (none: not stamped).
  HRESULT sign(const TestCertificate& signer, std::string* blob,
               const std::vector<std::string>& paths = {"/ca-tsa"},
               const char16_t* comment = u"Approved", LONG timeoutMs = 5000) {
    com::Bstr subject(signer.subject()), issuer(signer.issuer()), serial(signer.serial());
    com::Bstr note = comment != nullptr ? com::Bstr(std::u16string_view(comment)) : com::Bstr();
    SIGNPARAMS params{};
    params.cbSize = kSignParamsSize;
    params.bstrCertSubject = subject.get();
    params.bstrCertIssuer = issuer.get();
    params.bstrCertSerialNumber = serial.get();
    params.bstrComment = note.get();
    testing::MemoryData data(kData);
    std::vector<com::Bstr> urls;
    std::vector<BSTR> list;
    for (const std::string& path : paths) urls.emplace_back(url(path));
    for (const com::Bstr& u : urls) list.push_back(u.get());
    LONG size = 0;
    BYTE* bytes = nullptr;
    const HRESULT hr = paths.empty() ? signature_->ComputeSignature(&params, &data, &size, &bytes)
                                     : signature_->ComputeSignatureWithTimestamp(
                                           &params, &data, static_cast<LONG>(list.size()),
                                           list.data(), nullptr, timeoutMs, &size, &bytes);
    if (SUCCEEDED(hr)) blob->assign(reinterpret_cast<char*>(bytes), static_cast<size_t>(size));
    CoTaskMemFree(bytes);
    return hr;
  }

  std::string signedBlob(const TestCertificate& signer,
                         const std::vector<std::string>& paths = {"/ca-tsa"}) {
    std::string blob;
    EXPECT_EQ(sign(signer, &blob, paths), S_OK) << errorDescription();
    return blob;
  }

  // The data as signed: kData, then the note "0;Approved".
  static std::string signedContent() { return kData + testing::storedNote(u"0;Approved"); }

  Verified verify(std::string blob, LONG revocation = VEXA_REVOCATION_SOFT) {
    Verified v;
    testing::MemoryData data(kData);
    com::Bstr verdict;
    v.hr = signature_->VerifySignatureEx(&data, static_cast<LONG>(blob.size()),
                                         reinterpret_cast<BYTE*>(blob.data()), revocation,
                                         &v.result, &v.status, verdict.out());
    v.verdict = verdict.utf8();
    if (FAILED(v.hr)) v.error = errorDescription();
    return v;
  }

  // Through IVexaSignature, as older clients and the file handlers call it.
  HRESULT verifyAsBefore(std::string blob, LONG* result) {
    testing::MemoryData data(kData);
    return signature_->VerifySignature(&data, static_cast<LONG>(blob.size()),
                                       reinterpret_cast<BYTE*>(blob.data()), result);
  }

  TimestampInfo stampOf(const std::string& blob) {
    TimestampInfo info;
    const std::optional<std::string> token = tokenOf(blob);
    EXPECT_TRUE(token && describeTimestampToken(*token, &info));
    return info;
  }

  int revocationRequests() const {
    int n = 0;
    for (const char* path : {"/ca-ocsp", "/root-ocsp", "/ca.crl", "/root.crl"}) {
      n += services_.server.requests(path);
    }
    return n;
  }

  void forgetRevocationAnswers() { cacheHome_.forget(); }

  void silenceRevocationSources() {
    for (const char* path : {"/ca-ocsp", "/root-ocsp", "/ca.crl", "/root.crl"}) {
      services_.server.setBehaviour(path, Behaviour::kHangUp);
    }
  }

  LocalTrustServices services_;
  testing::ScratchCacheHome cacheHome_;
  registry::TempRegistry registry_;
  testing::TempCertificateFolder certificates_;
  com::ComPtr<IVexaSignature2> signature_;
};

TEST_F(StampedSignatures, ATimeStampedSignatureVerifiesHereAndWithOpenssl) {
  const int64_t before = std::time(nullptr);
  const std::string blob = signedBlob(pki().signer);
  const int64_t after = std::time(nullptr);

  // The note stays the first unauthenticated attribute; the token follows it.
  ossl::Pkcs7 p7 = testing::decodePkcs7(blob);
  ASSERT_NE(p7, nullptr);
  STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_attributes(signerOf(p7));
  ASSERT_EQ(sk_X509_ATTRIBUTE_num(attributes), 2);
  EXPECT_EQ(OBJ_obj2nid(X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, 0))),
            NID_subject_key_identifier);
  EXPECT_EQ(OBJ_obj2nid(X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, 1))),
            NID_id_smime_aa_timeStampToken);

  const TimestampInfo stamp = stampOf(blob);
  EXPECT_GE(stamp.time, before - 1);
  EXPECT_LE(stamp.time, after + 1);
  const Verified v = verify(blob);
  EXPECT_EQ(v.hr, S_OK) << v.error;
  EXPECT_EQ(v.result, 1);
  EXPECT_EQ(v.status, CERT_TRUST_NO_ERROR);
  EXPECT_EQ(v.verdict, "time-stamped " + utcTimeText(stamp.time) +
                           " by Vexamor Test Revocable Time Stamping, not revoked at that time");
  LONG result = -1;
  EXPECT_EQ(verifyAsBefore(blob, &result), S_OK);
  EXPECT_EQ(result, 1);

  // What ExtractTimestampInfo and the older ExtractSignatureInfo read back.
  com::Bstr name, policy, serial;
  com::ComPtr<IVexaSystemTime> time;
  std::string copy = blob;
  ASSERT_EQ(signature_->ExtractTimestampInfo(static_cast<LONG>(copy.size()),
                                             reinterpret_cast<BYTE*>(copy.data()), name.out(),
                                             time.out(), policy.out(), serial.out()),
            S_OK);
  EXPECT_EQ(name.utf8(), "C=US; O=Vexamor Test; CN=Vexamor Test Revocable Time Stamping");
  EXPECT_EQ(policy.utf8(), OpensslTsa::kDefaultPolicy);
  EXPECT_EQ(serial.utf8(), stamp.serial);
  SHORT year = 0;
  ASSERT_TRUE(time);
  time->get_Year(&year);
  EXPECT_EQ(utcTimeText(stamp.time).substr(0, 4), std::to_string(year));
  com::ComPtr<IVexaSignature> older;
  ASSERT_EQ(signature_.queryTo(&older), S_OK);
  SIGNPARAMS params{};
  com::ComPtr<IVexaSystemTime> notBefore, notAfter;
  ASSERT_EQ(older->ExtractSignatureInfo(static_cast<LONG>(copy.size()),
                                        reinterpret_cast<BYTE*>(copy.data()), &params,
                                        notBefore.out(), notAfter.out()),
            S_OK);
  EXPECT_EQ(com::Bstr::attach(params.bstrComment).utf8(), "Approved");
  for (BSTR s : {params.bstrCertSubject, params.bstrCertIssuer, params.bstrCertSerialNumber,
                 params.bstrCertSubjectEMail, params.bstrCertX500String, params.bstrTimestamp}) {
    SysFreeString(s);
  }

  // The openssl command accepts the token over the signature value, and the signature with
  // the token inside.
  const std::string authorities = TestPki::get().root.certificatePem() + pki().ca.certificatePem();
  const std::string value = signatureValue(signerOf(p7));
  const testing::CommandOutcome token =
      testing::opensslVerifyToken(tokenOf(blob).value_or(""), value, authorities);
  EXPECT_EQ(token.status, 0) << token.out;
  EXPECT_NE(token.out.find("Verification: OK"), std::string::npos) << token.out;
  EXPECT_NE(
      testing::opensslVerifyToken(tokenOf(blob).value_or(""), value + "x", authorities).status, 0);
  const testing::CommandOutcome smime =
      testing::opensslVerifySignature(blob, signedContent(), authorities);
  EXPECT_EQ(smime.status, 0) << smime.out;
}

TEST_F(StampedSignatures, ATokenThatDoesNotHoldMakesTheSignatureNotValid) {
  // A genuine token over another signature's value.
  const std::string first = signedBlob(pki().signer);
  std::string other;
  ASSERT_EQ(sign(pki().signer, &other, {}, u"Approved as well"), S_OK);
  const std::optional<std::string> token = tokenOf(first);
  ASSERT_TRUE(token);
  std::string moved;
  ASSERT_EQ(addTimestampToken(other, *token, &moved), S_OK);
  Verified v = verify(moved);
  EXPECT_EQ(v.hr, TRUST_E_TIME_STAMP);
  EXPECT_EQ(v.result, 0);
  EXPECT_EQ(v.error,
            "The timestamp signature and/or certificate could not be verified or is malformed. "
            "The time stamp does not hold: the token is over other data.");
  LONG result = -1;
  EXPECT_EQ(verifyAsBefore(moved, &result), TRUST_E_TIME_STAMP);
  EXPECT_EQ(result, 0);

  // A token dated before the signer's certificate was valid: it dates nothing it signed.
  const std::string early = signedBlob(TestPki::get().notYetValid, {"/tsa"});
  v = verify(early, VEXA_REVOCATION_NONE);
  EXPECT_EQ(v.hr, TRUST_E_TIME_STAMP);
  EXPECT_EQ(v.result, 0);
  EXPECT_EQ(v.error,
            "The timestamp signature and/or certificate could not be verified or is malformed. "
            "The time stamp, " +
                utcTimeText(stampOf(early).time) +
                ", lies outside the validity of the signer's certificate.");
}

TEST_F(StampedSignatures, AnExpiredSignerStaysValidWithATokenMadeWhileItWasValid) {
  const int64_t now = std::time(nullptr);
  testing::CertificateSpec certSpec =
      testing::signerSpec("Vexamor Test Short-Lived Signer", &TestPki::get().intermediate, "7001");
  certSpec.notAfter = testing::generalizedTime(now + 2);
  const TestCertificate shortLived = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::My, shortLived, true);
  const std::string stamped = signedBlob(shortLived, {"/tsa"});
  const std::string unstamped = signedBlob(shortLived, {});
  ASSERT_EQ(verify(stamped, VEXA_REVOCATION_NONE).status, CERT_TRUST_NO_ERROR);

  while (std::time(nullptr) <= now + 3) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const Verified withToken = verify(stamped, VEXA_REVOCATION_NONE);
  EXPECT_EQ(withToken.hr, S_OK) << withToken.error;
  EXPECT_EQ(withToken.result, 1);
  EXPECT_EQ(withToken.status, CERT_TRUST_NO_ERROR);
  EXPECT_EQ(withToken.verdict, "time-stamped " + utcTimeText(stampOf(stamped).time) +
                                   " by Vexamor Test Time Stamping, revocation not checked");

  // Without a token the answer is the one signatures have always had: the signature holds,
  // and the certificate's expiry shows in the status and the words.
  const Verified withoutToken = verify(unstamped, VEXA_REVOCATION_NONE);
  EXPECT_EQ(withoutToken.hr, S_OK) << withoutToken.error;
  EXPECT_EQ(withoutToken.status, CERT_TRUST_IS_NOT_TIME_VALID);
  EXPECT_EQ(withoutToken.verdict, "not time-stamped, and the signer's certificate expired on " +
                                      utcTimeText(now + 2) + ", revocation not checked");
}

TEST_F(StampedSignatures, ARevokedSignerFailsByOcspAndByCrl) {
  const std::string blob = signedBlob(pki().signer, {});
  const int64_t revoked = std::time(nullptr) - kDay;
  services_.issuingCa.revoke(pki().signer, revoked);
  for (const bool byCrl : {false, true}) {
    SCOPED_TRACE(byCrl ? "CRL" : "OCSP");
    forgetRevocationAnswers();
    if (byCrl) {
      services_.server.setBehaviour("/ca-ocsp", Behaviour::kHangUp);
      services_.server.setBehaviour("/root-ocsp", Behaviour::kHangUp);
    }
    const int ocspBefore = services_.server.requests("/ca-ocsp");
    const int crlBefore = services_.server.requests("/ca.crl");
    const Verified v = verify(blob);
    EXPECT_EQ(v.hr, CRYPT_E_REVOKED);
    EXPECT_EQ(v.result, 0);
    EXPECT_EQ(v.status & CERT_TRUST_IS_REVOKED, CERT_TRUST_IS_REVOKED);
    EXPECT_EQ(v.error, "The certificate is revoked. Revoked on " + utcTimeText(revoked) +
                           " (superseded): Vexamor Test Revocable Signer.");
    EXPECT_EQ(services_.server.requests("/ca-ocsp"), ocspBefore + 1);
    EXPECT_EQ(services_.server.requests("/ca.crl"), crlBefore + (byCrl ? 1 : 0));
  }
}

TEST_F(StampedSignatures, ARevocationCountsOnlyWhenDatedBeforeTheTimeStamp) {
  const std::string blob = signedBlob(pki().signer);
  const int64_t stamped = stampOf(blob).time;

  services_.issuingCa.revoke(pki().signer, stamped + 1);
  Verified v = verify(blob);
  EXPECT_EQ(v.hr, S_OK) << v.error;
  EXPECT_EQ(v.result, 1);
  EXPECT_EQ(v.status, CERT_TRUST_NO_ERROR);
  EXPECT_EQ(v.verdict, "time-stamped " + utcTimeText(stamped) +
                           " by Vexamor Test Revocable Time Stamping, not revoked at that time; "
                           "Vexamor Test Revocable Signer revoked later, on " +
                           utcTimeText(stamped + 1) + " (superseded)");

  forgetRevocationAnswers();
  services_.issuingCa.revoke(pki().signer, stamped - 3600);
  v = verify(blob);
  EXPECT_EQ(v.hr, CRYPT_E_REVOKED);
  EXPECT_EQ(v.result, 0);
  EXPECT_EQ(v.status, CERT_TRUST_IS_REVOKED);

  // The authority's own certificate counts the same way: revoked before it stamped, its
  // token proves nothing.
  forgetRevocationAnswers();
  services_.issuingCa.issue(pki().signer);
  services_.issuingCa.revoke(pki().tsa, stamped - 3600);
  v = verify(blob);
  EXPECT_EQ(v.hr, CRYPT_E_REVOKED);
  EXPECT_NE(v.error.find(": Vexamor Test Revocable Time Stamping."), std::string::npos) << v.error;
}

TEST_F(StampedSignatures, AStatusThatCannotBeLearntIsAWarningSoftlyAndAFailureHard) {
  const std::string blob = signedBlob(pki().signer, {});
  silenceRevocationSources();
  Verified v = verify(blob, VEXA_REVOCATION_SOFT);
  EXPECT_EQ(v.hr, S_OK) << v.error;
  EXPECT_EQ(v.status, CERT_TRUST_NO_ERROR);
  EXPECT_TRUE(v.verdict.starts_with("revocation unknown: Vexamor Test Revocable Signer, "))
      << v.verdict;

  v = verify(blob, VEXA_REVOCATION_HARD);
  EXPECT_EQ(v.hr, CRYPT_E_REVOCATION_OFFLINE);
  EXPECT_EQ(v.result, 0);
  EXPECT_EQ(v.status, CERT_TRUST_REVOCATION_STATUS_UNKNOWN);
  EXPECT_TRUE(v.error.starts_with(
      "The revocation function was unable to check revocation because the revocation server "
      "was offline. Revocation unknown: Vexamor Test Revocable Signer, "))
      << v.error;

  // A certificate that names no source at all.
  const std::string silent = signedBlob(TestPki::get().rsaSigner, {});
  v = verify(silent, VEXA_REVOCATION_HARD);
  EXPECT_EQ(v.hr, CRYPT_E_NO_REVOCATION_CHECK);
  EXPECT_NE(v.error.find("Vexamor Test RSA Signer, the certificate names no OCSP responder and "
                         "no CRL"),
            std::string::npos)
      << v.error;
  v = verify(silent, VEXA_REVOCATION_NONE);
  EXPECT_EQ(v.hr, S_OK);
  EXPECT_EQ(v.verdict, "revocation not checked");
  EXPECT_EQ(verify(silent, 3).hr, E_INVALIDARG);
  EXPECT_EQ(verify(silent, VEXA_REVOCATION_SOFT | 0x200).hr, E_INVALIDARG);
}

TEST_F(StampedSignatures, TheOlderMethodsUseTheCacheAloneUnlessTheSettingLetsThemFetch) {
  const std::string blob = signedBlob(pki().signer, {});
  services_.issuingCa.revoke(pki().signer, std::time(nullptr) - kDay);
  com::Bstr subject(pki().signer.subject()), issuer(pki().signer.issuer()),
      serial(pki().signer.serial());
  LONG result = -1;
  LONG status = -1;

  // Nothing learnt yet, and nothing fetched: valid, as far as anyone here knows.
  EXPECT_EQ(verifyAsBefore(blob, &result), S_OK);
  EXPECT_EQ(
      signature_->VerifyCertificate(subject.get(), issuer.get(), serial.get(), &result, &status),
      S_OK);
  EXPECT_EQ(status, CERT_TRUST_NO_ERROR);
  EXPECT_EQ(verify(blob, VEXA_REVOCATION_HARD | VEXA_REVOCATION_CACHE_ONLY).hr,
            CRYPT_E_REVOCATION_OFFLINE);
  EXPECT_EQ(revocationRequests(), 0);

  // Once a check that may fetch has learnt it, they know it too, still without fetching.
  EXPECT_EQ(verify(blob).hr, CRYPT_E_REVOKED);
  const int fetched = revocationRequests();
  EXPECT_GT(fetched, 0);
  EXPECT_EQ(verifyAsBefore(blob, &result), CRYPT_E_REVOKED);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(
      signature_->VerifyCertificate(subject.get(), issuer.get(), serial.get(), &result, &status),
      S_OK);
  EXPECT_EQ(status, CERT_TRUST_IS_REVOKED);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(revocationRequests(), fetched);

  // The user's setting lets them fetch.
  forgetRevocationAnswers();
  EXPECT_EQ(verifyAsBefore(blob, &result), S_OK);
  registry::UniqueKey key;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Vexamor\\Vexamor Digital Signatures", 0,
                      nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.out(), nullptr),
      ERROR_SUCCESS);
  const DWORD fetch = 1;
  ASSERT_EQ(RegSetValueExW(key.get(), u"RevocationFetch", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&fetch), sizeof fetch),
            ERROR_SUCCESS);
  EXPECT_EQ(verifyAsBefore(blob, &result), CRYPT_E_REVOKED);
  EXPECT_GT(revocationRequests(), fetched);
}

TEST_F(StampedSignatures, SigningWithATokenNeedsANoteAndAnAuthorityThatGivesOne) {
  std::string blob;
  EXPECT_EQ(sign(pki().signer, &blob, {"/ca-tsa"}, nullptr), E_INVALIDARG);
  EXPECT_EQ(errorDescription(),
            "The parameter is incorrect. A time-stamped signature needs a comment or a "
            "time-stamp text.");

  services_.server.setBehaviour("/ca-tsa", Behaviour::kNeverAnswer);
  services_.server.handle("/refusing", [](const testing::LoopbackHttpServer::Request&) {
    return testing::LoopbackHttpServer::Reply{404, "text/plain", "no"};
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(sign(pki().signer, &blob, {"/refusing", "/ca-tsa"}, u"Approved", 500),
            HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(errorDescription(),
            "This operation returned because the timeout period expired. No time-stamping "
            "authority gave a time stamp: " +
                url("/refusing") + ": the server answered with status 404; " + url("/ca-tsa") +
                ": timed out after 500 ms.");

  // A slow authority is left for the next one.
  EXPECT_EQ(sign(pki().signer, &blob, {"/ca-tsa", "/tsa"}, u"Approved", 500), S_OK);
  EXPECT_EQ(stampOf(blob).signerName, "Vexamor Test Time Stamping");
}

}  // namespace
}  // namespace vexamor::signcore
