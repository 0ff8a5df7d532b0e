// Writes a starting corpus for trust_data_fuzz into a folder: a token and its TSTInfo, a
// time-stamp response, OCSP responses (good, revoked), a CRL with a revoked entry, and
// signature blobs with a note, with and without a token, each behind the byte that picks its
// reader. They are made by the openssl command with freshly generated test certificates, so
// they are written at run time and never kept in the repository.
#include <openssl/ocsp.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/crypto/timestamp_token.h"
#include "trust_data_fuzz_content.h"

using namespace vexamor;
using namespace vexamor::signcore;
using testing::TestPki;

namespace {

std::string folder;

void write(const std::string& name, char reader, const std::string& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out << reader << bytes;
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", name.c_str());
    std::exit(1);
  }
}

std::string ocspRequest(const testing::RevocablePki& pki) {
  ossl::Ptr<OCSP_REQUEST, OCSP_REQUEST_free> request(OCSP_REQUEST_new());
  OCSP_request_add0_id(request.get(),
                       OCSP_cert_to_id(EVP_sha1(), pki.signer.cert.get(), pki.ca.cert.get()));
  OCSP_request_add1_nonce(request.get(), nullptr, -1);
  unsigned char* out = nullptr;
  const int n = i2d_OCSP_REQUEST(request.get(), &out);
  std::string der(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return der;
}

std::string blob(const std::string& note) {
  const testing::TestCertificate& signer = TestPki::get().rsaSigner;
  SignatureWriter writer;
  std::string der;
  writer.begin(signer.cert.get(), signer.key.get());
  writer.update(reinterpret_cast<const BYTE*>("content"), 7);
  writer.finish(note, &der);
  return der;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust_data_fuzz_seeds FOLDER\n");
    return 2;
  }
  folder = argv[1];
  const TestPki& pki = TestPki::get();
  testing::OpensslTsa tsa(pki.tsa, {&pki.intermediate});
  TimestampRequest request;
  request.build(fuzzing::kSignatureValue, "");
  const std::string response = tsa.reply(request.der());
  ossl::X509Store anchors(X509_STORE_new());
  X509_STORE_add_cert(anchors.get(), pki.root.cert.get());
  std::string token;
  if (!request.check(response, anchors.get(), &token).ok()) {
    std::fprintf(stderr, "the test authority's token does not verify\n");
    return 1;
  }
  write("token", 0, token);
  ossl::Pkcs7 p7 = testing::decodePkcs7(token);
  ossl::Ptr<TS_TST_INFO, TS_TST_INFO_free> tst(PKCS7_to_TS_TST_INFO(p7.get()));
  unsigned char* out = nullptr;
  const int n = i2d_TS_TST_INFO(tst.get(), &out);
  write("tst-info", 1, std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)));
  OPENSSL_free(out);
  write("response", 2, response);

  const testing::RevocablePki revocable = testing::RevocablePki::make(fuzzing::kBaseUrl);
  testing::OpensslCa ca(revocable.ca);
  ca.issue(revocable.signer);
  write("ocsp-good", 3, ca.ocsp(ocspRequest(revocable)));
  write("ocsp-good-resigned", 4, ca.ocsp(ocspRequest(revocable), &revocable.responder));
  ca.revoke(revocable.signer, std::time(nullptr) - 86400, std::time(nullptr) - 3 * 86400);
  write("ocsp-revoked", 3, ca.ocsp(ocspRequest(revocable)));
  write("crl", 5, ca.crl());
  write("crl-resigned", 6, ca.crl());

  const std::string noted = blob(noteBytes(makeNote(u"12/8/2026/10/15/2/local", u"comment")));
  std::string stamped;
  addTimestampToken(noted, token, &stamped);
  write("blob-note", 7, noted);
  write("blob-token", 7, stamped);
  write("blob-plain", 7, blob(""));
  return 0;
}
