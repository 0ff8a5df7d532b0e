// Which certificate `dxsign sign --cert SELECTOR` means: the one with that serial number, the
// one whose subject contains the text (when exactly one does), or the three texts
// "SUBJECT|ISSUER|SERIAL" as the handlers take them.
#pragma once

#include <string>

#include "signcore/idl/dxsigncore16.h"

namespace vexamor::dxsign {

struct CertificateName {
  std::string subject;
  std::string issuer;
  std::string serial;
};

// The certificate of the user's store that `selector` names, or false with `problem` set to
// what the user reads (no match, several matches, the store cannot be listed).
bool chooseCertificate(IVexaSignature* signature, const std::string& selector,
                       CertificateName* chosen, std::string* problem);

}  // namespace vexamor::dxsign
