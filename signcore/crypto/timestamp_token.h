// RFC 3161 time stamps for signatures: a token from a time-stamping authority (TSA) that says
// the signature value existed at the token's time. A signature whose token was made while the
// signer's certificate was valid stays valid after that certificate expires or is revoked.
//
// The token is requested over the SignerInfo's signature value and kept in that SignerInfo as
// the unauthenticated attribute id-aa-timeStampToken (1.2.840.113549.1.9.16.2.14), after the
// note attribute, so that readers that take the first unauthenticated attribute as the note
// still find it there.
//
// A token counts only when everything about it holds: its imprint is the hash of the bytes it
// is said to cover, its own signature verifies, the certificate named in its signed
// signing-certificate attribute is the one that signed, its TSA name (when given) names that
// certificate, and that certificate chains to a trust anchor for time stamping (the critical
// timeStamping extended key usage) at the token's time.
#pragma once

#include <openssl/ts.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win32_types.h"
#include "signcore/crypto/http_fetch.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// "The timestamp signature and/or certificate could not be verified or is malformed."
inline constexpr HRESULT TRUST_E_TIME_STAMP = makeHresult(0x80096005);

// Responses and tokens are short; a TSA's answer past this is refused unread.
inline constexpr size_t kTimestampResponseLimit = 256 * 1024;

// What a token says about itself.
struct TimestampInfo {
  int64_t time = 0;        // seconds since 1970, UTC
  std::string tsaName;     // the token's TSA name, else its signer's simple name (UTF-8)
  std::string signerName;  // the simple name of the certificate that signed it (UTF-8)
  std::string policy;      // dotted object identifier
  std::string serial;      // lower-case hexadecimal
};

// The verdict on a token.
struct TimestampCheck {
  HRESULT hr = TRUST_E_TIME_STAMP;  // S_OK: genuine, over the expected bytes
  std::string problem;              // why it is not, in words
  LONG trustStatus = 0;             // the signer's chain at the token's time (trust_chain.h)
  TimestampInfo info;               // as far as the token could be read
  ossl::X509Ptr signer;             // the TSA's certificate, once found
  ossl::X509Stack chain;            // its chain as far as it was built, the anchor last

  bool ok() const { return hr == S_OK; }
};

// Checks a token (DER ContentInfo) over `data`. Issuers of the TSA's certificate are looked
// for among the token's certificates, `untrusted` (may be null) and `anchors`.
TimestampCheck verifyTimestampToken(std::string_view token, std::string_view data,
                                    X509_STORE* anchors, STACK_OF(X509) * untrusted);

// What a token (DER ContentInfo) says about itself, read without verifying it: for showing a
// token that verification has judged. False when it is no token at all.
bool describeTimestampToken(std::string_view token, TimestampInfo* info);

// A request for a token over some bytes: SHA-256 imprint, a random 64-bit nonce, the TSA's
// certificate asked for, and a policy when one is given.
class TimestampRequest {
 public:
  TimestampRequest() = default;
  TimestampRequest(const TimestampRequest&) = delete;
  TimestampRequest& operator=(const TimestampRequest&) = delete;

  // E_INVALIDARG for a policy that is not a dotted object identifier.
  HRESULT build(std::string_view data, const std::string& policyOid);
  const std::string& der() const { return der_; }

  // Checks a TSA's answer to this request: status granted, this request's nonce, imprint and
  // policy, and a token that verifyTimestampToken accepts. On success `token` is its DER.
  TimestampCheck check(std::string_view response, X509_STORE* anchors, std::string* token,
                       STACK_OF(X509) * untrusted = nullptr) const;

 private:
  ossl::Ptr<TS_REQ, TS_REQ_free> req_;
  std::string data_;
  std::string der_;
};

struct TimestampOrder {
  std::vector<std::string> urls;  // tried in turn until one gives a good token
  std::string policy;             // empty: the TSA's default
  HttpLimits limits{10000, kTimestampResponseLimit};
};

struct TimestampOutcome {
  HRESULT hr = TRUST_E_TIME_STAMP;  // S_OK, else the code of the last URL's failure
  std::string token;
  TimestampInfo info;
  std::vector<std::string> failures;  // "<url>: <why>" for each URL that gave no token
};

// Asks the order's TSAs in turn for a token over `data` and checks each answer; issuers of
// a TSA's certificate are looked for among its token's certificates and `untrusted`.
TimestampOutcome requestTimestamp(std::string_view data, const TimestampOrder& order,
                                  X509_STORE* anchors, STACK_OF(X509) * untrusted = nullptr);

// The signer's signature value: the bytes that its token covers.
std::string signatureValue(const PKCS7_SIGNER_INFO* signer);

// The token stored with a signer. Nothing when it has none; CRYPT_E_ASN1_BADTAG when the
// attribute is there more than once, has other than one value, or its value is no SEQUENCE.
HRESULT storedTimestampToken(PKCS7_SIGNER_INFO* signer, std::optional<std::string>* token);

// `blob` (a SignedData with exactly one signer, a note and no token yet) with `token` added as
// the signer's last unauthenticated attribute. The attributes keep their order, the note first,
// even where sorting them as DER would put the token ahead of a long note: readers find the
// note by its place. CRYPT_E_ASN1_BADTAG for a blob that is not such a SignedData;
// E_INVALIDARG when it has a token already, or no note (the token would take the note's
// place), or `token` is not a ContentInfo.
HRESULT addTimestampToken(std::string_view blob, std::string_view token, std::string* out);

}  // namespace vexamor::signcore
