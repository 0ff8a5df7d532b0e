// Moving registry content between ".reg" files and the hives: what the vexareg tool and the
// setup steps use.
#pragma once

#include <string>
#include <vector>

#include "platform/com/win32_types.h"

namespace vexamor::registry {

struct ImportResult {
  LONG error = 0;                     // Win32 code of the first hive that could not be written
  size_t keys = 0;                    // key sections applied
  std::vector<std::string> problems;  // lines of the file that were passed over
};

// Applies a ".reg" text to the hives it names, each hive in one atomic update.
ImportResult importRegText(const std::string& bytes);

// Writes the key named by `keyPath` ("HKEY_CLASSES_ROOT\CLSID", "HKCU", ...) with all below
// it as ".reg" text. ERROR_FILE_NOT_FOUND for a missing key, ERROR_BADKEY for an unknown hive.
LONG exportRegText(const std::string& keyPath, std::string* out);

}  // namespace vexamor::registry
