// Writes signature blobs over the fuzz content into a folder, as a starting corpus for
// signature_fuzz: RSA and EC signers, with and without a note, a long comment, two signers,
// none, and a note that is not an OCTET STRING. They are made with freshly generated test
// certificates, so they are written at run time and never kept in the repository.
#include <cstdio>
#include <fstream>
#include <string>

#include "signature_fuzz_content.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/testing/test_pki.h"

using namespace vexamor;
using signcore::testing::TestCertificate;

namespace {

std::string sign(const TestCertificate& signer, const std::u16string& timestamp,
                 const std::u16string& comment) {
  signcore::SignatureWriter writer;
  std::string blob;
  const std::u16string note = signcore::makeNote(timestamp, comment);
  const auto* content = reinterpret_cast<const BYTE*>(fuzzing::kSignedContent.data());
  if (FAILED(writer.begin(signer.cert.get(), signer.key.get())) ||
      FAILED(writer.update(content, fuzzing::kSignedContent.size())) ||
      FAILED(writer.finish(note.empty() ? "" : signcore::noteBytes(note), &blob))) {
    std::fprintf(stderr, "signing failed\n");
    std::exit(1);
  }
  return blob;
}

// The blob with its first signer's signer infos changed by `change`.
template <class Change>
std::string edited(const std::string& blob, Change change) {
  ossl::Pkcs7 p7 = signcore::testing::decodePkcs7(blob);
  change(p7.get());
  return signcore::testing::encodePkcs7(p7.get());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: signature_fuzz_seeds FOLDER\n");
    return 2;
  }
  const auto& pki = signcore::testing::TestPki::get();
  const std::string plain = sign(pki.rsaSigner, u"", u"");
  const std::string noted = sign(pki.ecSigner, u"2/12/2003/21/27/7/time", u"A comment");
  const struct {
    const char* name;
    std::string bytes;
  } seeds[] = {
      {"rsa-plain.p7s", plain},
      {"ec-note.p7s", noted},
      {"long-comment.p7s", sign(pki.longName, u"", std::u16string(3000, u'c'))},
      {"expired.p7s", sign(pki.expired, u"1/1/2001/0/0/0/", u"")},
      {"no-signer.p7s", edited(plain,
                               [](PKCS7* p7) {
                                 sk_PKCS7_SIGNER_INFO_pop_free(p7->d.sign->signer_info,
                                                               PKCS7_SIGNER_INFO_free);
                                 p7->d.sign->signer_info = sk_PKCS7_SIGNER_INFO_new_null();
                               })},
      {"two-signers.p7s",
       edited(noted,
              [](PKCS7* p7) {
                PKCS7_SIGNER_INFO* first = sk_PKCS7_SIGNER_INFO_value(p7->d.sign->signer_info, 0);
                sk_PKCS7_SIGNER_INFO_push(p7->d.sign->signer_info,
                                          static_cast<PKCS7_SIGNER_INFO*>(ASN1_item_dup(
                                              ASN1_ITEM_rptr(PKCS7_SIGNER_INFO), first)));
              })},
      {"note-not-octets.p7s",
       edited(noted,
              [](PKCS7* p7) {
                PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(p7->d.sign->signer_info, 0);
                sk_X509_ATTRIBUTE_pop_free(si->unauth_attr, X509_ATTRIBUTE_free);
                si->unauth_attr = nullptr;
                ASN1_INTEGER* n = ASN1_INTEGER_new();
                ASN1_INTEGER_set(n, 19);
                PKCS7_add_attribute(si, NID_subject_key_identifier, V_ASN1_INTEGER, n);
              })},
  };
  for (const auto& seed : seeds) {
    std::ofstream(std::string(argv[1]) + "/" + seed.name, std::ios::binary) << seed.bytes;
  }
  return 0;
}
