// Authorities for tests, played by the openssl command on files in a temporary folder of their
// own: a certificate authority's revocation data (`openssl ca -gencrl` for CRLs, `openssl ocsp
// -index` for OCSP answers) and a time-stamping authority (`openssl ts -reply`), served over
// HTTP on the loopback address by LocalTrustServices.
//
// The OCSP responder runs per request (-reqin/-respout) behind the test's own loopback server
// rather than with its own -port, which would listen on every interface of the machine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "signcore/crypto/testing/loopback_http_server.h"
#include "signcore/crypto/testing/run_command.h"
#include "signcore/crypto/testing/test_pki.h"

namespace vexamor::signcore::testing {

// A temporary folder, removed with its contents afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};

// A cache folder of a test's own, named by XDG_CACHE_HOME while the object lives (and so for
// the programs the test starts), where revocation answers are kept.
class ScratchCacheHome {
 public:
  ScratchCacheHome();
  ScratchCacheHome(const ScratchCacheHome&) = delete;
  ScratchCacheHome& operator=(const ScratchCacheHome&) = delete;
  ~ScratchCacheHome();

  const std::string& path() const { return folder_.path(); }
  // Removes every revocation answer kept so far.
  void forget() const;

 private:
  ScratchFolder folder_;
  std::optional<std::string> previous_;
};

// A certificate authority's database of issued and revoked certificates, and what it signs
// from it. Throws std::runtime_error when the openssl command fails.
class OpensslCa {
 public:
  explicit OpensslCa(const TestCertificate& ca);

  // Lists a certificate as valid: OCSP answers "good" only for listed certificates.
  void issue(const TestCertificate& cert);
  // Lists it as revoked at `when` (seconds since 1970); `invalidSince` makes it a key
  // compromise known from that date (the invalidity date).
  void revoke(const TestCertificate& cert, int64_t when,
              std::optional<int64_t> invalidSince = std::nullopt);

  // A CRL (DER) with the revoked certificates, next update `seconds` ahead.
  std::string crl(int seconds = 3600) const;
  // The answer to an OCSP request (DER), signed by the authority or by `responder` on its
  // behalf, next update `minutes` ahead.
  std::string ocsp(const std::string& request, const TestCertificate* responder = nullptr,
                   int minutes = 60) const;

 private:
  void writeIndex() const;

  const TestCertificate& ca_;
  ScratchFolder folder_;
  std::map<std::string, std::string> entries_;  // index lines by serial
};

// A time-stamping authority. Tokens carry the authority's certificate and `chain`, name the
// authority, and have the policy 1.3.6.1.4.1.99999.1 unless 1.3.6.1.4.1.99999.2 is asked for.
class OpensslTsa {
 public:
  static constexpr const char* kDefaultPolicy = "1.3.6.1.4.1.99999.1";
  static constexpr const char* kOtherPolicy = "1.3.6.1.4.1.99999.2";

  OpensslTsa(const TestCertificate& tsa, const std::vector<const TestCertificate*>& chain);
  // The response (DER) to a request (DER).
  std::string reply(const std::string& request) const;

 private:
  ScratchFolder folder_;
};

// A loopback server with a time-stamping authority at /tsa (TestPki's tsa) and the revocation
// data of a RevocablePki made for it: the root's CRL and OCSP at /root.crl and /root-ocsp, the
// revocable CA's at /ca.crl and /ca-ocsp, and the RevocablePki's own time-stamping authority
// at /ca-tsa. Every certificate of the set starts out listed as valid.
class LocalTrustServices {
 public:
  LocalTrustServices();

  LoopbackHttpServer server;
  RevocablePki pki;
  OpensslCa rootCa;
  OpensslCa issuingCa;  // pki.ca
  OpensslTsa tsa;
  OpensslTsa revocableTsa;                      // pki.tsa
  const TestCertificate* ocspSigner = nullptr;  // who signs /ca-ocsp answers; null: pki.ca
  int crlSeconds = 3600;
  int ocspMinutes = 60;
};

// The openssl command's verdict, for showing that another reader accepts what we write:
// `openssl smime -verify` of a detached signature over `content`, and `openssl ts -verify
// -data` of a time-stamp token over `data`, each trusting the certificates in
// `authoritiesPem`.
CommandOutcome opensslVerifySignature(const std::string& blob, const std::string& content,
                                      const std::string& authoritiesPem);
CommandOutcome opensslVerifyToken(const std::string& token, const std::string& data,
                                  const std::string& authoritiesPem);

// "YYYYMMDDHHMMSSZ" of a time, for openssl's options and files.
std::string generalizedTime(int64_t seconds);

}  // namespace vexamor::signcore::testing
