// VexaSignAppend: the signature handler for files whose format the core does not know. It
// signs the file's bytes as they are and appends the signature behind a marker
// (appended_layout.h).
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSignAppendClass;

}  // namespace vexamor::signcore
