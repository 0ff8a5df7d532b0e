#pragma once

#include <string>

namespace sq {

// Copies `source` to `target`. Without `overwrite` an existing target makes
// the copy fail. The copy goes to a temporary file in the target's folder
// that is renamed into place, so a failed copy never leaves a half-written
// target and an existing target is replaced whole or not at all. False on
// any failure.
bool copyFile(const std::string& source, const std::string& target, bool overwrite);

}  // namespace sq
