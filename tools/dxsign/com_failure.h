// Turns a failed COM call into the line a user reads: the error object's description (or the
// system's text for the code), the code, and the component that reported it.
#pragma once

#include <string>

#include "platform/com/win32_types.h"

namespace vexamor::dxsign {

// "<what> failed: <description> (0x80070002, DxSignCore.VexaFindSignFile.1)"
std::string describeFailure(const std::string& what, HRESULT hr);
// "<description> (0x80070002, DxSignCore.VexaFindSignFile.1)"
std::string describeError(HRESULT hr);

}  // namespace vexamor::dxsign
