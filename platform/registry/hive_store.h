// The hive files of the registry folder: cached reads and locked, atomic updates.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/com/win32_types.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {

// The user's hives: $VEXAMOR_REGISTRY, else $XDG_CONFIG_HOME/vexamor/registry, else
// ~/.config/vexamor/registry. Read at every call, so a process (or a test) can switch folders.
std::string registryFolder();
std::string hivePath(Hive hive);

// The machine's hives, written when the package is installed and read-only for users:
// $VEXAMOR_MACHINE_REGISTRY, else the folder fixed at build time (/etc/vexamor/registry for
// the package). Only HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE have a machine hive.
std::string machineRegistryFolder();
bool hasMachineHive(Hive hive);

// Which hive files this process works on. User scope (the default) reads a hive with a
// machine part as the user's keys laid over the machine's and writes the user's file;
// machine scope reads and writes the machine's file alone. Machine scope is asked for with
// VEXAMOR_REGISTRY_SCOPE=machine and granted only to root; anyone else gets
// ERROR_ACCESS_DENIED from every write, so a setup step run without rights fails loudly
// instead of filling the user's hive.
enum class Scope { User, Machine };
LONG writeScope(Scope* scope);

// A change to a hive: returns a Win32 code and sets *changed when the tree was modified
// (nothing is written otherwise).
using HiveChange = std::function<LONG(RegKey& root, bool* changed)>;

// Returns the hive as this process sees it now (see Scope); files are re-read only when they
// changed. A missing file is an empty hive.
LONG readHive(Hive hive, std::shared_ptr<const RegKey>* out);

// Locks the hive file that writes go to (see Scope) against every other writer (threads
// and processes), re-reads it, applies the change to that file's keys alone and, when
// something changed, writes a temporary file and renames it over the hive file. A hive file
// that had unreadable lines is first kept as "<hive>.reg.damaged".
LONG updateHive(Hive hive, const HiveChange& change);

}  // namespace vexamor::registry
