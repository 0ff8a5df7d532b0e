#include "tools/dxsign/certificate_choice.h"

#include <vector>

#include "platform/com/com.h"
#include "platform/com/utf.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/printable.h"

namespace vexamor::dxsign {
namespace {

std::u16string folded(const std::string& s) {
  return text::toLower(text::utf8ToUtf16(s));
}

// The certificates with a private key, as EnumerateCertificates lists them.
bool listCertificates(IVexaSignature* signature, std::vector<CertificateName>* out,
                      std::string* problem) {
  LONG count = 0;
  BSTR* subjects = nullptr;
  BSTR* issuers = nullptr;
  BSTR* serials = nullptr;
  IVexaSystemTime** expirations = nullptr;
  const HRESULT hr =
      signature->EnumerateCertificates(&count, &subjects, &issuers, &serials, &expirations);
  if (FAILED(hr)) {
    *problem = describeFailure("listing the certificates", hr);
    return false;
  }
  for (LONG i = 0; i < count; ++i) {
    out->push_back({com::Bstr::attach(subjects[i]).utf8(), com::Bstr::attach(issuers[i]).utf8(),
                    com::Bstr::attach(serials[i]).utf8()});
    if (expirations[i] != nullptr) expirations[i]->Release();
  }
  CoTaskMemFree(subjects);
  CoTaskMemFree(issuers);
  CoTaskMemFree(serials);
  CoTaskMemFree(expirations);
  return true;
}

}  // namespace

bool chooseCertificate(IVexaSignature* signature, const std::string& selector,
                       CertificateName* chosen, std::string* problem) {
  if (const size_t bar = selector.find('|'); bar != std::string::npos) {
    const size_t second = selector.find('|', bar + 1);
    if (second == std::string::npos || selector.find('|', second + 1) != std::string::npos) {
      *problem = "a certificate given by its texts is \"SUBJECT|ISSUER|SERIAL\"";
      return false;
    }
    *chosen = {selector.substr(0, bar), selector.substr(bar + 1, second - bar - 1),
               selector.substr(second + 1)};
    return true;
  }
  std::vector<CertificateName> certificates;
  if (!listCertificates(signature, &certificates, problem)) return false;
  const std::u16string wanted = folded(selector);
  for (const CertificateName& c : certificates) {
    if (folded(c.serial) == wanted) {
      *chosen = c;
      return true;
    }
  }
  std::vector<const CertificateName*> matches;
  for (const CertificateName& c : certificates) {
    if (!wanted.empty() && folded(c.subject).find(wanted) != std::u16string::npos) {
      matches.push_back(&c);
    }
  }
  if (matches.size() == 1) {
    *chosen = *matches[0];
    return true;
  }
  if (matches.empty()) {
    *problem =
        "no certificate with a private key has the serial number or a subject containing \"" +
        printable(selector) + "\" (dxsign certs list shows them)";
    return false;
  }
  *problem = "\"" + printable(selector) + "\" is part of the subject of " +
             std::to_string(matches.size()) + " certificates; choose one by its serial number:";
  for (const CertificateName* c : matches) {
    *problem += "\n  " + printable(c->serial) + "  " + printable(c->subject) + " (issued by " +
                printable(c->issuer) + ")";
  }
  return false;
}

}  // namespace vexamor::dxsign
