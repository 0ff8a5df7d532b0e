// Reading a REG_DWORD value, the form that switches and settings take.
#pragma once

#include <optional>

#include "platform/registry/registry.h"

namespace vexamor::registry {

// The value `name` of the open key `key`; nothing when it is missing, unreadable or of
// another type than REG_DWORD.
inline std::optional<DWORD> queryDwordValue(HKEY key, LPCWSTR name) {
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vexamor::registry
