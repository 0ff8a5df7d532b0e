// The system message table: the text of each Win32 error code and HRESULT that this system
// returns, worded as the platform words them. FormatMessageW serves callers written for the
// platform call; systemMessage serves C++ code.
#pragma once

#include <optional>
#include <string>

#include "platform/com/win32_types.h"

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

extern "C" {
// Writes the text of dwMessageId followed by "\r\n", as the platform does, and returns its
// length in characters without the terminator. Only FORMAT_MESSAGE_FROM_SYSTEM is served;
// inserts are never expanded. Returns 0 and sets the last error to ERROR_MR_MID_NOT_FOUND (317)
// for an unknown code, or ERROR_INSUFFICIENT_BUFFER when nSize characters are too few.
DWORD FormatMessageW(DWORD dwFlags, const void* lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     LPWSTR lpBuffer, DWORD nSize, void* Arguments);
}

namespace vexamor::win32 {

// The text for a Win32 code or an HRESULT (those of facility Win32 read as their Win32
// code), without the trailing line break; nothing when the table has no text.
std::optional<std::u16string> systemMessage(uint32_t code);

}  // namespace vexamor::win32
