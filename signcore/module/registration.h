// The ".reg" text that setup imports to register the module: for every class of the class
// table its CLSID key (name, InprocServer32, ProgID), its ProgID keys, the interface keys,
// the default file-type registry and the cryptographic providers.
#pragma once

#include <string>

namespace vexamor::signcore {

std::string registrationText(const std::string& modulePath);

}  // namespace vexamor::signcore
