// VexaSignature: the user's signing certificates, detached signatures over a stream of data
// blocks, the signer's details read back from a signature, and the time server.
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSignatureClass;

}  // namespace vexamor::signcore
