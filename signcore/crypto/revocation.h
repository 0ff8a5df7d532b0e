// Revocation checking of a certificate chain: every certificate below the trust anchor is
// looked up with the OCSP responders of its authority information access, then with the CRLs
// of its CRL distribution points, until one gives an answer that its issuer (or a responder
// the issuer delegated to) signed and that is current. Answers with a next-update time are
// kept in a cache folder until then; a cache-only check never touches the network, so that
// callers that must not wait (the icon overlay) still see what an earlier check learned.
//
// A certificate revoked only after a reference time (a signature's time-stamp token time)
// counts as good: the signature was made while it was valid. The effective date of a
// revocation is the earlier of its revocation date and its invalidity date.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win32_types.h"
#include "signcore/crypto/http_fetch.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// "The certificate is revoked."
inline constexpr HRESULT CRYPT_E_REVOKED = makeHresult(0x80092010);
// "The revocation function was unable to check revocation for the certificate."
inline constexpr HRESULT CRYPT_E_NO_REVOCATION_CHECK = makeHresult(0x80092012);
// "The revocation function was unable to check revocation because the revocation server was
// offline."
inline constexpr HRESULT CRYPT_E_REVOCATION_OFFLINE = makeHresult(0x80092013);

// Public CAs' CRLs reach a few megabytes; a larger answer is refused unread.
inline constexpr size_t kCrlSizeLimit = 32u << 20;
inline constexpr size_t kOcspResponseLimit = 256u * 1024;
// Clocks of responder and verifier may differ by this much.
inline constexpr int64_t kRevocationClockSkew = 300;

enum class RevocationMode { kNone, kSoft, kHard };
// "none", "soft", "hard"; nothing for other texts.
std::optional<RevocationMode> parseRevocationMode(std::string_view text);

enum class RevocationState { kGood, kRevoked, kUnknown };

struct CertificateRevocation {
  std::string subject;  // the certificate's simple name, for messages (UTF-8)
  RevocationState state = RevocationState::kUnknown;
  bool namesSources = false;          // an OCSP responder or a CRL distribution point
  int64_t revokedAt = 0;              // kRevoked, or revokedLater: the effective revocation date
  bool revokedLater = false;          // kGood because revoked only after the reference time
  int reason = -1;                    // CRL reason code; -1 when none was given
  std::string source;                 // what answered: "OCSP <url>", "CRL <url>", "(cached)" added
  std::vector<std::string> problems;  // why each source gave no answer
};

struct RevocationReport {
  std::vector<CertificateRevocation> certificates;  // the chain's order, the anchor left out

  bool revoked() const;
  bool unknown() const;
  // CERT_TRUST_IS_REVOKED and CERT_TRUST_REVOCATION_STATUS_UNKNOWN, as they apply.
  LONG trustStatus() const;
};

struct RevocationOptions {
  std::string cacheFolder;                 // empty: no cache
  bool cacheOnly = false;                  // answers from the cache alone, no network at all
  HttpLimits limits{5000, kCrlSizeLimit};  // each fetch; OCSP answers are capped lower
  std::optional<int64_t> at;               // revocations after this time do not count
  int64_t now = 0;                         // the current time; 0: the clock
};

// $XDG_CACHE_HOME/vexamor/revocation, else ~/.cache/vexamor/revocation.
std::string defaultRevocationCacheFolder();

// Checks `chain`: the certificate first, each next one the issuer of the one before, the trust
// anchor last (not checked itself).
RevocationReport checkRevocation(STACK_OF(X509) * chain, const RevocationOptions& options);

// What a report means under a mode: S_OK (with a warning when soft and unknown), or the code
// it fails with, CRYPT_E_REVOKED before CRYPT_E_REVOCATION_OFFLINE (sources that did not
// answer) and CRYPT_E_NO_REVOCATION_CHECK (a certificate that names no source at all).
struct RevocationVerdict {
  HRESULT hr = S_OK;
  bool warning = false;
  std::string text;  // "not revoked", "revoked on ...: <subject>", "revocation unknown: ..."
};
RevocationVerdict judgeRevocation(RevocationMode mode, const RevocationReport& report);

}  // namespace vexamor::signcore
