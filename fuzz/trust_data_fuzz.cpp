// Feeds arbitrary bytes to the readers of what time-stamping authorities and revocation
// sources send: time-stamp tokens and responses, OCSP responses, CRLs, and blobs that carry a
// token. The first byte picks the reader; the rest is its input. Some readers take the input
// as content that this program signs itself with the authority's key before reading it, so
// that mutations reach what is checked after the signature, not only the parsing before it.
// No reader may crash, leak or read past its input, and none may call a token good that is
// not over the fixed signature value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "signcore/crypto/revocation_answers.h"
#include "signcore/crypto/testing/signed_token.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/crypto/timestamp_token.h"
#include "trust_data_fuzz_content.h"

namespace {

using namespace vexamor;
using namespace vexamor::signcore;
using testing::TestPki;

constexpr int64_t kNow = 1796000000;  // in 2026, within every certificate's validity

struct Fixture {
  ossl::X509Store anchors{X509_STORE_new()};
  testing::RevocablePki pki = testing::RevocablePki::make(fuzzing::kBaseUrl);
  ossl::Ptr<OCSP_CERTID, OCSP_CERTID_free> id{
      OCSP_cert_to_id(EVP_sha1(), pki.signer.cert.get(), pki.ca.cert.get())};
  std::string token;  // a token made here, for the blob reader

  Fixture() { X509_STORE_add_cert(anchors.get(), TestPki::get().root.cert.get()); }
};

Fixture& fixture() {
  static Fixture* f = new Fixture;
  return *f;
}

// An OCSP response's basic response signed again by the revocable CA.
std::string resignedOcsp(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  ossl::Ptr<OCSP_RESPONSE, OCSP_RESPONSE_free> response(
      d2i_OCSP_RESPONSE(nullptr, &p, static_cast<long>(bytes.size())));
  if (!response) return std::string(bytes);
  ossl::Ptr<OCSP_BASICRESP, OCSP_BASICRESP_free> basic(OCSP_response_get1_basic(response.get()));
  const testing::TestCertificate& ca = fixture().pki.ca;
  if (!basic || OCSP_basic_sign(basic.get(), ca.cert.get(), ca.key.get(), EVP_sha256(), nullptr,
                                OCSP_NOCERTS) != 1) {
    return std::string(bytes);
  }
  ossl::Ptr<OCSP_RESPONSE, OCSP_RESPONSE_free> again(
      OCSP_response_create(OCSP_RESPONSE_STATUS_SUCCESSFUL, basic.get()));
  unsigned char* out = nullptr;
  const int n = again ? i2d_OCSP_RESPONSE(again.get(), &out) : 0;
  std::string der(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return der;
}

// A CRL signed again by the revocable CA.
std::string resignedCrl(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  ossl::Ptr<X509_CRL, X509_CRL_free> crl(
      d2i_X509_CRL(nullptr, &p, static_cast<long>(bytes.size())));
  if (!crl || X509_CRL_sign(crl.get(), fixture().pki.ca.key.get(), EVP_sha256()) <= 0) {
    return std::string(bytes);
  }
  unsigned char* out = nullptr;
  const int n = i2d_X509_CRL(crl.get(), &out);
  std::string der(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return der;
}

void checkToken(const std::string& token) {
  const TimestampCheck check =
      verifyTimestampToken(token, fuzzing::kSignatureValue, fixture().anchors.get(), nullptr);
  if (check.ok() && (check.signer == nullptr || !check.problem.empty())) __builtin_trap();
  // Over other bytes, no token is good.
  if (verifyTimestampToken(token, "other", fixture().anchors.get(), nullptr).ok()) __builtin_trap();
}

void checkAnswer(const RevocationAnswer& answer) {
  if ((answer.state == RevocationState::kUnknown) == answer.problem.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fixture();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1 << 20) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  Fixture& f = fixture();
  X509* signer = f.pki.signer.cert.get();
  X509* ca = f.pki.ca.cert.get();
  switch (data[0] % 8) {
    case 0:
      checkToken(input);
      break;
    case 1:
      checkToken(testing::signTimestampContent(input, TestPki::get().tsa, TestPki::get().tsa,
                                               {&TestPki::get().intermediate}));
      break;
    case 2: {
      TimestampRequest request;
      if (FAILED(request.build(fuzzing::kSignatureValue, ""))) __builtin_trap();
      std::string token;
      // A response to another request (this one's nonce is fresh) is never good.
      if (request.check(input, f.anchors.get(), &token).ok() || !token.empty()) __builtin_trap();
      break;
    }
    case 3:
      checkAnswer(readOcspAnswer(input, f.id.get(), ca, nullptr, kNow));
      break;
    case 4:
      checkAnswer(readOcspAnswer(resignedOcsp(input), f.id.get(), ca, nullptr, kNow));
      break;
    case 5:
      checkAnswer(readCrlAnswer(input, signer, ca, fuzzing::kCrlUrl, kNow));
      break;
    case 6:
      checkAnswer(readCrlAnswer(resignedCrl(input), signer, ca, fuzzing::kCrlUrl, kNow));
      break;
    case 7: {
      ossl::Pkcs7 p7 = testing::decodePkcs7(input);
      if (p7 && PKCS7_type_is_signed(p7.get())) {
        STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
        for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(signers); ++i) {
          std::optional<std::string> token;
          storedTimestampToken(sk_PKCS7_SIGNER_INFO_value(signers, i), &token);
        }
      }
      std::string stamped;
      if (SUCCEEDED(addTimestampToken(input, fuzzing::kAnyToken, &stamped)) && stamped.empty()) {
        __builtin_trap();
      }
      break;
    }
  }
  ERR_clear_error();
  return 0;
}
