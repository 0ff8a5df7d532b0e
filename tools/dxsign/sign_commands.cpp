// dxsign sign, verify and info: the signature handlers as a client uses them, each file's
// handler found through VexaFindSignFile by the file's extension.
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"
#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/trust_chain.h"
#include "tools/dxsign/certificate_choice.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"
#include "tools/dxsign/file_handlers.h"
#include "tools/dxsign/file_jobs.h"
#include "tools/dxsign/printable.h"
#include "tools/dxsign/time_text.h"

namespace vexamor::dxsign {
namespace {

using com::Bstr;
using com::ComPtr;

// The worst status of all files: a failure outweighs "not signed", which outweighs success.
int overallStatus(const std::vector<FileOutcome>& outcomes) {
  int status = kSuccess;
  for (const FileOutcome& o : outcomes) {
    if (o.status == kFailure) return kFailure;
    if (o.status == kNotSigned) status = kNotSigned;
  }
  return status;
}

std::string timeText(IVexaSystemTime* time) {
  return time != nullptr ? utcText(time) : "";
}

struct SignOptions {
  std::vector<std::string> files;
  std::string certificate;
  std::optional<std::string> comment;
  std::optional<std::string> timeServer;
  LONG timeout = 0;
  std::vector<std::string> authorities;  // time-stamping authorities, tried in turn
  std::optional<std::string> policy;
};

// The BSTR array that AddSignWithTimestamp takes, owning its strings.
class BstrArray {
 public:
  explicit BstrArray(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
      owned_.emplace_back(text);
      pointers_.push_back(owned_.back().get());
    }
  }
  LONG size() const { return static_cast<LONG>(pointers_.size()); }
  BSTR* data() { return pointers_.data(); }

 private:
  std::deque<Bstr> owned_;
  std::vector<BSTR> pointers_;
};

// Verification's revocation checking, as --revocation names it; soft unless told.
bool parseRevocation(const std::vector<std::string>& args, std::vector<std::string>* rest,
                     LONG* flags) {
  *flags = VEXA_REVOCATION_SOFT;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--revocation" && i + 1 < args.size()) {
      const std::string& mode = args[++i];
      if (mode == "none") {
        *flags = VEXA_REVOCATION_NONE;
      } else if (mode == "soft") {
        *flags = VEXA_REVOCATION_SOFT;
      } else if (mode == "hard") {
        *flags = VEXA_REVOCATION_HARD;
      } else {
        return false;
      }
    } else if (args[i] == "--") {
      rest->insert(rest->end(), args.begin() + i + 1, args.end());
      break;
    } else if (args[i].starts_with("--")) {
      return false;
    } else {
      rest->push_back(args[i]);
    }
  }
  return true;
}

struct Verification {
  HRESULT hr = E_FAIL;
  LONG valid = 0;
  std::string verdict;  // what holds besides the signature; may be empty
};

// The signature of `path` checked by its handler, with revocation and the time stamp when the
// handler knows them.
Verification verifyWith(IVexaSignFile* handler, const std::string& path, LONG revocation) {
  Verification v;
  ComPtr<IVexaSignFile2> checker;
  if (FAILED(com::ComPtr<IVexaSignFile>(handler).queryTo(&checker))) {
    v.hr = handler->VerifySign(Bstr(path).get(), nullptr, &v.valid);
    return v;
  }
  LONG status = 0;
  Bstr verdict;
  v.hr = checker->VerifySignEx(Bstr(path).get(), revocation, &v.valid, &status, verdict.out());
  v.verdict = verdict.utf8();
  return v;
}

// Certificates whose chain is signed with SHA-1 still sign, so that their holders are not
// cut off; say that they should be replaced.
void warnOfWeakChain(const CertificateName& certificate) {
  const std::string folder = signcore::certificateFolder();
  const signcore::CertStore my(signcore::StoreName::My, folder);
  const auto found = signcore::findCertificate(my, text::utf8ToUtf16(certificate.subject),
                                               text::utf8ToUtf16(certificate.issuer),
                                               text::utf8ToUtf16(certificate.serial));
  if (!found) return;
  ossl::X509Stack candidates = signcore::chainCandidates(folder, nullptr);
  bool sha1 = false;
  signcore::chainTrustStatus(found->cert.get(), candidates.get(), folder, &sha1);
  if (sha1) {
    std::cerr << "dxsign: warning: the chain of " << printable(certificate.subject)
              << " is signed with SHA-1, which is weak: signatures made with it verify, but "
                 "ask its issuer for a certificate signed with SHA-256\n";
  }
}

bool parseSignOptions(const std::vector<std::string>& args, SignOptions* options) {
  bool haveCertificate = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--cert" && hasValue) {
      options->certificate = args[++i];
      haveCertificate = true;
    } else if (a == "--comment" && hasValue) {
      options->comment = args[++i];
    } else if (a == "--time-server" && hasValue) {
      options->timeServer = args[++i];
    } else if (a == "--timeout" && hasValue) {
      if (!parseMilliseconds(args[++i], &options->timeout)) return false;
    } else if (a == "--tsa" && hasValue) {
      options->authorities.push_back(args[++i]);
    } else if (a == "--tsa-policy" && hasValue) {
      options->policy = args[++i];
    } else if (a == "--") {
      options->files.insert(options->files.end(), args.begin() + i + 1, args.end());
      break;
    } else if (a.starts_with("--")) {
      return false;
    } else {
      options->files.push_back(a);
    }
  }
  return haveCertificate && !options->files.empty() &&
         (!options->policy || !options->authorities.empty());
}

// The time-stamping authority's token, as `info` shows it: as it reads, since the verdict
// above says whether it holds.
void printToken(IVexaSignFile* handler, const std::string& path) {
  ComPtr<IVexaSignFile2> reader;
  if (FAILED(com::ComPtr<IVexaSignFile>(handler).queryTo(&reader))) return;
  Bstr name, policy, serial;
  ComPtr<IVexaSystemTime> time;
  const HRESULT hr = reader->ExtractTimestampInfo(Bstr(path).get(), name.out(), time.out(),
                                                  policy.out(), serial.out());
  if (hr != S_OK) {
    std::cout << "TSA:         " << (FAILED(hr) ? "unreadable: " + describeError(hr) : "none")
              << '\n';
    return;
  }
  std::cout << "TSA:         " << printable(name.utf8()) << '\n'
            << "TSA time:    " << timeText(time.get()) << '\n'
            << "TSA policy:  " << printable(policy.utf8()) << '\n'
            << "TSA serial:  " << printable(serial.utf8()) << '\n';
}

}  // namespace

int runSignCommand(const std::vector<std::string>& args) {
  SignOptions options;
  if (!parseSignOptions(args, &options)) {
    printUsage(true);
    return kUsage;
  }
  ComPtr<IVexaSignature> signature;
  HRESULT hr = com::createInstance<IVexaSignature>(CLSID_VexaSignature, &signature);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("creating VexaSignature", hr) << '\n';
    return kFailure;
  }
  CertificateName certificate;
  std::string problem;
  if (!chooseCertificate(signature.get(), options.certificate, &certificate, &problem)) {
    std::cerr << "dxsign: " << problem << '\n';
    return kFailure;
  }
  const Bstr subject(certificate.subject), issuer(certificate.issuer), serial(certificate.serial);
  // The handlers refuse a certificate whose chain is not valid with a bare E_FAIL; say why
  // before touching any file.
  LONG valid = 0;
  LONG chainStatus = 0;
  hr = signature->VerifyCertificate(subject.get(), issuer.get(), serial.get(), &valid,
                                    &chainStatus);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("checking the certificate", hr) << '\n';
    return kFailure;
  }
  if (valid == 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(chainStatus));
    std::cerr << "dxsign: the certificate of " << printable(certificate.subject)
              << " cannot sign: " << signcore::trustStatusWords(chainStatus) << " (status " << code
              << ")";
    if ((chainStatus & signcore::CERT_TRUST_IS_NOT_VALID_FOR_USAGE) != 0) {
      std::cerr << "; it was issued for another purpose than signing";
    }
    if ((chainStatus & 0x20) != 0) {
      std::cerr << "; import the root of its chain with dxsign certs import FILE --root";
    }
    std::cerr << '\n';
    return kFailure;
  }
  warnOfWeakChain(certificate);
  // One time stamp for the whole run, from the server when one is named.
  ComPtr<IVexaSystemTime> timestamp;
  const Bstr server = options.timeServer ? Bstr(*options.timeServer) : Bstr();
  hr = signature->GetRFC867Time(server.get(), options.timeout, timestamp.out());
  if (FAILED(hr)) {
    const std::string what = options.timeServer
                                 ? "asking " + *options.timeServer + " for the time"
                                 : "reading the clock";
    std::cerr << "dxsign: " << describeFailure(what, hr) << '\n';
    return kFailure;
  }
  const Bstr comment = options.comment ? Bstr(*options.comment) : Bstr();
  const Bstr policy = options.policy ? Bstr(*options.policy) : Bstr();

  const auto outcomes = runFileJobs(options.files, [&]() -> FileJob {
    auto finder = std::make_shared<HandlerFinder>();
    return [&, finder](const std::string& path) -> FileOutcome {
      std::string why;
      ComPtr<IVexaSignFile> handler = finder->find(path, &why);
      const std::string shown = printable(path);
      if (!handler) return {kFailure, shown + ": " + why};
      HRESULT rc = S_OK;
      if (options.authorities.empty()) {
        rc = handler->AddSign(Bstr(path).get(), subject.get(), issuer.get(), serial.get(),
                              comment.get(), server.get(), timestamp.get(), nullptr);
      } else {
        ComPtr<IVexaSignFile2> stamping;
        if (FAILED(handler.queryTo(&stamping))) {
          return {kFailure, shown + ": the handler of this type of file cannot time-stamp"};
        }
        BstrArray urls(options.authorities);
        rc = stamping->AddSignWithTimestamp(
            Bstr(path).get(), subject.get(), issuer.get(), serial.get(), comment.get(),
            server.get(), timestamp.get(), urls.size(), urls.data(), policy.get(), options.timeout);
      }
      if (FAILED(rc)) return {kFailure, shown + ": " + describeFailure("signing", rc)};
      return {kSuccess, shown + ": signed"};
    };
  });
  return overallStatus(outcomes);
}

int runVerifyCommand(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  LONG revocation = VEXA_REVOCATION_SOFT;
  if (!parseRevocation(args, &files, &revocation) || files.empty()) {
    printUsage(true);
    return kUsage;
  }
  const auto outcomes = runFileJobs(files, [revocation]() -> FileJob {
    auto finder = std::make_shared<HandlerFinder>();
    return [finder, revocation](const std::string& path) -> FileOutcome {
      std::string why;
      ComPtr<IVexaSignFile> handler = finder->find(path, &why);
      const std::string shown = printable(path);
      if (!handler) return {kFailure, shown + ": " + why};
      const Verification v = verifyWith(handler.get(), path, revocation);
      if (FAILED(v.hr)) return {kFailure, shown + ": " + describeFailure("verification", v.hr)};
      if (v.hr == S_FALSE) return {kNotSigned, shown + ": not signed"};
      if (v.valid == 0) return {kFailure, shown + ": signature not valid"};
      return {kSuccess,
              shown + ": signature valid" + (v.verdict.empty() ? "" : ", " + printable(v.verdict))};
    };
  });
  return overallStatus(outcomes);
}

int runInfoCommand(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  LONG revocation = VEXA_REVOCATION_SOFT;
  if (!parseRevocation(args, &files, &revocation) || files.size() != 1) {
    printUsage(true);
    return kUsage;
  }
  const std::string& path = files[0];
  const std::string shown = printable(path);
  HandlerFinder finder;
  std::string why;
  ComPtr<IVexaSignFile> handler = finder.find(path, &why);
  if (!handler) {
    std::cerr << "dxsign: " << shown << ": " << why << '\n';
    return kFailure;
  }
  // The verdict first: what a signature says is worth reading only when it holds.
  const Verification v = verifyWith(handler.get(), path, revocation);
  if (v.hr == S_FALSE) {
    std::cout << shown << ": not signed\n";
    return kNotSigned;
  }
  const bool holds = v.hr == S_OK && v.valid == 1;
  const std::string verdict =
      holds ? "valid" + (v.verdict.empty() ? "" : ", " + printable(v.verdict))
            : "NOT VALID: " + (FAILED(v.hr) ? describeError(v.hr) : "the signature does not match");

  Bstr subject, issuer, email, serial, x500, comment, server;
  ComPtr<IVexaSystemTime> notBefore, notAfter, timestamp;
  const HRESULT hr = handler->ExtractSignatureInfo(
      Bstr(path).get(), nullptr, subject.out(), issuer.out(), email.out(), serial.out(),
      x500.out(), comment.out(), notBefore.out(), notAfter.out(), server.out(), timestamp.out());
  std::cout << "Signature:   " << verdict << '\n';
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << shown << ": " << describeFailure("reading the signature", hr)
              << '\n';
    return kFailure;
  }
  if (hr == S_FALSE) {  // gone between the two calls
    std::cout << shown << ": not signed\n";
    return kNotSigned;
  }
  std::cout << "File:        " << shown << '\n'
            << "Signer:      " << printable(subject.utf8()) << '\n'
            << "Issuer:      " << printable(issuer.utf8()) << '\n'
            << "E-mail:      " << printable(email.utf8()) << '\n'
            << "Serial:      " << printable(serial.utf8()) << '\n'
            << "X.500 name:  " << printable(x500.utf8()) << '\n'
            << "Valid from:  " << timeText(notBefore.get()) << '\n'
            << "Valid to:    " << timeText(notAfter.get()) << '\n'
            << "Comment:     " << printable(comment.utf8()) << '\n'
            << "Time stamp:  " << (timestamp ? timeText(timestamp.get()) : "none") << '\n'
            << "Time server: " << (server.length() > 0 ? printable(server.utf8()) : "none") << '\n';
  printToken(handler.get(), path);
  return holds ? kSuccess : kFailure;
}

}  // namespace vexamor::dxsign
