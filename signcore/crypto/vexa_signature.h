// VexaSignature: certificates, detached signatures and the time server. This build serves
// GetRFC867Time; the certificate and signature methods answer E_NOTIMPL until they are built.
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSignatureClass;

}  // namespace vexamor::signcore
