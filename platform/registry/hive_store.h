// The hive files of the registry folder: cached reads and locked, atomic updates.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/com/win32_types.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {

// $VEXAMOR_REGISTRY, else $XDG_CONFIG_HOME/vexamor/registry, else ~/.config/vexamor/registry.
// Read at every call, so a process (or a test) can switch folders.
std::string registryFolder();
std::string hivePath(Hive hive);

// A change to a hive: returns a Win32 code and sets *changed when the tree was modified
// (nothing is written otherwise).
using HiveChange = std::function<LONG(RegKey& root, bool* changed)>;

// Returns the hive as it is on disk now; re-read only when the file changed. A missing file
// is an empty hive.
LONG readHive(Hive hive, std::shared_ptr<const RegKey>* out);

// Locks the hive against every other writer (threads and processes), re-reads it, applies
// the change and, when something changed, writes a temporary file and renames it over the
// hive. A hive file that had unreadable lines is first kept as "<hive>.reg.damaged".
LONG updateHive(Hive hive, const HiveChange& change);

}  // namespace vexamor::registry
