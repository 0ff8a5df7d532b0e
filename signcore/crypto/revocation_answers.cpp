#include "signcore/crypto/revocation_answers.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <algorithm>

#include "signcore/crypto/utc_time.h"

namespace vexamor::signcore {
namespace {

using OcspResponse = ossl::Ptr<OCSP_RESPONSE, OCSP_RESPONSE_free>;
using OcspBasic = ossl::Ptr<OCSP_BASICRESP, OCSP_BASICRESP_free>;
using Crl = ossl::Ptr<X509_CRL, X509_CRL_free>;
using StringStack = ossl::Ptr<STACK_OF(OPENSSL_STRING), X509_email_free>;
using DistPoints = ossl::Ptr<CRL_DIST_POINTS, CRL_DIST_POINTS_free>;
using IssuingPoint = ossl::Ptr<ISSUING_DIST_POINT, ISSUING_DIST_POINT_free>;
using GeneralizedTime = ossl::Ptr<ASN1_GENERALIZEDTIME, ASN1_GENERALIZEDTIME_free>;
using Enumerated = ossl::Ptr<ASN1_ENUMERATED, ASN1_ENUMERATED_free>;

// The date from which a revocation counts: its invalidity date (when the key is known or
// suspected to have been compromised) when that is earlier than the revocation date.
int64_t effectiveDate(const ASN1_TIME* revoked, const ASN1_GENERALIZEDTIME* invalidity) {
  int64_t date = 0;
  asn1Seconds(revoked, &date);
  int64_t invalid = 0;
  if (invalidity != nullptr && asn1Seconds(invalidity, &invalid)) date = std::min(date, invalid);
  return date;
}

// Whether an answer's update times make it current at `now`; false when unreadable.
bool current(const ASN1_TIME* thisUpdate, const ASN1_TIME* nextUpdate, int64_t now,
             std::optional<int64_t>* next) {
  int64_t issued = 0;
  if (!asn1Seconds(thisUpdate, &issued) || issued > now + kRevocationClockSkew) return false;
  if (nextUpdate == nullptr) return true;  // always newer information: use it, keep it not
  int64_t until = 0;
  if (!asn1Seconds(nextUpdate, &until) || until < now - kRevocationClockSkew) return false;
  *next = until;
  return true;
}

// The response is signed by the issuer itself, or by a responder that the issuer certified
// for OCSP signing and that is valid now.
bool signedByIssuerOrItsResponder(OCSP_BASICRESP* basic, X509* issuer, int64_t now) {
  ossl::X509Stack issuerOnly(sk_X509_new_null());
  X509* signer = nullptr;
  if (!issuerOnly || !X509_add_cert(issuerOnly.get(), issuer, X509_ADD_FLAG_UP_REF) ||
      OCSP_resp_get0_signer(basic, &signer, issuerOnly.get()) != 1) {
    return false;
  }
  // The signature alone, with the signer taken as given: who may sign is decided below.
  ossl::X509Stack signerOnly(sk_X509_new_null());
  if (!signerOnly || !X509_add_cert(signerOnly.get(), signer, X509_ADD_FLAG_UP_REF) ||
      OCSP_basic_verify(basic, signerOnly.get(), nullptr, OCSP_TRUSTOTHER | OCSP_NOINTERN) != 1) {
    return false;
  }
  if (X509_cmp(signer, issuer) == 0) return true;
  return X509_check_issued(issuer, signer) == X509_V_OK &&
         X509_verify(signer, X509_get0_pubkey(issuer)) == 1 &&
         (X509_get_extension_flags(signer) & EXFLAG_XKUSAGE) != 0 &&
         (X509_get_extended_key_usage(signer) & XKU_OCSP_SIGN) != 0 && withinValidity(signer, now);
}

Crl parseCrl(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  Crl crl(d2i_X509_CRL(nullptr, &p, static_cast<long>(bytes.size())));
  if (!crl) {
    ossl::Bio bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
    if (bio) crl.reset(PEM_read_bio_X509_CRL(bio.get(), nullptr, nullptr, nullptr));
  }
  ERR_clear_error();
  return crl;
}

bool urlAmong(const GENERAL_NAMES* names, const std::string& url) {
  for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
    const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
    if (name->type == GEN_URI &&
        std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(name->d.ia5)),
                         static_cast<size_t>(ASN1_STRING_length(name->d.ia5))) == url) {
      return true;
    }
  }
  return false;
}

// Why the CRL from `url` cannot speak for `cert`: it covers only part of its issuer's
// certificates or reasons (a partitioned, indirect or delta CRL), or has a critical extension
// that is not understood here. Empty when it covers the certificate fully.
std::string scopeProblem(X509_CRL* crl, X509* cert, const std::string& url) {
  for (int i = 0; i < X509_CRL_get_ext_count(crl); ++i) {
    X509_EXTENSION* ext = X509_CRL_get_ext(crl, i);
    const int nid = OBJ_obj2nid(X509_EXTENSION_get_object(ext));
    if (X509_EXTENSION_get_critical(ext) && nid != NID_issuing_distribution_point &&
        nid != NID_authority_key_identifier && nid != NID_crl_number) {
      return "the CRL has a critical extension that is not understood";
    }
  }
  IssuingPoint idp(static_cast<ISSUING_DIST_POINT*>(
      X509_CRL_get_ext_d2i(crl, NID_issuing_distribution_point, nullptr, nullptr)));
  if (!idp) return {};
  const bool ca = X509_check_ca(cert) > 0;
  if (idp->indirectCRL || idp->onlysomereasons != nullptr || idp->onlyattr ||
      (idp->onlyuser && ca) || (idp->onlyCA && !ca)) {
    return "the CRL covers only part of its issuer's certificates";
  }
  if (idp->distpoint != nullptr &&
      (idp->distpoint->type != 0 || !urlAmong(idp->distpoint->name.fullname, url))) {
    return "the CRL is for another distribution point";
  }
  return {};
}

}  // namespace

RevocationAnswer noAnswer(std::string why) {
  RevocationAnswer answer;
  answer.problem = std::move(why);
  ERR_clear_error();
  return answer;
}

RevocationAnswer readOcspAnswer(std::string_view bytes, OCSP_CERTID* id, X509* issuer,
                                OCSP_REQUEST* request, int64_t now) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  OcspResponse response(d2i_OCSP_RESPONSE(nullptr, &p, static_cast<long>(bytes.size())));
  if (!response) return noAnswer("the answer is not an OCSP response");
  const int status = OCSP_response_status(response.get());
  if (status != OCSP_RESPONSE_STATUS_SUCCESSFUL) {
    return noAnswer(std::string("the responder answered \"") + OCSP_response_status_str(status) +
                    "\"");
  }
  OcspBasic basic(OCSP_response_get1_basic(response.get()));
  if (!basic) return noAnswer("the answer is not a basic OCSP response");
  // A responder that leaves the nonce out (-1) is common and allowed; a different one is not.
  if (request != nullptr && OCSP_check_nonce(request, basic.get()) == 0) {
    return noAnswer("the answer is for another request (its nonce differs)");
  }
  if (!signedByIssuerOrItsResponder(basic.get(), issuer, now)) {
    return noAnswer("the answer is not signed by the issuer or a responder it certified");
  }
  const int index = OCSP_resp_find(basic.get(), id, -1);
  OCSP_SINGLERESP* single = index >= 0 ? OCSP_resp_get0(basic.get(), index) : nullptr;
  if (single == nullptr) return noAnswer("the answer is about other certificates");
  int reason = -1;
  ASN1_GENERALIZEDTIME* revokedAt = nullptr;
  ASN1_GENERALIZEDTIME* thisUpdate = nullptr;
  ASN1_GENERALIZEDTIME* nextUpdate = nullptr;
  const int certStatus =
      OCSP_single_get0_status(single, &reason, &revokedAt, &thisUpdate, &nextUpdate);
  RevocationAnswer answer;
  if (!current(thisUpdate, nextUpdate, now, &answer.nextUpdate)) {
    return noAnswer("the answer is out of date");
  }
  if (certStatus == V_OCSP_CERTSTATUS_GOOD) {
    answer.state = RevocationState::kGood;
  } else if (certStatus == V_OCSP_CERTSTATUS_REVOKED) {
    GeneralizedTime invalidity(static_cast<ASN1_GENERALIZEDTIME*>(
        OCSP_SINGLERESP_get1_ext_d2i(single, NID_invalidity_date, nullptr, nullptr)));
    answer.state = RevocationState::kRevoked;
    answer.revokedAt = effectiveDate(revokedAt, invalidity.get());
    answer.reason = reason;
  } else {
    return noAnswer("the responder does not know the certificate");
  }
  ERR_clear_error();
  return answer;
}

RevocationAnswer readCrlAnswer(std::string_view bytes, X509* cert, X509* issuer,
                               const std::string& url, int64_t now) {
  Crl crl = parseCrl(bytes);
  if (!crl) return noAnswer("the answer is not a CRL");
  if (X509_NAME_cmp(X509_CRL_get_issuer(crl.get()), X509_get_issuer_name(cert)) != 0) {
    return noAnswer("the CRL is from another issuer");
  }
  if ((X509_get_key_usage(issuer) & KU_CRL_SIGN) == 0) {
    return noAnswer("the issuer may not sign CRLs");
  }
  if (X509_CRL_verify(crl.get(), X509_get0_pubkey(issuer)) != 1) {
    return noAnswer("the CRL's signature does not verify");
  }
  if (std::string why = scopeProblem(crl.get(), cert, url); !why.empty()) return noAnswer(why);
  RevocationAnswer answer;
  if (!current(X509_CRL_get0_lastUpdate(crl.get()), X509_CRL_get0_nextUpdate(crl.get()), now,
               &answer.nextUpdate)) {
    return noAnswer("the CRL is out of date");
  }
  // Without a next update nothing tells a current CRL from an old one replayed.
  if (!answer.nextUpdate) return noAnswer("the CRL gives no next update");
  X509_REVOKED* entry = nullptr;
  // 2: listed as removed from the CRL, which means no longer on hold.
  if (X509_CRL_get0_by_cert(crl.get(), &entry, cert) == 1) {
    GeneralizedTime invalidity(static_cast<ASN1_GENERALIZEDTIME*>(
        X509_REVOKED_get_ext_d2i(entry, NID_invalidity_date, nullptr, nullptr)));
    Enumerated reason(static_cast<ASN1_ENUMERATED*>(
        X509_REVOKED_get_ext_d2i(entry, NID_crl_reason, nullptr, nullptr)));
    answer.state = RevocationState::kRevoked;
    answer.revokedAt = effectiveDate(X509_REVOKED_get0_revocationDate(entry), invalidity.get());
    answer.reason = reason ? static_cast<int>(ASN1_ENUMERATED_get(reason.get())) : -1;
  } else {
    answer.state = RevocationState::kGood;
  }
  ERR_clear_error();
  return answer;
}
std::vector<std::string> ocspAddresses(X509* cert) {
  std::vector<std::string> urls;
  StringStack list(X509_get1_ocsp(cert));
  for (int i = 0; list && i < sk_OPENSSL_STRING_num(list.get()); ++i) {
    urls.emplace_back(sk_OPENSSL_STRING_value(list.get(), i));
  }
  return urls;
}

std::vector<std::string> crlAddresses(X509* cert) {
  std::vector<std::string> urls;
  DistPoints points(static_cast<CRL_DIST_POINTS*>(
      X509_get_ext_d2i(cert, NID_crl_distribution_points, nullptr, nullptr)));
  for (int i = 0; points && i < sk_DIST_POINT_num(points.get()); ++i) {
    const DIST_POINT* point = sk_DIST_POINT_value(points.get(), i);
    if (point->distpoint == nullptr || point->distpoint->type != 0 || point->reasons != nullptr ||
        point->CRLissuer != nullptr) {
      continue;
    }
    const GENERAL_NAMES* names = point->distpoint->name.fullname;
    for (int j = 0; j < sk_GENERAL_NAME_num(names); ++j) {
      const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, j);
      if (name->type != GEN_URI) continue;
      urls.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(name->d.ia5)),
                        static_cast<size_t>(ASN1_STRING_length(name->d.ia5)));
    }
  }
  ERR_clear_error();
  return urls;
}
}  // namespace vexamor::signcore
