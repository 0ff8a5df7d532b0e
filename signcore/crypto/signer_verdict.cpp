#include "signcore/crypto/signer_verdict.h"

#include <ctime>
#include <optional>

#include "platform/com/utf.h"
#include "platform/registry/dword_value.h"
#include "platform/registry/unique_key.h"
#include "signcore/crypto/timestamp_token.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/utc_time.h"

namespace vexamor::signcore {
namespace {

constexpr const char16_t* kSettingsKey = u"Software\\Vexamor\\Vexamor Digital Signatures";
constexpr const char16_t* kFetchValue = u"RevocationFetch";

constexpr LONG kModeMask = 0xFF;
constexpr LONG kCacheOnlyFlag = 0x100;

// "the token is over other data" as a sentence of a message.
std::u16string sentence(const std::string& words) {
  std::u16string text = text::utf8ToUtf16(words);
  if (!text.empty() && text[0] >= u'a' && text[0] <= u'z') text[0] = text[0] - u'a' + u'A';
  return text + u".";
}

SignerVerdict failure(HRESULT hr, LONG result, const std::string& why, LONG status = 0) {
  SignerVerdict verdict;
  verdict.hr = hr;
  verdict.result = result;
  verdict.reason = why.empty() ? std::u16string() : sentence(why);
  verdict.trustStatus = status;
  return verdict;
}

RevocationOptions revocationOptions(const TrustOptions& options, std::optional<int64_t> at) {
  RevocationOptions revocation;
  revocation.cacheFolder = defaultRevocationCacheFolder();
  revocation.cacheOnly = options.cacheOnly;
  revocation.limits.timeoutMs = options.timeoutMs;
  revocation.at = at;
  return revocation;
}

// The bits a revocation report sets: revoked always, unknown where it counts as a failure.
LONG revocationBits(RevocationMode mode, const RevocationReport& report) {
  if (mode == RevocationMode::kNone) return CERT_TRUST_NO_ERROR;
  const LONG bits = report.trustStatus();
  return mode == RevocationMode::kHard ? bits : bits & CERT_TRUST_IS_REVOKED;
}

// The certificates of `more` that `report` does not hold yet (a TSA issued by the signer's own
// authority shares that authority with the signer's chain).
void addCertificates(RevocationReport* report, RevocationReport more) {
  for (CertificateRevocation& c : more.certificates) {
    bool known = false;
    for (const CertificateRevocation& k : report->certificates) {
      known = known || (k.subject == c.subject && k.state == c.state);
    }
    if (!known) report->certificates.push_back(std::move(c));
  }
}

// Why a signer's certificate is not valid now, for a signature without a token.
std::string validityWords(X509* signer) {
  int64_t notAfter = 0;
  int64_t notBefore = 0;
  const int64_t now = std::time(nullptr);
  if (asn1Seconds(X509_get0_notAfter(signer), &notAfter) && notAfter < now) {
    return "not time-stamped, and the signer's certificate expired on " + utcTimeText(notAfter);
  }
  if (asn1Seconds(X509_get0_notBefore(signer), &notBefore) && notBefore > now) {
    return "not time-stamped, and the signer's certificate is valid only from " +
           utcTimeText(notBefore);
  }
  return "not time-stamped, and the signer's certificate is not valid now";
}

std::string joined(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + ", " + b;
}

}  // namespace

TrustOptions defaultTrustOptions() {
  TrustOptions options;
  registry::UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    return options;
  }
  if (const std::optional<DWORD> fetch = registry::queryDwordValue(key.get(), kFetchValue)) {
    options.cacheOnly = (*fetch & 1) == 0;
  }
  return options;
}

bool trustOptionsFromFlags(LONG flags, TrustOptions* options) {
  if ((flags & ~(kModeMask | kCacheOnlyFlag)) != 0) return false;
  static constexpr RevocationMode kModes[] = {RevocationMode::kNone, RevocationMode::kSoft,
                                              RevocationMode::kHard};
  const LONG mode = flags & kModeMask;
  if (mode >= static_cast<LONG>(std::size(kModes))) return false;
  options->mode = kModes[mode];
  options->cacheOnly = (flags & kCacheOnlyFlag) != 0;
  return true;
}

SignerVerdict judgeSigner(const SignatureBlob& blob, const std::string& certificateFolder,
                          const TrustOptions& options) {
  X509* signer = blob.signerCertificate();
  const SharedAnchors anchors = trustAnchorStore(certificateFolder);
  ossl::X509Stack candidates = chainCandidates(certificateFolder, blob.certificates());

  // The token first: one that does not hold makes the signature not valid, whatever else.
  std::optional<std::string> token;
  if (FAILED(storedTimestampToken(blob.signerInfo(), &token))) {
    return failure(TRUST_E_TIME_STAMP, 0, "the signature carries a malformed time stamp");
  }
  std::optional<TimestampCheck> stamp;
  if (token) {
    TimestampCheck check = verifyTimestampToken(*token, signatureValue(blob.signerInfo()),
                                                anchors.get(), candidates.get());
    if (!check.ok()) {
      return failure(TRUST_E_TIME_STAMP, 0, "the time stamp does not hold: " + check.problem);
    }
    if (!withinValidity(signer, check.info.time)) {
      return failure(TRUST_E_TIME_STAMP, 0,
                     "the time stamp, " + utcTimeText(check.info.time) +
                         ", lies outside the validity of the signer's certificate");
    }
    stamp = std::move(check);
  }
  const std::optional<int64_t> at = stamp ? std::optional<int64_t>(stamp->info.time) : std::nullopt;

  const ChainCheck chain = checkChain(anchors.get(), signer, candidates.get(), {0, at});
  // Without a token, a certificate that has merely expired (or is not valid yet) still signed.
  const LONG tolerated = stamp ? CERT_TRUST_NO_ERROR : CERT_TRUST_IS_NOT_TIME_VALID;
  if ((chain.status & ~tolerated) != 0) {
    return failure(TRUST_E_CERT_SIGNATURE, 1, "", chain.status);
  }
  // A certificate made for something else (a web server's, say) signs nothing here, however
  // trusted its chain.
  if (signingUsageStatus(signer) != CERT_TRUST_NO_ERROR) {
    return failure(TRUST_E_CERT_SIGNATURE, 1,
                   "the signer's certificate is not meant for signing: its key usage or extended "
                   "key usage leaves signing out",
                   chain.status | CERT_TRUST_IS_NOT_VALID_FOR_USAGE);
  }

  RevocationReport report;
  if (options.mode != RevocationMode::kNone) {
    const RevocationOptions revocation = revocationOptions(options, at);
    report = checkRevocation(chain.chain.get(), revocation);
    // A token whose authority's key was stolen before it stamped proves nothing.
    if (stamp) addCertificates(&report, checkRevocation(stamp->chain.get(), revocation));
  }
  const RevocationVerdict revocation = judgeRevocation(options.mode, report);
  const LONG status = chain.status | revocationBits(options.mode, report);
  if (FAILED(revocation.hr)) return failure(revocation.hr, 0, revocation.text, status);

  SignerVerdict verdict;
  verdict.trustStatus = status;
  std::string revocationText = revocation.text;
  if (stamp) {
    verdict.text =
        "time-stamped " + utcTimeText(stamp->info.time) + " by " + stamp->info.signerName;
    static constexpr std::string_view kNotRevoked = "not revoked";
    if (revocationText.starts_with(kNotRevoked)) {
      revocationText.insert(kNotRevoked.size(), " at that time");
    }
  } else if ((chain.status & CERT_TRUST_IS_NOT_TIME_VALID) != 0) {
    verdict.text = validityWords(signer);
  }
  verdict.text = joined(verdict.text, revocationText);
  return verdict;
}

LONG certificateTrustStatus(X509* cert, const std::string& certificateFolder,
                            const TrustOptions& options) {
  ossl::X509Stack candidates = chainCandidates(certificateFolder, nullptr);
  const ChainCheck chain = checkChain(cert, candidates.get(), certificateFolder);
  LONG status = chain.status | signingUsageStatus(cert);
  if ((status & ~CERT_TRUST_IS_NOT_TIME_VALID) == 0 && options.mode != RevocationMode::kNone) {
    status |= revocationBits(
        options.mode, checkRevocation(chain.chain.get(), revocationOptions(options, std::nullopt)));
  }
  return status;
}

}  // namespace vexamor::signcore
