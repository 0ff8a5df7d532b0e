// Reading the two kinds of revocation data about one certificate: an OCSP response and a CRL.
// Either counts only when the certificate's issuer (or a responder that the issuer certified
// for it) signed it, it speaks for this certificate, and it is current; otherwise it is no
// answer, and the answer says why.
#pragma once

#include <openssl/ocsp.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signcore/crypto/openssl_ptr.h"
#include "signcore/crypto/revocation.h"

namespace vexamor::signcore {

struct RevocationAnswer {
  RevocationState state = RevocationState::kUnknown;  // kUnknown: no answer
  int64_t revokedAt = 0;  // kRevoked: the effective date (revocation or invalidity date)
  int reason = -1;        // the CRL reason code; -1 when none was given
  std::optional<int64_t> nextUpdate;  // the answer may be kept until then
  std::string problem;                // kUnknown: why
};

// No answer, for `why` (the thread's OpenSSL errors are cleared).
RevocationAnswer noAnswer(std::string why);

// An OCSP response about the certificate that `id` names, issued by `issuer`. `request` is the
// request it answers, whose nonce it must not contradict; null for a response kept from
// earlier, which answers no request of ours.
RevocationAnswer readOcspAnswer(std::string_view response, OCSP_CERTID* id, X509* issuer,
                                OCSP_REQUEST* request, int64_t now);

// A CRL (DER or PEM) fetched from `url`, about `cert`, issued by `issuer`.
RevocationAnswer readCrlAnswer(std::string_view crl, X509* cert, X509* issuer,
                               const std::string& url, int64_t now);

// The OCSP responders of the authority information access.
std::vector<std::string> ocspAddresses(X509* cert);
// The full-name URIs of distribution points that cover every reason and whose CRL the issuer
// itself signs: the CRLs that can answer alone.
std::vector<std::string> crlAddresses(X509* cert);

}  // namespace vexamor::signcore
