// The shell's icon overlay interface: an object that tells, for each file the shell draws,
// whether the file gets its overlay, which icon that overlay is and how it ranks against
// the overlays of other handlers.
#pragma once

#include "platform/com/unknown.h"

inline constexpr IID IID_IShellIconOverlayIdentifier = {
    0x0C6C4200, 0xC589, 0x11D0, {0x99, 0x9A, 0x00, 0xC0, 0x4F, 0xD6, 0x55, 0xE1}};

// Flags of GetOverlayInfo: which of its outputs hold an answer.
constexpr DWORD ISIOI_ICONFILE = 0x00000001;   // the icon file's path was written
constexpr DWORD ISIOI_ICONINDEX = 0x00000002;  // the icon index was written

struct IShellIconOverlayIdentifier : IUnknown {
  // S_OK when the file at pwszPath gets the overlay, S_FALSE when not.
  virtual HRESULT IsMemberOf(LPCWSTR pwszPath, DWORD dwAttrib) = 0;
  // The overlay's icon: the file holding it (cchMax characters at most, terminator
  // included), the icon's index in that file, and which of the two were written.
  virtual HRESULT GetOverlayInfo(LPWSTR pwszIconFile, int cchMax, int* pIndex,
                                 DWORD* pdwFlags) = 0;
  // 0 is the highest priority, 100 the lowest.
  virtual HRESULT GetPriority(int* pPriority) = 0;
};

VEXA_DECLARE_IID(IShellIconOverlayIdentifier, IID_IShellIconOverlayIdentifier);
