// VexaSystemTime: a read-only calendar time (UTC) handed to clients for certificate dates
// and time stamps. One that a client creates itself holds all zeros.
#pragma once

#include "platform/com/win32_types.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaSystemTimeClass;

// A new object holding `time`, with one reference for the caller.
HRESULT createSystemTime(const SYSTEMTIME& time, IVexaSystemTime** out);

}  // namespace vexamor::signcore
