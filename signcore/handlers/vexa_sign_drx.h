// VexaSignDRX: the signature handler for drawing files, classic ("DX1015", signature block
// behind the drawing data) and containers (signature stream "DxDb:Signature"). The layout
// is chosen afresh at every call from what the file holds.
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSignDRXClass;

}  // namespace vexamor::signcore
