// The personal store through VexaSignature: listing signing certificates, finding one by its
// three texts, and the trust status of its chain.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/com/message_table.h"
#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/revocation.h"
#include "signcore/crypto/signature_fixture.h"
#include "signcore/crypto/timestamp_token.h"
#include "signcore/crypto/trust_chain.h"

namespace vexamor::signcore {
namespace {

using testing::CertificateSpec;
using testing::TestCertificate;

struct Listed {
  std::u16string subject, issuer, serial;
  std::string expiration;
  bool operator==(const Listed&) const = default;
};

class Certificates : public SignatureTest {
 protected:
  HRESULT enumerate(std::vector<Listed>* out) {
    LONG n = -1;
    BSTR* subjects = nullptr;
    BSTR* issuers = nullptr;
    BSTR* serials = nullptr;
    IVexaSystemTime** expirations = nullptr;
    const HRESULT hr =
        signature_->EnumerateCertificates(&n, &subjects, &issuers, &serials, &expirations);
    for (LONG i = 0; i < n; ++i) {
      out->push_back({std::u16string(com::Bstr::attach(subjects[i]).view()),
                      std::u16string(com::Bstr::attach(issuers[i]).view()),
                      std::u16string(com::Bstr::attach(serials[i]).view()),
                      fields(com::ComPtr<IVexaSystemTime>::attach(expirations[i]))});
    }
    if (n == 0) {
      EXPECT_EQ(subjects, nullptr);
      EXPECT_EQ(expirations, nullptr);
    }
    CoTaskMemFree(subjects);
    CoTaskMemFree(issuers);
    CoTaskMemFree(serials);
    CoTaskMemFree(expirations);
    return hr;
  }

  // VerifyCertificate of a certificate put into My for the test: its status bits.
  LONG statusOf(const TestCertificate& cert) {
    certificates_.add(StoreName::My, cert, false);
    LONG result = -1;
    LONG status = -1;
    EXPECT_EQ(signature_->VerifyCertificate(com::Bstr(cert.subject()).get(),
                                            com::Bstr(cert.issuer()).get(),
                                            com::Bstr(cert.serial()).get(), &result, &status),
              S_OK);
    EXPECT_EQ(result, status == 0 ? 1 : 0);
    return status;
  }

  HRESULT find(const std::u16string& subject, const std::u16string& issuer,
               const std::u16string& serial, LONG* status) {
    LONG result = -1;
    return signature_->VerifyCertificate(com::Bstr(subject).get(), com::Bstr(issuer).get(),
                                         com::Bstr(serial).get(), &result, status);
  }
};

TEST_F(Certificates, ListsTheCertificatesWithAKeyInStoreOrder) {
  certificates_.installStandardSet();
  std::vector<const TestCertificate*> expected;
  for (const TestCertificate* signer : pki().signers()) {
    if (signer != &pki().noKey) expected.push_back(signer);
  }
  std::sort(expected.begin(), expected.end(), [](auto* a, auto* b) {
    return CertStore::thumbprint(a->cert.get()) < CertStore::thumbprint(b->cert.get());
  });

  std::vector<Listed> listed;
  ASSERT_EQ(enumerate(&listed), S_OK);
  ASSERT_EQ(listed.size(), expected.size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].subject, expected[i]->subject());
    EXPECT_EQ(listed[i].issuer, expected[i]->issuer());
    EXPECT_EQ(listed[i].serial, expected[i]->serial());
  }
  const auto expired = std::find_if(listed.begin(), listed.end(), [](const Listed& l) {
    return l.subject == u"Vexamor Test Expired Signer";
  });
  ASSERT_NE(expired, listed.end());
  EXPECT_EQ(expired->serial, u"1001");
  EXPECT_EQ(expired->expiration, "2001-12-31 23:59:59");
}

TEST_F(Certificates, TextsFollowTheCertificate) {
  certificates_.installStandardSet();
  std::vector<Listed> listed;
  ASSERT_EQ(enumerate(&listed), S_OK);
  auto has = [&](const Listed& wanted) {
    return std::find(listed.begin(), listed.end(), wanted) != listed.end();
  };
  // The sign byte of a serial with its top bit set is part of the text.
  EXPECT_TRUE(has({u"Vexamor Test EC Signer", u"Vexamor Test Intermediate", u"0080c0ffee",
                   "2099-12-31 23:59:59"}));
  EXPECT_TRUE(has({u"Vexamor Test RSA Signer", u"Vexamor Test Intermediate", u"0a1b2c3d4e5f",
                   "2099-12-31 23:59:59"}));
  // A 10,000-character name is listed by its first 63 characters.
  EXPECT_TRUE(has(
      {std::u16string(63, u'L'), u"Vexamor Test Intermediate", u"1005", "2099-12-31 23:59:59"}));
}

TEST_F(Certificates, AnEmptyStoreListsNothing) {
  std::vector<Listed> listed;
  EXPECT_EQ(enumerate(&listed), S_FALSE);
  EXPECT_TRUE(listed.empty());
  certificates_.add(StoreName::My, pki().noKey, false);  // no key: not a signing certificate
  EXPECT_EQ(enumerate(&listed), S_FALSE);

  LONG n = 0;
  BSTR* a = nullptr;
  IVexaSystemTime** t = nullptr;
  EXPECT_EQ(signature_->EnumerateCertificates(&n, &a, &a, nullptr, &t), E_POINTER);
  const auto report = lastError();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->source, u"DxSignCore.VexaSignature.1");
  EXPECT_EQ(report->description, u"Invalid pointer");
}

TEST_F(Certificates, FindsACertificateByPartOfItsSubjectAndTextsInAnyCase) {
  certificates_.installStandardSet();
  const TestCertificate& rsa = pki().rsaSigner;
  LONG status = -1;
  EXPECT_EQ(find(u"rsa SIGN", rsa.issuer(), rsa.serial(), &status), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(find(u"Vexamor Test, Vexamor Test RSA", u"VEXAMOR TEST INTERMEDIATE", u"0A1B2C3D4E5F",
                 &status),
            S_OK);
  EXPECT_EQ(find(u"", rsa.issuer(), rsa.serial(), &status), S_OK);

  // A certificate without its key is not listed, but is found and checked.
  const TestCertificate& keyless = pki().noKey;
  EXPECT_EQ(find(keyless.subject(), keyless.issuer(), keyless.serial(), &status), S_OK);
  EXPECT_EQ(status, 0);
}

TEST_F(Certificates, ACertificateThatIsNotThereIsReported) {
  certificates_.installStandardSet();
  const TestCertificate& rsa = pki().rsaSigner;
  LONG status = -1;
  EXPECT_EQ(find(u"EC Signer", rsa.issuer(), rsa.serial(), &status), CRYPT_E_NOT_FOUND);
  const auto report = lastError();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->description, u"Cannot find object or property.");
  EXPECT_EQ(report->source, u"DxSignCore.VexaSignature.1");
  EXPECT_EQ(find(rsa.subject(), u"Vexamor Test Root", rsa.serial(), &status), CRYPT_E_NOT_FOUND);
  EXPECT_EQ(find(rsa.subject(), rsa.issuer(), u"0a1b2c3d4e", &status), CRYPT_E_NOT_FOUND);

  LONG result = 0;
  EXPECT_EQ(signature_->VerifyCertificate(nullptr, nullptr, nullptr, &result, nullptr), E_POINTER);
}

// One test per row of the error-to-bit table that a user meets.
TEST_F(Certificates, TrustStatusNamesWhatIsWrongWithTheChain) {
  certificates_.installStandardSet();
  EXPECT_EQ(statusOf(pki().rsaSigner), CERT_TRUST_NO_ERROR);
  EXPECT_EQ(statusOf(pki().ecSigner), CERT_TRUST_NO_ERROR);
  EXPECT_EQ(statusOf(pki().expired), CERT_TRUST_IS_NOT_TIME_VALID);
  EXPECT_EQ(statusOf(pki().notYetValid), CERT_TRUST_IS_NOT_TIME_VALID);
  EXPECT_EQ(statusOf(pki().brokenChain), CERT_TRUST_IS_PARTIAL_CHAIN);

  const TestCertificate selfSigned =
      testing::makeCertificate(testing::signerSpec("Vexamor Test Self", nullptr, "2001"));
  EXPECT_EQ(statusOf(selfSigned), CERT_TRUST_IS_UNTRUSTED_ROOT);

  CertificateSpec certSpec =
      testing::signerSpec("Vexamor Test Bad Signature", &pki().intermediate, "2002");
  certSpec.corruptSignature = true;
  EXPECT_EQ(statusOf(testing::makeCertificate(certSpec)), CERT_TRUST_IS_NOT_SIGNATURE_VALID);

  certSpec = testing::authoritySpec("Vexamor Test Unconstrained CA", &pki().root, "2003");
  certSpec.caWithoutBasicConstraints = true;
  const TestCertificate unconstrained = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::CA, unconstrained, false);
  EXPECT_EQ(statusOf(testing::makeCertificate(
                testing::signerSpec("Vexamor Test Under Unconstrained", &unconstrained, "2004"))),
            CERT_TRUST_INVALID_BASIC_CONSTRAINTS);

  certSpec = testing::signerSpec("Vexamor Test Weak", &pki().root, "2005");
  certSpec.digest = EVP_md5();
  EXPECT_EQ(statusOf(testing::makeCertificate(certSpec)), CERT_TRUST_HAS_WEAK_SIGNATURE);
}

TEST_F(Certificates, EveryErrorOfTheChainIsCollected) {
  certificates_.installStandardSet();
  // Expired, and issued by a CA that is installed nowhere.
  CertificateSpec certSpec = testing::signerSpec("Vexamor Test Twice Wrong", &pki().orphanCa, "2006");
  certSpec.notBefore = "20000101000000Z";
  certSpec.notAfter = "20011231235959Z";
  EXPECT_EQ(statusOf(testing::makeCertificate(certSpec)),
            CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_PARTIAL_CHAIN);
}

// The trust anchors are kept between calls; an import into or a removal from the Root store
// must still count from the very next call.
TEST_F(Certificates, ChangesToTheRootStoreCountAtTheNextCall) {
  certificates_.installStandardSet();
  const CertStore roots(StoreName::Root, certificates_.folder());
  const std::string root = CertStore::thumbprint(pki().root.cert.get());
  EXPECT_EQ(statusOf(pki().rsaSigner), CERT_TRUST_NO_ERROR);
  ASSERT_EQ(roots.remove(root), ERROR_SUCCESS);
  EXPECT_EQ(statusOf(pki().rsaSigner), CERT_TRUST_IS_PARTIAL_CHAIN);
  certificates_.add(StoreName::Root, pki().root, false);
  EXPECT_EQ(statusOf(pki().rsaSigner), CERT_TRUST_NO_ERROR);

  // Another root put in its place under the same name: the content counts, not the name.
  const TestCertificate stranger =
      testing::makeCertificate(testing::authoritySpec("Vexamor Test Stranger Root", nullptr, "2007"));
  ASSERT_EQ(roots.remove(root), ERROR_SUCCESS);
  ASSERT_EQ(roots.add(stranger.cert.get(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(::rename((roots.folder() + "/" + CertStore::thumbprint(stranger.cert.get()) + ".pem").c_str(),
                     (roots.folder() + "/" + root + ".pem").c_str()),
            0);
  EXPECT_NE(statusOf(pki().rsaSigner), CERT_TRUST_NO_ERROR);
}

// Verdicts on chains are kept between calls, but only for as long as the time lies within the
// validity of every certificate of the chain: one that expires meanwhile is seen expired.
TEST_F(Certificates, AKeptVerdictEndsWhenACertificateOfTheChainExpires) {
  certificates_.installStandardSet();
  char until[32];
  const time_t end = std::time(nullptr) + 2;
  std::strftime(until, sizeof until, "%Y%m%d%H%M%SZ", std::gmtime(&end));
  CertificateSpec certSpec =
      testing::signerSpec("Vexamor Test Short-Lived", &pki().intermediate, "5150");
  certSpec.notAfter = until;
  const TestCertificate shortLived = testing::makeCertificate(certSpec);
  ASSERT_EQ(statusOf(shortLived), CERT_TRUST_NO_ERROR);
  EXPECT_EQ(statusOf(shortLived), CERT_TRUST_NO_ERROR);  // the kept verdict
  while (std::time(nullptr) <= end) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(statusOf(shortLived), CERT_TRUST_IS_NOT_TIME_VALID);
}

// The overlay verifies from many threads while the user may be importing or removing a root.
TEST_F(Certificates, ManyThreadsVerifyWhileTheRootStoreChanges) {
  certificates_.installStandardSet();
  const CertStore roots(StoreName::Root, certificates_.folder());
  const std::string root = CertStore::thumbprint(pki().root.cert.get());
  const std::u16string subject = pki().rsaSigner.subject(), issuer = pki().rsaSigner.issuer(),
                       serial = pki().rsaSigner.serial();
  std::atomic<bool> done{false};
  std::atomic<int> calls{0}, wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      while (!done.load()) {
        LONG status = -1;
        if (find(subject, issuer, serial, &status) != S_OK ||
            (status != CERT_TRUST_NO_ERROR && status != CERT_TRUST_IS_PARTIAL_CHAIN)) {
          ++wrong;
        }
        ++calls;
      }
      CoUninitialize();
    });
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(roots.remove(root), ERROR_SUCCESS);
    certificates_.add(StoreName::Root, pki().root, false);
  }
  while (calls.load() < 40) std::this_thread::yield();
  done = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  LONG status = -1;
  EXPECT_EQ(find(subject, issuer, serial, &status), S_OK);
  EXPECT_EQ(status, CERT_TRUST_NO_ERROR);
}

TEST(CryptCodes, EveryCodeHasTheSystemsText) {
  const std::pair<HRESULT, const char16_t*> codes[] = {
      {NTE_BAD_SIGNATURE, u"Invalid Signature."},
      {CRYPT_E_UNKNOWN_ALGO, u"Unknown cryptographic algorithm."},
      {CRYPT_E_INVALID_MSG_TYPE, u"Invalid cryptographic message type."},
      {CRYPT_E_HASH_VALUE, u"The hash value is not correct."},
      {CRYPT_E_SIGNER_NOT_FOUND, u"Cannot find the original signer."},
      {CRYPT_E_NOT_FOUND, u"Cannot find object or property."},
      {CRYPT_E_NO_SIGNER,
       u"The signed cryptographic message does not have a signer for the specified signer "
       u"index."},
      {CRYPT_E_ASN1_EOD, u"ASN1 unexpected end of data."},
      {CRYPT_E_ASN1_BADTAG, u"ASN1 bad tag value met."},
      {NTE_BAD_KEYSET, u"Keyset does not exist"},
      {TRUST_E_CERT_SIGNATURE, u"The signature of the certificate cannot be verified."},
      {TRUST_E_TIME_STAMP,
       u"The timestamp signature and/or certificate could not be verified or is malformed."},
      {CRYPT_E_REVOKED, u"The certificate is revoked."},
      {CRYPT_E_NO_REVOCATION_CHECK,
       u"The revocation function was unable to check revocation for the certificate."},
      {CRYPT_E_REVOCATION_OFFLINE,
       u"The revocation function was unable to check revocation because the revocation server "
       u"was offline."},
      {HRESULT_FROM_WIN32(223), u"The file size exceeds the limit allowed and cannot be saved."},
  };
  for (const auto& [code, text] : codes) {
    EXPECT_EQ(win32::systemMessage(static_cast<uint32_t>(code)), text) << std::hex << code;
  }
}

TEST(TrustStatus, BitsReadAsWords) {
  EXPECT_EQ(trustStatusWords(0), "no error");
  EXPECT_EQ(trustStatusWords(CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_PARTIAL_CHAIN),
            "not time valid, partial chain");
  EXPECT_EQ(trustStatusWords(CERT_TRUST_IS_UNTRUSTED_ROOT | 0x40000000),
            "untrusted root, other 0x40000000");
  // An error the table does not know still makes the chain fail.
  EXPECT_EQ(trustStatusForVerifyError(X509_V_ERR_UNSPECIFIED), CERT_TRUST_IS_NOT_SIGNATURE_VALID);
}

}  // namespace
}  // namespace vexamor::signcore
