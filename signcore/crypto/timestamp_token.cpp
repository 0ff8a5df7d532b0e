#include "signcore/crypto/timestamp_token.h"

#include <openssl/bn.h>
#include <openssl/ess.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <cstring>

#include "platform/com/utf.h"
#include "signcore/crypto/cert_text.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/utc_time.h"

namespace vexamor::signcore {
namespace {

using TsResp = ossl::Ptr<TS_RESP, TS_RESP_free>;
using TstInfo = ossl::Ptr<TS_TST_INFO, TS_TST_INFO_free>;
using TsVerifyCtx = ossl::Ptr<TS_VERIFY_CTX, TS_VERIFY_CTX_free>;
using MsgImprint = ossl::Ptr<TS_MSG_IMPRINT, TS_MSG_IMPRINT_free>;
using Algorithm = ossl::Ptr<X509_ALGOR, X509_ALGOR_free>;
using EssCert = ossl::Ptr<ESS_SIGNING_CERT, ESS_SIGNING_CERT_free>;
using EssCertV2 = ossl::Ptr<ESS_SIGNING_CERT_V2, ESS_SIGNING_CERT_V2_free>;
using Attribute = ossl::Ptr<X509_ATTRIBUTE, X509_ATTRIBUTE_free>;
using AsnString = ossl::Ptr<ASN1_STRING, ASN1_STRING_free>;
using AsnInteger = ossl::Ptr<ASN1_INTEGER, ASN1_INTEGER_free>;
using AsnObject = ossl::Ptr<ASN1_OBJECT, ASN1_OBJECT_free>;
using BigNum = ossl::Ptr<BIGNUM, BN_free>;
using GeneralNames = ossl::Ptr<GENERAL_NAMES, GENERAL_NAMES_free>;

constexpr int kTokenAttribute = NID_id_smime_aa_timeStampToken;  // 1.2.840.113549.1.9.16.2.14
constexpr int kNoteAttribute = NID_subject_key_identifier;       // 2.5.29.14

std::string_view bytesOf(const ASN1_STRING* s) {
  return {reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
          static_cast<size_t>(ASN1_STRING_length(s))};
}

std::string hexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string objectText(const ASN1_OBJECT* object) {
  char text[128] = "";
  OBJ_obj2txt(text, sizeof text, object, 1);
  return text;
}

std::string pkcs7Der(PKCS7* p7) {
  unsigned char* out = nullptr;
  const int n = i2d_PKCS7(p7, &out);
  std::string bytes(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return bytes;
}

ossl::Pkcs7 parsePkcs7(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  ossl::Pkcs7 p7(d2i_PKCS7(nullptr, &p, static_cast<long>(bytes.size())));
  ERR_clear_error();
  return p7;
}

// Imprints count only with a hash that still resists collisions.
bool acceptedImprintHash(int nid) {
  return nid == NID_sha224 || nid == NID_sha256 || nid == NID_sha384 || nid == NID_sha512;
}

bool weakDigest(int nid) {
  return nid == NID_md2 || nid == NID_md4 || nid == NID_md5;
}

std::string generalNameText(const GENERAL_NAME* name) {
  if (name->type == GEN_DIRNAME) return text::utf16ToUtf8(x500Text(name->d.directoryName));
  if (name->type == GEN_URI || name->type == GEN_DNS || name->type == GEN_EMAIL) {
    return std::string(bytesOf(name->d.ia5));
  }
  return "(a name of another kind)";
}

// Whether a token's TSA name is a name of `cert`: its subject, or one of its alternative names.
bool namesCertificate(GENERAL_NAME* name, X509* cert) {
  if (name->type == GEN_DIRNAME &&
      X509_NAME_cmp(name->d.directoryName, X509_get_subject_name(cert)) == 0) {
    return true;
  }
  GeneralNames alt(
      static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr)));
  for (int i = 0; alt && i < sk_GENERAL_NAME_num(alt.get()); ++i) {
    if (GENERAL_NAME_cmp(sk_GENERAL_NAME_value(alt.get(), i), name) == 0) return true;
  }
  return false;
}

// A signed attribute decoded as `T`: null when it is absent; `malformed` set when it is there
// but does not decode.
template <typename T, T* (*Decode)(T**, const unsigned char**, long)>
T* signedAttribute(PKCS7_SIGNER_INFO* si, int nid, bool* malformed) {
  ASN1_TYPE* value = PKCS7_get_signed_attribute(si, nid);
  if (value == nullptr) return nullptr;
  T* decoded = nullptr;
  if (value->type == V_ASN1_SEQUENCE) {
    const unsigned char* p = value->value.sequence->data;
    decoded = Decode(nullptr, &p, value->value.sequence->length);
  }
  if (decoded == nullptr) *malformed = true;
  return decoded;
}

// The signing-certificate attribute (either version) names the certificate that signed, as
// the first of its list, and the others among that certificate's chain.
bool signingCertificateMatches(PKCS7_SIGNER_INFO* si, STACK_OF(X509) * chain) {
  bool malformed = false;
  EssCert v1(signedAttribute<ESS_SIGNING_CERT, d2i_ESS_SIGNING_CERT>(
      si, NID_id_smime_aa_signingCertificate, &malformed));
  EssCertV2 v2(signedAttribute<ESS_SIGNING_CERT_V2, d2i_ESS_SIGNING_CERT_V2>(
      si, NID_id_smime_aa_signingCertificateV2, &malformed));
  const bool matches =
      !malformed && OSSL_ESS_check_signing_certs(v1.get(), v2.get(), chain, 1) == 1;
  ERR_clear_error();
  return matches;
}

bool signatureVerifies(PKCS7* token, PKCS7_SIGNER_INFO* si, X509* signer) {
  ossl::Bio content(PKCS7_dataInit(token, nullptr));
  bool verified = false;
  if (content) {
    char buffer[4096];
    while (BIO_read(content.get(), buffer, sizeof buffer) > 0) {
    }
    verified = PKCS7_signatureVerify(content.get(), token, si, signer) == 1;
  }
  ERR_clear_error();
  return verified;
}

// The imprint is the hash of `data`, made with a hash that is accepted; else why not.
std::string imprintProblem(TS_TST_INFO* tst, std::string_view data) {
  TS_MSG_IMPRINT* imprint = TS_TST_INFO_get_msg_imprint(tst);
  const X509_ALGOR* algorithm = TS_MSG_IMPRINT_get_algo(imprint);
  const int nid = OBJ_obj2nid(algorithm->algorithm);
  if (!acceptedImprintHash(nid)) {
    return "the token's imprint is made with a hash that is not accepted (" +
           objectText(algorithm->algorithm) + ")";
  }
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int mdLength = 0;
  if (EVP_Digest(data.data(), data.size(), md, &mdLength, EVP_get_digestbynid(nid), nullptr) != 1) {
    ERR_clear_error();
    return "the imprint cannot be computed";
  }
  const std::string_view stamped = bytesOf(TS_MSG_IMPRINT_get_msg(imprint));
  if (stamped.size() != mdLength || std::memcmp(stamped.data(), md, mdLength) != 0) {
    return "the token is over other data";
  }
  return {};
}

TimestampCheck verifyParsedToken(PKCS7* token, std::string_view data, X509_STORE* anchors,
                                 STACK_OF(X509) * untrusted) {
  TimestampCheck check;
  const auto refuse = [&check](std::string why) {
    check.hr = TRUST_E_TIME_STAMP;
    check.problem = std::move(why);
    ERR_clear_error();
    return std::move(check);
  };
  TstInfo tst(PKCS7_to_TS_TST_INFO(token));
  if (!tst) return refuse("not a time-stamp token");
  if (!asn1Seconds(TS_TST_INFO_get_time(tst.get()), &check.info.time)) {
    return refuse("the token's time cannot be read");
  }
  check.info.policy = objectText(TS_TST_INFO_get_policy_id(tst.get()));
  check.info.serial = hexText(bytesOf(TS_TST_INFO_get_serial(tst.get())));
  if (std::string why = imprintProblem(tst.get(), data); !why.empty()) return refuse(why);

  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(token);
  if (sk_PKCS7_SIGNER_INFO_num(signers) != 1) return refuse("the token has other than one signer");
  PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(signers, 0);
  X509_ALGOR* digest = nullptr;
  PKCS7_SIGNER_INFO_get0_algs(si, nullptr, &digest, nullptr);
  if (weakDigest(OBJ_obj2nid(digest->algorithm))) {
    return refuse("the token is signed with a weak digest (" + objectText(digest->algorithm) + ")");
  }

  ossl::X509Stack pool(sk_X509_new_null());
  if (!pool || X509_add_certs(pool.get(), token->d.sign->cert, X509_ADD_FLAG_UP_REF) != 1 ||
      X509_add_certs(pool.get(), untrusted, X509_ADD_FLAG_UP_REF) != 1) {
    return refuse("no memory for the token's certificates");
  }
  X509* signer = X509_find_by_issuer_and_serial(pool.get(), si->issuer_and_serial->issuer,
                                                si->issuer_and_serial->serial);
  if (signer == nullptr) return refuse("the token's signing certificate is missing");
  X509_up_ref(signer);
  check.signer.reset(signer);
  check.info.signerName = text::utf16ToUtf8(subjectDisplayName(signer));

  if (GENERAL_NAME* tsa = TS_TST_INFO_get_tsa(tst.get())) {
    check.info.tsaName = generalNameText(tsa);
    if (!namesCertificate(tsa, signer)) {
      return refuse("the token names another authority than the one that signed it");
    }
  } else {
    check.info.tsaName = check.info.signerName;
  }

  // The chain for time stamping at the token's time: a token stays good after its TSA's
  // certificate expires, as the signatures it dates do after theirs.
  ChainCheck chain =
      checkChain(anchors, signer, pool.get(), {X509_PURPOSE_TIMESTAMP_SIGN, check.info.time});
  check.trustStatus = chain.status;
  if (!chain.chain || sk_X509_num(chain.chain.get()) == 0 ||
      sk_X509_value(chain.chain.get(), 0) != signer) {
    chain.chain.reset(sk_X509_new_null());
    if (!chain.chain || !X509_add_cert(chain.chain.get(), signer, X509_ADD_FLAG_UP_REF)) {
      return refuse("no memory for the token's certificates");
    }
  }
  check.chain = std::move(chain.chain);
  if (!signingCertificateMatches(si, check.chain.get())) {
    return refuse("the token's signing-certificate attribute does not name its signer");
  }
  if (!signatureVerifies(token, si, signer)) return refuse("the token's signature does not verify");
  if (check.trustStatus != CERT_TRUST_NO_ERROR) {
    return refuse("the time-stamping certificate is not trusted for time stamping at " +
                  utcTimeText(check.info.time) + ": " + trustStatusWords(check.trustStatus));
  }
  check.hr = S_OK;
  return check;
}

// ----- Adding an attribute in place -----
//
// A SET OF is sorted when OpenSSL encodes it as DER, and a token is often shorter than a long
// note, which would then come first. So the token's attribute is added to the encoded blob
// instead: the enclosing elements are written again with their new lengths, everything else
// stays as it was.

struct Element {
  unsigned char tag;
  std::string_view content;
  std::string_view whole;
};

// The element at the start of `bytes`: low tag numbers and definite lengths only, which is
// all that a DER SignedData holds.
std::optional<Element> readElement(std::string_view bytes) {
  const auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() < 2 || (at(0) & 0x1F) == 0x1F) return std::nullopt;
  size_t header = 2;
  size_t length = at(1);
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    if (count == 0 || count > 4 || bytes.size() < 2 + count) return std::nullopt;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = length << 8 | at(2 + i);
    header += count;
  }
  if (bytes.size() - header < length) return std::nullopt;
  return Element{at(0), bytes.substr(header, length), bytes.substr(0, header + length)};
}

std::optional<std::vector<Element>> children(std::string_view content) {
  std::vector<Element> kids;
  while (!content.empty()) {
    const std::optional<Element> kid = readElement(content);
    if (!kid) return std::nullopt;
    kids.push_back(*kid);
    content.remove_prefix(kid->whole.size());
  }
  return kids;
}

std::string encode(unsigned char tag, std::string_view content) {
  std::string length;
  if (content.size() < 0x80) {
    length = static_cast<char>(content.size());
  } else {
    for (size_t n = content.size(); n > 0; n >>= 8)
      length.insert(length.begin(), static_cast<char>(n & 0xFF));
    length.insert(length.begin(), static_cast<char>(0x80 | length.size()));
  }
  return static_cast<char>(tag) + length + std::string(content);
}

std::string allButLast(const std::vector<Element>& elements) {
  std::string bytes;
  for (size_t i = 0; i + 1 < elements.size(); ++i) bytes += elements[i].whole;
  return bytes;
}

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kExplicit0 = 0xA0;
constexpr unsigned char kImplicit1 = 0xA1;  // a SignerInfo's unauthenticated attributes

// ContentInfo { type, [0] { SignedData { ..., signerInfos SET { SignerInfo { ..., [1] } } } } }
// with `attribute` added at the end of [1], or [1] made for it.
std::optional<std::string> withLastAttribute(std::string_view blob, std::string_view attribute) {
  const std::optional<Element> info = readElement(blob);
  if (!info || info->tag != kSequence || info->whole.size() != blob.size()) return std::nullopt;
  const auto infoKids = children(info->content);
  if (!infoKids || infoKids->size() != 2 || (*infoKids)[1].tag != kExplicit0) return std::nullopt;
  const auto wrapped = children((*infoKids)[1].content);
  if (!wrapped || wrapped->size() != 1 || (*wrapped)[0].tag != kSequence) return std::nullopt;
  const auto signedKids = children((*wrapped)[0].content);
  if (!signedKids || signedKids->empty() || signedKids->back().tag != kSet) return std::nullopt;
  const auto signerInfos = children(signedKids->back().content);
  if (!signerInfos || signerInfos->size() != 1 || (*signerInfos)[0].tag != kSequence) {
    return std::nullopt;
  }
  const auto signerKids = children((*signerInfos)[0].content);
  if (!signerKids || signerKids->empty()) return std::nullopt;

  std::string signer = allButLast(*signerKids);
  const Element& last = signerKids->back();
  if (last.tag == kImplicit1) {
    signer += encode(kImplicit1, std::string(last.content) + std::string(attribute));
  } else {
    signer += std::string(last.whole) + encode(kImplicit1, attribute);
  }
  const std::string signedData = allButLast(*signedKids) + encode(kSet, encode(kSequence, signer));
  return encode(kSequence, std::string((*infoKids)[0].whole) +
                               encode(kExplicit0, encode(kSequence, signedData)));
}

std::optional<std::string> tokenAttribute(std::string_view token) {
  AsnString value(ASN1_STRING_type_new(V_ASN1_SEQUENCE));
  if (!value || ASN1_STRING_set(value.get(), token.data(), static_cast<int>(token.size())) != 1) {
    return std::nullopt;
  }
  Attribute attribute(X509_ATTRIBUTE_create(kTokenAttribute, V_ASN1_SEQUENCE, value.get()));
  if (!attribute) return std::nullopt;
  value.release();  // now the attribute's
  unsigned char* out = nullptr;
  const int n = i2d_X509_ATTRIBUTE(attribute.get(), &out);
  if (n <= 0) return std::nullopt;
  std::string bytes(reinterpret_cast<char*>(out), static_cast<size_t>(n));
  OPENSSL_free(out);
  return bytes;
}

PKCS7_SIGNER_INFO* onlySigner(PKCS7* p7) {
  if (!p7 || !PKCS7_type_is_signed(p7)) return nullptr;
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7);
  return sk_PKCS7_SIGNER_INFO_num(signers) == 1 ? sk_PKCS7_SIGNER_INFO_value(signers, 0) : nullptr;
}

}  // namespace

TimestampCheck verifyTimestampToken(std::string_view token, std::string_view data,
                                    X509_STORE* anchors, STACK_OF(X509) * untrusted) {
  ossl::Pkcs7 p7 = parsePkcs7(token);
  if (!p7) {
    TimestampCheck check;
    check.problem = "not a time-stamp token";
    return check;
  }
  return verifyParsedToken(p7.get(), data, anchors, untrusted);
}

bool describeTimestampToken(std::string_view token, TimestampInfo* info) {
  *info = {};
  ossl::Pkcs7 p7 = parsePkcs7(token);
  TstInfo tst(p7 ? PKCS7_to_TS_TST_INFO(p7.get()) : nullptr);
  if (!tst || !asn1Seconds(TS_TST_INFO_get_time(tst.get()), &info->time)) {
    ERR_clear_error();
    return false;
  }
  info->policy = objectText(TS_TST_INFO_get_policy_id(tst.get()));
  info->serial = hexText(bytesOf(TS_TST_INFO_get_serial(tst.get())));
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
  if (sk_PKCS7_SIGNER_INFO_num(signers) == 1) {
    const PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    if (X509* signer = X509_find_by_issuer_and_serial(
            p7->d.sign->cert, si->issuer_and_serial->issuer, si->issuer_and_serial->serial)) {
      info->signerName = text::utf16ToUtf8(subjectDisplayName(signer));
    }
  }
  const GENERAL_NAME* tsa = TS_TST_INFO_get_tsa(tst.get());
  info->tsaName = tsa != nullptr ? generalNameText(tsa) : info->signerName;
  ERR_clear_error();
  return true;
}

// ----- TimestampRequest -----

HRESULT TimestampRequest::build(std::string_view data, const std::string& policyOid) {
  ossl::Ptr<TS_REQ, TS_REQ_free> req(TS_REQ_new());
  MsgImprint imprint(TS_MSG_IMPRINT_new());
  Algorithm algorithm(X509_ALGOR_new());
  BigNum random(BN_new());
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int mdLength = 0;
  // The hash's parameters are written as NULL, as most authorities expect.
  bool made =
      req && imprint && algorithm && random &&
      X509_ALGOR_set0(algorithm.get(), OBJ_nid2obj(NID_sha256), V_ASN1_NULL, nullptr) == 1 &&
      EVP_Digest(data.data(), data.size(), md, &mdLength, EVP_sha256(), nullptr) == 1 &&
      TS_MSG_IMPRINT_set_algo(imprint.get(), algorithm.get()) == 1 &&
      TS_MSG_IMPRINT_set_msg(imprint.get(), md, static_cast<int>(mdLength)) == 1 &&
      TS_REQ_set_version(req.get(), 1) == 1 &&
      TS_REQ_set_msg_imprint(req.get(), imprint.get()) == 1 &&
      TS_REQ_set_cert_req(req.get(), 1) == 1 &&
      BN_rand(random.get(), 64, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1;
  AsnInteger nonce(made ? BN_to_ASN1_INTEGER(random.get(), nullptr) : nullptr);
  made = made && nonce && TS_REQ_set_nonce(req.get(), nonce.get()) == 1;
  if (!made) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  if (!policyOid.empty()) {
    AsnObject policy(OBJ_txt2obj(policyOid.c_str(), 1));
    if (!policy || TS_REQ_set_policy_id(req.get(), policy.get()) != 1) {
      ERR_clear_error();
      return E_INVALIDARG;
    }
  }
  unsigned char* out = nullptr;
  const int n = i2d_TS_REQ(req.get(), &out);
  if (n <= 0) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  der_.assign(reinterpret_cast<char*>(out), static_cast<size_t>(n));
  OPENSSL_free(out);
  data_ = data;
  req_ = std::move(req);
  return S_OK;
}

TimestampCheck TimestampRequest::check(std::string_view response, X509_STORE* anchors,
                                       std::string* token, STACK_OF(X509) * untrusted) const {
  TimestampCheck check;
  const auto refuse = [&check](std::string why) {
    check.problem = std::move(why);
    ERR_clear_error();
    return std::move(check);
  };
  const auto* p = reinterpret_cast<const unsigned char*>(response.data());
  TsResp resp(d2i_TS_RESP(nullptr, &p, static_cast<long>(response.size())));
  if (!resp) return refuse("the answer is not a time-stamp response");
  const long status =
      ASN1_INTEGER_get(TS_STATUS_INFO_get0_status(TS_RESP_get_status_info(resp.get())));
  if (status != 0 && status != 1) {  // granted, granted with modifications
    return refuse("the authority refused the request (status " + std::to_string(status) + ")");
  }
  PKCS7* answer = TS_RESP_get_token(resp.get());
  if (answer == nullptr) return refuse("the answer carries no token");

  TsVerifyCtx ctx(TS_REQ_to_TS_VERIFY_CTX(req_.get(), nullptr));
  if (!ctx) return refuse("no memory to check the answer");
  int flags = TS_VFY_VERSION | TS_VFY_IMPRINT | TS_VFY_NONCE;
  if (TS_REQ_get_policy_id(req_.get()) != nullptr) flags |= TS_VFY_POLICY;
  TS_VERIFY_CTX_set_flags(ctx.get(), flags);
  if (TS_RESP_verify_response(ctx.get(), resp.get()) != 1) {
    const int reason = ERR_GET_REASON(ERR_peek_last_error());
    if (reason == TS_R_NONCE_MISMATCH || reason == TS_R_NONCE_NOT_RETURNED) {
      return refuse("the token answers another request (its nonce differs)");
    }
    if (reason == TS_R_MESSAGE_IMPRINT_MISMATCH) return refuse("the token is over other data");
    if (reason == TS_R_POLICY_MISMATCH)
      return refuse("the token has another policy than asked for");
    return refuse("the answer does not match the request");
  }
  const std::string tokenDer = pkcs7Der(answer);
  check = verifyParsedToken(answer, data_, anchors, untrusted);
  if (check.ok()) *token = tokenDer;
  return check;
}

TimestampOutcome requestTimestamp(std::string_view data, const TimestampOrder& order,
                                  X509_STORE* anchors, STACK_OF(X509) * untrusted) {
  TimestampOutcome outcome;
  HRESULT last = E_INVALIDARG;  // no URL at all
  const int used = tryEachUrl(
      order.urls,
      [&](const std::string& url, std::string* why) {
        TimestampRequest request;  // a nonce of its own for every authority
        last = request.build(data, order.policy);
        if (FAILED(last)) {
          *why = last == E_INVALIDARG ? "the policy is not an object identifier"
                                      : "the request cannot be made";
          return false;
        }
        const HttpResponse response =
            httpPost(url, "application/timestamp-query", request.der(), order.limits);
        if (!response.ok()) {
          last = httpFailureCode(response);
          *why = response.problem;
          return false;
        }
        const TimestampCheck check =
            request.check(response.body, anchors, &outcome.token, untrusted);
        if (!check.ok()) {
          last = check.hr;
          *why = check.problem;
          return false;
        }
        outcome.info = check.info;
        return true;
      },
      &outcome.failures);
  outcome.hr = used >= 0 ? S_OK : last;
  return outcome;
}

std::string signatureValue(const PKCS7_SIGNER_INFO* signer) {
  return std::string(bytesOf(signer->enc_digest));
}

HRESULT storedTimestampToken(PKCS7_SIGNER_INFO* signer, std::optional<std::string>* token) {
  token->reset();
  STACK_OF(X509_ATTRIBUTE)* attributes = signer->unauth_attr;
  for (int i = 0; i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
    if (OBJ_obj2nid(X509_ATTRIBUTE_get0_object(attribute)) != kTokenAttribute) continue;
    if (token->has_value() || X509_ATTRIBUTE_count(attribute) != 1) return CRYPT_E_ASN1_BADTAG;
    const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    if (value->type != V_ASN1_SEQUENCE) return CRYPT_E_ASN1_BADTAG;
    *token = std::string(bytesOf(value->value.sequence));
  }
  return S_OK;
}

HRESULT addTimestampToken(std::string_view blob, std::string_view token, std::string* out) {
  ossl::Pkcs7 p7 = parsePkcs7(blob);
  PKCS7_SIGNER_INFO* signer = onlySigner(p7.get());
  if (signer == nullptr) return CRYPT_E_ASN1_BADTAG;
  std::optional<std::string> existing;
  const STACK_OF(X509_ATTRIBUTE)* attributes = signer->unauth_attr;
  if (sk_X509_ATTRIBUTE_num(attributes) < 1 ||
      OBJ_obj2nid(X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, 0))) !=
          kNoteAttribute ||
      FAILED(storedTimestampToken(signer, &existing)) || existing || !parsePkcs7(token)) {
    return E_INVALIDARG;
  }
  const std::optional<std::string> attribute = tokenAttribute(token);
  if (!attribute) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  std::optional<std::string> added = withLastAttribute(pkcs7Der(p7.get()), *attribute);
  // What was written must read back as written: one signer, this token.
  ossl::Pkcs7 check = added ? parsePkcs7(*added) : ossl::Pkcs7();
  PKCS7_SIGNER_INFO* checked = onlySigner(check.get());
  std::optional<std::string> stored;
  if (checked == nullptr || FAILED(storedTimestampToken(checked, &stored)) || stored != token) {
    return CRYPT_E_ASN1_BADTAG;
  }
  *out = std::move(*added);
  return S_OK;
}

}  // namespace vexamor::signcore
