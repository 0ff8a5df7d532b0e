// DxSignIcon for its clients: the overlay handler's class and the emblem icon that stands
// for its overlay in file managers. A client needs only this header and the COM runtime; it
// creates the handler with CoCreateInstance and never links the module.
#pragma once

#include "platform/com/guid.h"

// VexaSignIconOverlay, the module's one class (IShellIconOverlayIdentifier).
inline constexpr CLSID CLSID_VexaSignIconOverlay = {
    0x36A21736, 0x36C2, 0x4C11, {0x8A, 0xCB, 0xD4, 0x13, 0x6F, 0x2B, 0x57, 0xBD}};

// The icon name under which the overlay's picture is installed in the hicolor theme.
inline constexpr const char* kSignedEmblemName = "emblem-dxsign-signed";

// The export that makes a loaded copy re-read the per-user switch; 1 enabled, 0 disabled.
using PfnRefreshStatus = int (*)();
