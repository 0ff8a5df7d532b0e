// How dxsign prints a time: "2003-02-12 21:27:07 UTC".
#pragma once

#include <string>

#include "signcore/idl/dxsigncore16.h"

namespace vexamor::dxsign {

std::string utcText(IVexaSystemTime* time);

}  // namespace vexamor::dxsign
