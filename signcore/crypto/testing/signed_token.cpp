#include "signcore/crypto/testing/signed_token.h"

#include <openssl/ess.h>

namespace vexamor::signcore::testing {

std::string signTimestampContent(std::string_view tstInfo, const TestCertificate& signer,
                                 const TestCertificate& named,
                                 const std::vector<const TestCertificate*>& others) {
  ossl::Pkcs7 p7(PKCS7_new());
  if (!p7 || PKCS7_set_type(p7.get(), NID_pkcs7_signed) != 1) return {};
  ASN1_INTEGER_set(p7->d.sign->version, 3);
  PKCS7_add_certificate(p7.get(), signer.cert.get());
  for (const TestCertificate* other : others) PKCS7_add_certificate(p7.get(), other->cert.get());
  PKCS7_SIGNER_INFO* si =
      PKCS7_add_signature(p7.get(), signer.cert.get(), signer.key.get(), EVP_sha256());
  if (si == nullptr) return {};
  PKCS7_add_signed_attribute(si, NID_pkcs9_contentType, V_ASN1_OBJECT,
                             OBJ_nid2obj(NID_id_smime_ct_TSTInfo));
  ossl::Ptr<ESS_SIGNING_CERT_V2, ESS_SIGNING_CERT_V2_free> ess(
      OSSL_ESS_signing_cert_v2_new_init(EVP_sha256(), named.cert.get(), nullptr, 0));
  unsigned char* essDer = nullptr;
  const int essLength = ess ? i2d_ESS_SIGNING_CERT_V2(ess.get(), &essDer) : 0;
  ASN1_STRING* essValue = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
  ASN1_STRING_set(essValue, essDer, essLength);
  OPENSSL_free(essDer);
  PKCS7_add_signed_attribute(si, NID_id_smime_aa_signingCertificateV2, V_ASN1_SEQUENCE, essValue);

  // The content is an OCTET STRING of type id-ct-TSTInfo, as authorities write it.
  PKCS7* inner = PKCS7_new();
  inner->type = OBJ_nid2obj(NID_id_smime_ct_TSTInfo);
  inner->d.other = ASN1_TYPE_new();
  inner->d.other->type = V_ASN1_OCTET_STRING;
  inner->d.other->value.octet_string = ASN1_OCTET_STRING_new();
  PKCS7_set_content(p7.get(), inner);
  ossl::Bio bio(PKCS7_dataInit(p7.get(), nullptr));
  if (!bio) return {};
  BIO_write(bio.get(), tstInfo.data(), static_cast<int>(tstInfo.size()));
  if (PKCS7_dataFinal(p7.get(), bio.get()) != 1) return {};
  return encodePkcs7(p7.get());
}

}  // namespace vexamor::signcore::testing
