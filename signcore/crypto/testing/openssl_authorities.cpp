#include "signcore/crypto/testing/openssl_authorities.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>

#include "signcore/crypto/testing/run_command.h"

namespace vexamor::signcore::testing {
namespace {

std::string timeText(int64_t seconds, const char* format) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

void run(const std::string& command, const std::string& folder) {
  const CommandOutcome outcome = runCommand("cd '" + folder + "' && (" + command + ")");
  if (outcome.status != 0) {
    throw std::runtime_error("test authority: `" + command + "` failed: " + outcome.out);
  }
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string generalizedTime(int64_t seconds) {
  return timeText(seconds, "%Y%m%d%H%M%SZ");
}

ScratchFolder::ScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/vexamor-authority-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + file(name));
}

std::string ScratchFolder::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file(name));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScratchCacheHome::ScratchCacheHome() {
  if (const char* old = std::getenv("XDG_CACHE_HOME")) previous_ = old;
  ::setenv("XDG_CACHE_HOME", folder_.path().c_str(), 1);
}

ScratchCacheHome::~ScratchCacheHome() {
  if (previous_) {
    ::setenv("XDG_CACHE_HOME", previous_->c_str(), 1);
  } else {
    ::unsetenv("XDG_CACHE_HOME");
  }
}

void ScratchCacheHome::forget() const {
  std::error_code ignored;
  std::filesystem::remove_all(folder_.file("vexamor"), ignored);
}

namespace {

// Runs the openssl command `arguments` in a scratch folder that holds `files` (name, bytes).
CommandOutcome opensslWith(std::initializer_list<std::pair<const char*, const std::string*>> files,
                           const std::string& arguments) {
  ScratchFolder folder;
  for (const auto& [name, bytes] : files) folder.write(name, *bytes);
  return runCommand("cd '" + folder.path() + "' && openssl " + arguments);
}

}  // namespace

CommandOutcome opensslVerifySignature(const std::string& blob, const std::string& content,
                                      const std::string& authoritiesPem) {
  return opensslWith({{"blob.der", &blob}, {"content.bin", &content}, {"ca.pem", &authoritiesPem}},
                     "smime -verify -binary -inform DER -in blob.der -content content.bin "
                     "-CAfile ca.pem -purpose any -out /dev/null");
}

CommandOutcome opensslVerifyToken(const std::string& token, const std::string& data,
                                  const std::string& authoritiesPem) {
  return opensslWith({{"token.der", &token}, {"data.bin", &data}, {"ca.pem", &authoritiesPem}},
                     "ts -verify -token_in -in token.der -data data.bin -CAfile ca.pem");
}

// ----- OpensslCa -----

OpensslCa::OpensslCa(const TestCertificate& ca) : ca_(ca) {
  folder_.write("ca.pem", ca.certificatePem());
  folder_.write("ca.key", ca.keyPem());
  folder_.write("crlnumber", "01\n");
  folder_.write("index.txt.attr", "unique_subject = no\n");
  folder_.write("ca.cnf",
                "[ ca ]\n"
                "default_ca = test_ca\n"
                "[ test_ca ]\n"
                "database = ./index.txt\n"
                "certificate = ./ca.pem\n"
                "private_key = ./ca.key\n"
                "crlnumber = ./crlnumber\n"
                "default_md = sha256\n");
  writeIndex();
}

void OpensslCa::issue(const TestCertificate& cert) {
  const std::string serial = upper(cert.serialUtf8());
  entries_[serial] = "V\t20991231235959Z\t\t" + serial + "\tunknown\t/CN=" + serial;
  writeIndex();
}

void OpensslCa::revoke(const TestCertificate& cert, int64_t when,
                       std::optional<int64_t> invalidSince) {
  const std::string serial = upper(cert.serialUtf8());
  const std::string reason =
      invalidSince ? "keyTime," + generalizedTime(*invalidSince) : std::string("superseded");
  entries_[serial] = "R\t20991231235959Z\t" + timeText(when, "%y%m%d%H%M%SZ") + "," + reason +
                     "\t" + serial + "\tunknown\t/CN=" + serial;
  writeIndex();
}

void OpensslCa::writeIndex() const {
  std::string index;
  for (const auto& [serial, line] : entries_) index += line + "\n";
  folder_.write("index.txt", index);
}

std::string OpensslCa::crl(int seconds) const {
  run("openssl ca -gencrl -config ca.cnf -crlsec " + std::to_string(seconds) +
          " -out crl.pem && openssl crl -in crl.pem -outform DER -out crl.der",
      folder_.path());
  return folder_.read("crl.der");
}

std::string OpensslCa::ocsp(const std::string& request, const TestCertificate* responder,
                            int minutes) const {
  std::string signer = "ca.pem";
  std::string key = "ca.key";
  if (responder != nullptr) {
    folder_.write("responder.pem", responder->certificatePem());
    folder_.write("responder.key", responder->keyPem());
    signer = "responder.pem";
    key = "responder.key";
  }
  folder_.write("request.der", request);
  run("openssl ocsp -index index.txt -CA ca.pem -rsigner " + signer + " -rkey " + key + " -nmin " +
          std::to_string(minutes) + " -reqin request.der -respout response.der",
      folder_.path());
  return folder_.read("response.der");
}

// ----- OpensslTsa -----

OpensslTsa::OpensslTsa(const TestCertificate& tsa,
                       const std::vector<const TestCertificate*>& chain) {
  std::string chainPem;
  for (const TestCertificate* cert : chain) chainPem += cert->certificatePem();
  folder_.write("tsa.pem", tsa.certificatePem());
  folder_.write("tsa.key", tsa.keyPem());
  folder_.write("chain.pem", chainPem);
  folder_.write("serial", "01\n");
  folder_.write("tsa.cnf", std::string("[ tsa ]\n"
                                       "default_tsa = tsa_config\n"
                                       "[ tsa_config ]\n"
                                       "serial = ./serial\n"
                                       "signer_cert = ./tsa.pem\n"
                                       "signer_key = ./tsa.key\n"
                                       "certs = ./chain.pem\n"
                                       "signer_digest = sha256\n"
                                       "default_policy = ") +
                               kDefaultPolicy + "\nother_policies = " + kOtherPolicy +
                               "\n"
                               "digests = sha256, sha384, sha512\n"
                               "accuracy = secs:1\n"
                               "ordering = no\n"
                               "tsa_name = yes\n"
                               "ess_cert_id_chain = no\n"
                               "ess_cert_id_alg = sha256\n");
}

std::string OpensslTsa::reply(const std::string& request) const {
  folder_.write("request.tsq", request);
  run("openssl ts -reply -config tsa.cnf -queryfile request.tsq -out response.tsr", folder_.path());
  return folder_.read("response.tsr");
}

// ----- LocalTrustServices -----

LocalTrustServices::LocalTrustServices()
    : pki(RevocablePki::make(server.url(""))),
      rootCa(TestPki::get().root),
      issuingCa(pki.ca),
      tsa(TestPki::get().tsa, {&TestPki::get().intermediate}),
      revocableTsa(pki.tsa, {&pki.ca}) {
  rootCa.issue(pki.ca);
  for (const TestCertificate* cert : {&pki.signer, &pki.responder, &pki.silent, &pki.tsa}) {
    issuingCa.issue(*cert);
  }
  using Reply = LoopbackHttpServer::Reply;
  using Request = LoopbackHttpServer::Request;
  server.handle("/tsa", [this](const Request& request) {
    return Reply{200, "application/timestamp-reply", tsa.reply(request.body)};
  });
  server.handle("/ca-tsa", [this](const Request& request) {
    return Reply{200, "application/timestamp-reply", revocableTsa.reply(request.body)};
  });
  server.handle("/root.crl", [this](const Request&) {
    return Reply{200, "application/pkix-crl", rootCa.crl(crlSeconds)};
  });
  server.handle("/ca.crl", [this](const Request&) {
    return Reply{200, "application/pkix-crl", issuingCa.crl(crlSeconds)};
  });
  server.handle("/root-ocsp", [this](const Request& request) {
    return Reply{200, "application/ocsp-response", rootCa.ocsp(request.body, nullptr, ocspMinutes)};
  });
  server.handle("/ca-ocsp", [this](const Request& request) {
    return Reply{200, "application/ocsp-response",
                 issuingCa.ocsp(request.body, ocspSigner, ocspMinutes)};
  });
}

}  // namespace vexamor::signcore::testing
