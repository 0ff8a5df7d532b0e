// Test certificates made at test time (never committed): a root, an intermediate and the
// signers that tests of signing and verifying need, plus a certificate folder of a test's own.
//
//   TempCertificateFolder certs;           // VEXAMOR_CERTIFICATES names it while it lives
//   certs.installStandardSet();            // root in Root, intermediate in CA, signers in My
//   const TestPki& pki = TestPki::get();
//   sign with pki.rsaSigner.subject(), .issuer(), .serial()
//
// Keys are generated once per process; names, serial numbers and validity are fixed, so the
// texts that tests compare never change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore::testing {

enum class KeyKind { kRsa2048, kRsa512, kEcP256, kEcP384, kEd25519 };

// A fresh key; throws std::runtime_error when OpenSSL cannot make one.
ossl::PKey makeKey(KeyKind kind);

struct NameEntry {
  std::string field;  // "C", "O", "OU", "CN", "emailAddress", or a dotted OID
  std::string value;  // UTF-8
  bool sameRdnAsPrevious = false;
};

struct TestCertificate {
  ossl::X509Ptr cert;
  ossl::PKey key;

  // The texts by which clients name it: display names and serial text.
  std::u16string subject() const;
  std::u16string issuer() const;
  std::u16string serial() const;
  std::string subjectUtf8() const;
  std::string issuerUtf8() const;
  std::string serialUtf8() const;
  std::string certificatePem() const;
  std::string keyPem() const;
};

struct CertificateSpec {
  std::vector<NameEntry> subject;
  KeyKind keyKind = KeyKind::kEcP256;
  const TestCertificate* issuer = nullptr;  // null: self-signed
  const EVP_MD* digest = EVP_sha256();      // ignored for an Ed25519 issuer key
  std::string serialHex = "01";
  std::string notBefore = "20200101000000Z";
  std::string notAfter = "20991231235959Z";
  bool ca = false;
  bool caWithoutBasicConstraints = false;  // a CA that lacks the basicConstraints extension
  std::string email;                       // an rfc822 subject alternative name
  bool corruptSignature = false;           // one byte of the signature flipped
  // An end entity's key usage and extended key usage, as openssl's configuration writes
  // them ("critical,digitalSignature", "serverAuth", "critical,timeStamping"); empty: the
  // extension is left out.
  std::string keyUsage = "critical,digitalSignature,nonRepudiation";
  std::string extendedKeyUsage;
  std::string crlUrl;   // a CRL distribution point
  std::string ocspUrl;  // an OCSP responder in the authority information access
};

// Specs to start from: an end-entity certificate "C=US, O=Vexamor Test, CN=<commonName>"
// and a CA of the same form, each valid from 2020 to 2099.
CertificateSpec signerSpec(const std::string& commonName, const TestCertificate* issuer,
                           const std::string& serialHex);
CertificateSpec authoritySpec(const std::string& commonName, const TestCertificate* issuer,
                              const std::string& serialHex);

// Makes a certificate as its description says; throws std::runtime_error on an OpenSSL failure.
TestCertificate makeCertificate(const CertificateSpec& certSpec);

// The standard set, made once per process.
struct TestPki {
  TestCertificate root;          // RSA, self-signed, SHA-256: the trust anchor
  TestCertificate intermediate;  // EC P-384, issued by root (SHA-256)
  TestCertificate rsaSigner;     // RSA key, issued by intermediate with ECDSA-SHA256
  TestCertificate ecSigner;      // EC key, issued with ECDSA-SHA384; serial with its top bit set
  TestCertificate expired;       // valid in 2000 only
  TestCertificate notYetValid;   // valid from 2090
  TestCertificate orphanCa;      // a CA that is installed nowhere
  TestCertificate brokenChain;   // issued by orphanCa: its chain cannot be completed
  TestCertificate noKey;         // installed without its private key
  TestCertificate longName;      // a 10,000-character common name and an e-mail address
  TestCertificate tsa;           // a time-stamping authority: critical timeStamping usage

  static const TestPki& get();
  // Every signer of the set, in the order above.
  std::vector<const TestCertificate*> signers() const;
};

// A chain whose certificates name a loopback server for their revocation status, made per
// test once the server listens, since the addresses carry its port. Under TestPki's root:
//   ca        "Vexamor Test Revocable CA": CRL <base>/root.crl, OCSP <base>/root-ocsp
//   signer    issued by ca: CRL <base>/ca.crl, OCSP <base>/ca-ocsp
//   responder issued by ca for OCSP signing, to answer for it by delegation
//   silent    issued by ca, naming no CRL and no responder
//   tsa       issued by ca for time stamping, with the signer's CRL and OCSP
struct RevocablePki {
  TestCertificate ca;
  TestCertificate signer;
  TestCertificate responder;
  TestCertificate silent;
  TestCertificate tsa;

  static RevocablePki make(const std::string& baseUrl);
  // signer, ca, root: the order that revocation checking takes.
  ossl::X509Stack signerChain() const;
};

// DER of a PKCS #7 structure and back, for tests that take blobs apart and put them together.
std::string encodePkcs7(PKCS7* p7);
ossl::Pkcs7 decodePkcs7(const std::string& der);

// A detached PKCS #7 signature of `content` made with OpenSSL alone, as `openssl smime -sign
// -binary -noattr -md DIGEST` makes one: a peer's or an attacker's blob. With `detached`
// false the content is carried inside.
std::string opensslSignature(const TestCertificate& signer, std::string_view content,
                             const EVP_MD* digest = EVP_sha256(), bool detached = true);

// A note text as it is stored and signed: UTF-16LE with its terminating zero, written out here
// independently of the code under test.
std::string storedNote(std::u16string_view text);

// A PKCS #12 file holding a certificate, its key and `chain`, protected by `password`.
std::string makePkcs12(const TestCertificate& cert, const std::string& password,
                       const std::vector<const TestCertificate*>& chain = {});

// A certificate folder of a test's own: created empty, named by VEXAMOR_CERTIFICATES while
// the object lives, removed with everything in it afterwards.
class TempCertificateFolder {
 public:
  TempCertificateFolder();
  TempCertificateFolder(const TempCertificateFolder&) = delete;
  TempCertificateFolder& operator=(const TempCertificateFolder&) = delete;
  ~TempCertificateFolder();

  const std::string& folder() const { return folder_; }

  // Adds a certificate to a store, with its key when `withKey`.
  void add(StoreName store, const TestCertificate& cert, bool withKey) const;
  // The standard set: root in Root, intermediate in CA, every signer in My with its key
  // except noKey.
  void installStandardSet() const;

 private:
  std::string folder_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace vexamor::signcore::testing
