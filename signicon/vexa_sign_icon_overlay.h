// VexaSignIconOverlay: the overlay handler. A file is a member when the signature handler
// that the core's file-type registry names for its extension finds it signed, finds the
// signature valid and can read its details. Nothing is cached between calls.
#pragma once

#include "platform/com/unknown.h"

namespace vexamor::signicon {

HRESULT createVexaSignIconOverlay(REFIID riid, void** ppv);

}  // namespace vexamor::signicon
