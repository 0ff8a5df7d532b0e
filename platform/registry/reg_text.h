// The ".reg" text format ("Windows Registry Editor Version 5.00"), read and written.
//
// Reading is forgiving: a hand-damaged file yields every key and value that can still be
// read, and each line that could not be read is listed as a problem; nothing in the text can
// make the reader fail or crash.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_tree.h"
#include "platform/registry/registry.h"

namespace vexamor::registry {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };
constexpr Hive kAllHives[] = {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine};

// Deepest key path accepted, counted in names below the hive.
constexpr size_t kMaxKeyDepth = 512;

// "HKEY_CLASSES_ROOT" and so on.
const char* hiveName(Hive hive);
// Accepts the long names and HKCR, HKCU, HKLM, without regard to case.
std::optional<Hive> hiveFromName(std::u16string_view name);

struct RegValueEntry {
  std::u16string name;
  bool remove = false;  // "name"=-
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct RegKeyEntry {
  Hive hive = Hive::ClassesRoot;
  std::vector<std::u16string> path;
  bool remove = false;  // [-HKEY_...\path]
  std::vector<RegValueEntry> values;
};

struct RegFile {
  std::vector<RegKeyEntry> keys;
  std::vector<std::string> problems;  // "line N: ..." for every line passed over
};

// Reads UTF-8 text (with or without BOM) or UTF-16LE text with its BOM.
RegFile parseRegText(std::string_view bytes);

// Applies the entries of one hive to its tree: creates keys, sets and removes values, removes
// keys. Returns true when anything changed.
bool applyEntries(const RegFile& file, Hive hive, RegKey& root);

// Writes `key` and everything below it, headed by the format line. `path` is the key's full
// name ("HKEY_CLASSES_ROOT\CLSID"); a key without values or subkeys still gets its section,
// except the hive root.
std::string writeRegText(const RegKey& key, const std::u16string& path);

}  // namespace vexamor::registry
