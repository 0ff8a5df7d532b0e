#include "signcore/crypto/testing/test_pki.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/com/utf.h"
#include "signcore/crypto/cert_text.h"

namespace vexamor::signcore::testing {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificates: ") + what + " failed");
}

std::string bioText(BIO* bio) {
  char* data = nullptr;
  const long n = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<size_t>(n));
}

int stringType(const std::string& field) {
  if (field == "C") return V_ASN1_PRINTABLESTRING;
  if (field == "emailAddress") return V_ASN1_IA5STRING;
  return V_ASN1_UTF8STRING;
}

void addExtension(X509* cert, X509V3_CTX* ctx, int nid, const std::string& value) {
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value.c_str());
  check(ext != nullptr, "making an extension");
  const int added = X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
  check(added == 1, "adding an extension");
}

// DER in, DER out: the certificate as a reader of its bytes sees it.
ossl::X509Ptr reparsed(X509* cert) {
  unsigned char* der = nullptr;
  const int n = i2d_X509(cert, &der);
  check(n > 0, "encoding a certificate");
  const unsigned char* p = der;
  ossl::X509Ptr copy(d2i_X509(nullptr, &p, n));
  OPENSSL_free(der);
  check(copy != nullptr, "decoding a certificate");
  return copy;
}

const std::vector<NameEntry> name(const std::string& commonName) {
  return {{"C", "US"}, {"O", "Vexamor Test"}, {"CN", commonName}};
}

}  // namespace

ossl::PKey makeKey(KeyKind kind) {
  EVP_PKEY* key = nullptr;
  switch (kind) {
    case KeyKind::kRsa2048:
      key = EVP_RSA_gen(2048);
      break;
    case KeyKind::kRsa512:
      key = EVP_RSA_gen(512);
      break;
    case KeyKind::kEcP256:
      key = EVP_EC_gen("P-256");
      break;
    case KeyKind::kEcP384:
      key = EVP_EC_gen("P-384");
      break;
    case KeyKind::kEd25519:
      key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
      break;
  }
  check(key != nullptr, "generating a key");
  return ossl::PKey(key);
}

std::u16string TestCertificate::subject() const {
  return subjectDisplayName(cert.get());
}
std::u16string TestCertificate::issuer() const {
  return issuerDisplayName(cert.get());
}
std::u16string TestCertificate::serial() const {
  return serialText(cert.get());
}
std::string TestCertificate::subjectUtf8() const {
  return text::utf16ToUtf8(subject());
}
std::string TestCertificate::issuerUtf8() const {
  return text::utf16ToUtf8(issuer());
}
std::string TestCertificate::serialUtf8() const {
  return text::utf16ToUtf8(serial());
}

std::string TestCertificate::certificatePem() const {
  ossl::Bio bio(BIO_new(BIO_s_mem()));
  check(PEM_write_bio_X509(bio.get(), cert.get()) == 1, "writing a certificate");
  return bioText(bio.get());
}

std::string TestCertificate::keyPem() const {
  ossl::Bio bio(BIO_new(BIO_s_mem()));
  check(PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
        "writing a key");
  return bioText(bio.get());
}

TestCertificate makeCertificate(const CertificateSpec& certSpec) {
  TestCertificate made;
  made.key = makeKey(certSpec.keyKind);
  ossl::X509Ptr cert(X509_new());
  check(cert != nullptr && X509_set_version(cert.get(), 2) == 1, "making a certificate");

  BIGNUM* serial = nullptr;
  check(BN_hex2bn(&serial, certSpec.serialHex.c_str()) > 0, "reading a serial number");
  const bool serialSet = BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(cert.get())) != nullptr;
  BN_free(serial);
  check(serialSet, "setting the serial number");
  check(ASN1_TIME_set_string_X509(X509_getm_notBefore(cert.get()), certSpec.notBefore.c_str()) == 1 &&
            ASN1_TIME_set_string_X509(X509_getm_notAfter(cert.get()), certSpec.notAfter.c_str()) == 1,
        "setting the validity");

  X509_NAME* subject = X509_get_subject_name(cert.get());
  for (const NameEntry& entry : certSpec.subject) {
    check(X509_NAME_add_entry_by_txt(subject, entry.field.c_str(), stringType(entry.field),
                                     reinterpret_cast<const unsigned char*>(entry.value.data()),
                                     static_cast<int>(entry.value.size()), -1,
                                     entry.sameRdnAsPrevious ? -1 : 0) == 1,
          "naming the subject");
  }
  X509* issuerCert = certSpec.issuer != nullptr ? certSpec.issuer->cert.get() : cert.get();
  EVP_PKEY* issuerKey = certSpec.issuer != nullptr ? certSpec.issuer->key.get() : made.key.get();
  check(X509_set_issuer_name(cert.get(), X509_get_subject_name(issuerCert)) == 1 &&
            X509_set_pubkey(cert.get(), made.key.get()) == 1,
        "naming the issuer");

  X509V3_CTX ctx;
  X509V3_set_ctx(&ctx, issuerCert, cert.get(), nullptr, nullptr, 0);
  addExtension(cert.get(), &ctx, NID_subject_key_identifier, "hash");
  if (certSpec.issuer != nullptr) {
    addExtension(cert.get(), &ctx, NID_authority_key_identifier, "keyid:always");
  }
  if (certSpec.ca) {
    if (!certSpec.caWithoutBasicConstraints) {
      addExtension(cert.get(), &ctx, NID_basic_constraints, "critical,CA:TRUE");
    }
    addExtension(cert.get(), &ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    if (!certSpec.keyUsage.empty()) {
      addExtension(cert.get(), &ctx, NID_key_usage, certSpec.keyUsage);
    }
    if (!certSpec.extendedKeyUsage.empty()) {
      addExtension(cert.get(), &ctx, NID_ext_key_usage, certSpec.extendedKeyUsage);
    }
  }
  if (!certSpec.email.empty()) {
    addExtension(cert.get(), &ctx, NID_subject_alt_name, "email:" + certSpec.email);
  }
  if (!certSpec.crlUrl.empty()) {
    addExtension(cert.get(), &ctx, NID_crl_distribution_points, "URI:" + certSpec.crlUrl);
  }
  if (!certSpec.ocspUrl.empty()) {
    addExtension(cert.get(), &ctx, NID_info_access, "OCSP;URI:" + certSpec.ocspUrl);
  }

  const bool edwards = EVP_PKEY_is_a(issuerKey, "ED25519") == 1;
  check(X509_sign(cert.get(), issuerKey, edwards ? nullptr : certSpec.digest) > 0, "signing");
  if (certSpec.corruptSignature) {
    const ASN1_BIT_STRING* signature = nullptr;
    X509_get0_signature(&signature, nullptr, cert.get());
    auto* bytes = const_cast<unsigned char*>(ASN1_STRING_get0_data(signature));
    bytes[ASN1_STRING_length(signature) / 2] ^= 0x01;
  }
  made.cert = reparsed(cert.get());
  return made;
}

CertificateSpec signerSpec(const std::string& commonName, const TestCertificate* issuer,
                           const std::string& serialHex) {
  CertificateSpec certSpec;
  certSpec.subject = name(commonName);
  certSpec.issuer = issuer;
  certSpec.serialHex = serialHex;
  return certSpec;
}

CertificateSpec authoritySpec(const std::string& commonName, const TestCertificate* issuer,
                              const std::string& serialHex) {
  CertificateSpec certSpec = signerSpec(commonName, issuer, serialHex);
  certSpec.ca = true;
  return certSpec;
}

const TestPki& TestPki::get() {
  static const TestPki pki = [] {
    TestPki p;
    CertificateSpec certSpec = authoritySpec("Vexamor Test Root", nullptr, "01");
    certSpec.keyKind = KeyKind::kRsa2048;
    p.root = makeCertificate(certSpec);

    certSpec = authoritySpec("Vexamor Test Intermediate", &p.root, "02");
    certSpec.keyKind = KeyKind::kEcP384;
    p.intermediate = makeCertificate(certSpec);

    certSpec = signerSpec("Vexamor Test RSA Signer", &p.intermediate, "0A1B2C3D4E5F");
    certSpec.keyKind = KeyKind::kRsa2048;
    p.rsaSigner = makeCertificate(certSpec);

    certSpec = signerSpec("Vexamor Test EC Signer", &p.intermediate, "80C0FFEE");
    certSpec.digest = EVP_sha384();
    p.ecSigner = makeCertificate(certSpec);

    certSpec = signerSpec("Vexamor Test Expired Signer", &p.intermediate, "1001");
    certSpec.notBefore = "20000101000000Z";
    certSpec.notAfter = "20011231235959Z";
    p.expired = makeCertificate(certSpec);

    certSpec = signerSpec("Vexamor Test Future Signer", &p.intermediate, "1002");
    certSpec.notBefore = "20900101000000Z";
    p.notYetValid = makeCertificate(certSpec);

    p.orphanCa = makeCertificate(authoritySpec("Vexamor Test Orphan CA", &p.root, "03"));
    p.brokenChain =
        makeCertificate(signerSpec("Vexamor Test Broken Chain Signer", &p.orphanCa, "1003"));
    p.noKey = makeCertificate(signerSpec("Vexamor Test Keyless", &p.intermediate, "1004"));

    certSpec = signerSpec(std::string(10000, 'L'), &p.intermediate, "1005");
    certSpec.subject.push_back({"emailAddress", "long.name@example.com"});
    certSpec.email = "long.name@example.org";
    p.longName = makeCertificate(certSpec);

    certSpec = signerSpec("Vexamor Test Time Stamping", &p.intermediate, "1006");
    certSpec.extendedKeyUsage = "critical,timeStamping";
    p.tsa = makeCertificate(certSpec);
    return p;
  }();
  return pki;
}

std::vector<const TestCertificate*> TestPki::signers() const {
  return {&rsaSigner, &ecSigner, &expired, &notYetValid, &brokenChain, &noKey, &longName};
}

RevocablePki RevocablePki::make(const std::string& baseUrl) {
  const TestPki& pki = TestPki::get();
  RevocablePki r;
  CertificateSpec certSpec = authoritySpec("Vexamor Test Revocable CA", &pki.root, "04");
  certSpec.crlUrl = baseUrl + "/root.crl";
  certSpec.ocspUrl = baseUrl + "/root-ocsp";
  r.ca = makeCertificate(certSpec);

  certSpec = signerSpec("Vexamor Test Revocable Signer", &r.ca, "2001");
  certSpec.crlUrl = baseUrl + "/ca.crl";
  certSpec.ocspUrl = baseUrl + "/ca-ocsp";
  r.signer = makeCertificate(certSpec);

  certSpec = signerSpec("Vexamor Test OCSP Responder", &r.ca, "2002");
  certSpec.extendedKeyUsage = "OCSPSigning";
  r.responder = makeCertificate(certSpec);

  r.silent = makeCertificate(signerSpec("Vexamor Test Silent Signer", &r.ca, "2003"));

  certSpec = signerSpec("Vexamor Test Revocable Time Stamping", &r.ca, "2004");
  certSpec.extendedKeyUsage = "critical,timeStamping";
  certSpec.crlUrl = baseUrl + "/ca.crl";
  certSpec.ocspUrl = baseUrl + "/ca-ocsp";
  r.tsa = makeCertificate(certSpec);
  return r;
}

ossl::X509Stack RevocablePki::signerChain() const {
  ossl::X509Stack chain(sk_X509_new_null());
  for (X509* cert : {signer.cert.get(), ca.cert.get(), TestPki::get().root.cert.get()}) {
    check(chain && X509_add_cert(chain.get(), cert, X509_ADD_FLAG_UP_REF) == 1, "making a chain");
  }
  return chain;
}

std::string encodePkcs7(PKCS7* p7) {
  unsigned char* der = nullptr;
  const int n = i2d_PKCS7(p7, &der);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(der);
  return bytes;
}

ossl::Pkcs7 decodePkcs7(const std::string& der) {
  const auto* p = reinterpret_cast<const unsigned char*>(der.data());
  return ossl::Pkcs7(d2i_PKCS7(nullptr, &p, static_cast<long>(der.size())));
}

std::string opensslSignature(const TestCertificate& signer, std::string_view content,
                             const EVP_MD* digest, bool detached) {
  const int flags = (detached ? PKCS7_DETACHED : 0) | PKCS7_BINARY | PKCS7_NOATTR | PKCS7_PARTIAL;
  ossl::Pkcs7 p7(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, flags));
  check(p7 != nullptr && PKCS7_sign_add_signer(p7.get(), signer.cert.get(), signer.key.get(),
                                               digest, flags) != nullptr,
        "making a signature");
  ossl::Bio in(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
  check(PKCS7_final(p7.get(), in.get(), flags) == 1, "signing content");
  return encodePkcs7(p7.get());
}

std::string storedNote(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes + std::string(2, '\0');
}

std::string makePkcs12(const TestCertificate& cert, const std::string& password,
                       const std::vector<const TestCertificate*>& chain) {
  ossl::X509Stack others(sk_X509_new_null());
  for (const TestCertificate* c : chain) {
    check(X509_up_ref(c->cert.get()) == 1 && sk_X509_push(others.get(), c->cert.get()) > 0,
          "listing the chain");
  }
  ossl::Pkcs12 p12(PKCS12_create(password.c_str(), "Vexamor test", cert.key.get(), cert.cert.get(),
                                 others.get(), 0, 0, 0, 0, 0));
  check(p12 != nullptr, "making a PKCS #12 file");
  unsigned char* der = nullptr;
  const int n = i2d_PKCS12(p12.get(), &der);
  check(n > 0, "encoding a PKCS #12 file");
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(n));
  OPENSSL_free(der);
  return bytes;
}

TempCertificateFolder::TempCertificateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/vexamor-certificates-XXXXXX";
  check(::mkdtemp(pattern.data()) != nullptr, "making a certificate folder");
  folder_ = pattern;
  if (const char* previous = std::getenv(kCertificateFolderVariable)) {
    hadPrevious_ = true;
    previous_ = previous;
  }
  ::setenv(kCertificateFolderVariable, folder_.c_str(), 1);
}

TempCertificateFolder::~TempCertificateFolder() {
  if (hadPrevious_) {
    ::setenv(kCertificateFolderVariable, previous_.c_str(), 1);
  } else {
    ::unsetenv(kCertificateFolderVariable);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TempCertificateFolder::add(StoreName store, const TestCertificate& cert, bool withKey) const {
  check(CertStore(store, folder_).add(cert.cert.get(), withKey ? cert.key.get() : nullptr) ==
            ERROR_SUCCESS,
        "adding a certificate to a store");
}

void TempCertificateFolder::installStandardSet() const {
  const TestPki& pki = TestPki::get();
  add(StoreName::Root, pki.root, false);
  add(StoreName::CA, pki.intermediate, false);
  for (const TestCertificate* signer : pki.signers()) {
    add(StoreName::My, *signer, signer != &pki.noKey);
  }
}

}  // namespace vexamor::signcore::testing
