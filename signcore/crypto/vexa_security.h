// VexaSecurity: ciphers of the installed providers, and data encrypted and decrypted with a
// key derived from a password. The cryptography is the provider emulation's (csp/).
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSecurityClass;

}  // namespace vexamor::signcore
