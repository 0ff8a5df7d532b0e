#include "signcore/crypto/revocation.h"

#include <openssl/ocsp.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/com/utf.h"
#include "platform/fileio/replace_file.h"
#include "signcore/crypto/cert_text.h"
#include "signcore/crypto/revocation_answers.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/utc_time.h"

namespace vexamor::signcore {
namespace {

using OcspRequest = ossl::Ptr<OCSP_REQUEST, OCSP_REQUEST_free>;
using OcspCertId = ossl::Ptr<OCSP_CERTID, OCSP_CERTID_free>;

std::string derOf(const OCSP_CERTID* id) {
  unsigned char* out = nullptr;
  const int n = i2d_OCSP_CERTID(const_cast<OCSP_CERTID*>(id), &out);
  std::string bytes(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return bytes;
}

// ----- The cache -----

// Answers kept in files named by the SHA-256 of what they answer (a CRL's URL, an OCSP
// certificate identifier). Files are replaced whole, so that a reader sees an old answer or
// a new one. Everything read back is checked again as if it had just been fetched.
class Cache {
 public:
  explicit Cache(std::string folder) : folder_(std::move(folder)) {}

  std::optional<std::string> read(const std::string& key, size_t limit) const {
    if (folder_.empty()) return std::nullopt;
    std::ifstream in(path(key), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    bytes.resize(limit + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() > limit) return std::nullopt;
    return bytes;
  }

  void write(const std::string& key, std::string_view bytes) const {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    fileio::replaceFile(
        path(key), [bytes](int fd) { return fileio::writeAll(fd, bytes.data(), bytes.size()); });
  }

 private:
  std::string path(const std::string& key) const {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(key.data(), key.size(), md, &length, EVP_sha256(), nullptr);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name;
    for (unsigned int i = 0; i < length; ++i) {
      name += kDigits[md[i] >> 4];
      name += kDigits[md[i] & 0x0F];
    }
    return folder_ + "/" + name + ".der";
  }

  std::string folder_;
};

class Checker {
 public:
  explicit Checker(const RevocationOptions& options)
      : options_(options),
        cache_(options.cacheFolder),
        now_(options.now != 0 ? options.now : static_cast<int64_t>(std::time(nullptr))) {}

  CertificateRevocation check(X509* cert, X509* issuer) const {
    CertificateRevocation result;
    result.subject = text::utf16ToUtf8(subjectDisplayName(cert));
    const std::vector<std::string> ocsp = ocspAddresses(cert);
    const std::vector<std::string> crls = crlAddresses(cert);
    result.namesSources = !ocsp.empty() || !crls.empty();
    if (!result.namesSources) {
      result.problems.push_back("the certificate names no OCSP responder and no CRL");
      return result;
    }
    RevocationAnswer answer;
    const auto attempt = [&](bool fromOcsp) {
      return [&, fromOcsp](const std::string& url, std::string* why) {
        bool cached = false;
        answer =
            fromOcsp ? askOcsp(cert, issuer, url, &cached) : askCrl(cert, issuer, url, &cached);
        if (answer.state == RevocationState::kUnknown) {
          *why = answer.problem;
          return false;
        }
        result.source = (fromOcsp ? "OCSP " : "CRL ") + url + (cached ? " (cached)" : "");
        return true;
      };
    };
    const bool answered = tryEachUrl(ocsp, attempt(true), &result.problems) >= 0 ||
                          tryEachUrl(crls, attempt(false), &result.problems) >= 0;
    if (!answered) return result;
    result.state = answer.state;
    result.revokedAt = answer.revokedAt;
    result.reason = answer.reason;
    if (answer.state == RevocationState::kRevoked && options_.at &&
        answer.revokedAt > *options_.at) {
      result.state = RevocationState::kGood;
      result.revokedLater = true;
    }
    return result;
  }

 private:
  RevocationAnswer askOcsp(X509* cert, X509* issuer, const std::string& url, bool* cached) const {
    OcspCertId id(OCSP_cert_to_id(EVP_sha1(), cert, issuer));
    if (!id) return noAnswer("no memory for the request");
    const std::string key = "ocsp " + derOf(id.get());
    if (std::optional<std::string> kept = cache_.read(key, kOcspResponseLimit)) {
      RevocationAnswer answer = readOcspAnswer(*kept, id.get(), issuer, nullptr, now_);
      if (answer.state != RevocationState::kUnknown && answer.nextUpdate) {
        *cached = true;
        return answer;
      }
    }
    if (options_.cacheOnly) return noAnswer("no current answer in the cache");
    OcspRequest request(OCSP_REQUEST_new());
    OCSP_CERTID* requested = OCSP_CERTID_dup(id.get());
    if (!request || requested == nullptr ||
        OCSP_request_add0_id(request.get(), requested) == nullptr) {
      OCSP_CERTID_free(requested);
      return noAnswer("no memory for the request");
    }
    OCSP_request_add1_nonce(request.get(), nullptr, -1);
    unsigned char* der = nullptr;
    const int n = i2d_OCSP_REQUEST(request.get(), &der);
    if (n <= 0) return noAnswer("no memory for the request");
    const std::string body(reinterpret_cast<char*>(der), static_cast<size_t>(n));
    OPENSSL_free(der);
    HttpLimits limits = options_.limits;
    limits.maxBytes = std::min(limits.maxBytes, kOcspResponseLimit);
    const HttpResponse response = httpPost(url, "application/ocsp-request", body, limits);
    if (!response.ok()) return noAnswer(response.problem);
    RevocationAnswer answer = readOcspAnswer(response.body, id.get(), issuer, request.get(), now_);
    if (answer.nextUpdate) cache_.write(key, response.body);
    return answer;
  }

  RevocationAnswer askCrl(X509* cert, X509* issuer, const std::string& url, bool* cached) const {
    const std::string key = "crl " + url;
    if (std::optional<std::string> kept = cache_.read(key, options_.limits.maxBytes)) {
      RevocationAnswer answer = readCrlAnswer(*kept, cert, issuer, url, now_);
      if (answer.state != RevocationState::kUnknown && answer.nextUpdate) {
        *cached = true;
        return answer;
      }
    }
    if (options_.cacheOnly) return noAnswer("no current CRL in the cache");
    const HttpResponse response = httpGet(url, options_.limits);
    if (!response.ok()) return noAnswer(response.problem);
    RevocationAnswer answer = readCrlAnswer(response.body, cert, issuer, url, now_);
    if (answer.nextUpdate) cache_.write(key, response.body);
    return answer;
  }

  const RevocationOptions& options_;
  Cache cache_;
  int64_t now_;
};

std::string reasonText(int reason) {
  return reason >= 0 ? std::string(" (") + OCSP_crl_reason_str(reason) + ")" : "";
}

}  // namespace

std::optional<RevocationMode> parseRevocationMode(std::string_view text) {
  if (text == "none") return RevocationMode::kNone;
  if (text == "soft") return RevocationMode::kSoft;
  if (text == "hard") return RevocationMode::kHard;
  return std::nullopt;
}

bool RevocationReport::revoked() const {
  return std::any_of(certificates.begin(), certificates.end(),
                     [](const auto& c) { return c.state == RevocationState::kRevoked; });
}

bool RevocationReport::unknown() const {
  return std::any_of(certificates.begin(), certificates.end(),
                     [](const auto& c) { return c.state == RevocationState::kUnknown; });
}

LONG RevocationReport::trustStatus() const {
  return (revoked() ? CERT_TRUST_IS_REVOKED : 0) |
         (unknown() ? CERT_TRUST_REVOCATION_STATUS_UNKNOWN : 0);
}

std::string defaultRevocationCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/vexamor/revocation";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/vexamor/revocation";
  return {};
}

RevocationReport checkRevocation(STACK_OF(X509) * chain, const RevocationOptions& options) {
  RevocationReport report;
  const Checker checker(options);
  for (int i = 0; i + 1 < sk_X509_num(chain); ++i) {
    report.certificates.push_back(
        checker.check(sk_X509_value(chain, i), sk_X509_value(chain, i + 1)));
  }
  return report;
}

RevocationVerdict judgeRevocation(RevocationMode mode, const RevocationReport& report) {
  RevocationVerdict verdict;
  if (mode == RevocationMode::kNone) {
    verdict.text = "revocation not checked";
    return verdict;
  }
  for (const CertificateRevocation& c : report.certificates) {
    if (c.state != RevocationState::kRevoked) continue;
    verdict.hr = CRYPT_E_REVOKED;
    verdict.text =
        "revoked on " + utcTimeText(c.revokedAt) + reasonText(c.reason) + ": " + c.subject;
    return verdict;
  }
  std::string unknown;
  bool silent = false;  // a certificate that names no source at all
  for (const CertificateRevocation& c : report.certificates) {
    if (c.state != RevocationState::kUnknown) continue;
    silent = silent || !c.namesSources;
    unknown += (unknown.empty() ? "" : "; ") + c.subject;
    for (const std::string& problem : c.problems) unknown += ", " + problem;
  }
  if (unknown.empty()) {
    verdict.text = "not revoked";
    for (const CertificateRevocation& c : report.certificates) {
      if (!c.revokedLater) continue;
      verdict.text += "; " + c.subject + " revoked later, on " + utcTimeText(c.revokedAt) +
                      reasonText(c.reason);
    }
    return verdict;
  }
  verdict.text = "revocation unknown: " + unknown;
  if (mode == RevocationMode::kHard) {
    verdict.hr = silent ? CRYPT_E_NO_REVOCATION_CHECK : CRYPT_E_REVOCATION_OFFLINE;
  } else {
    verdict.warning = true;
  }
  return verdict;
}

}  // namespace vexamor::signcore
