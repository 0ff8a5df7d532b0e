// The in-memory form of a registry hive: keys with ordered values and sorted subkeys.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win32_types.h"

namespace vexamor::registry {

struct RegValue {
  std::u16string name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<uint8_t> data;
};

// A key owns its values (in the order they were first set) and its subkeys (sorted by name
// without regard to case). Names keep the spelling they were created with.
class RegKey {
 public:
  explicit RegKey(std::u16string name = {}) : name_(std::move(name)) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  const std::u16string& name() const { return name_; }
  const std::vector<RegValue>& values() const { return values_; }
  const std::vector<std::unique_ptr<RegKey>>& subkeys() const { return subkeys_; }

  const RegKey* findSubkey(std::u16string_view name) const;
  RegKey* findSubkey(std::u16string_view name);
  // Follows a path of names; null when one is missing.
  const RegKey* findPath(const std::vector<std::u16string>& path) const;
  RegKey* findPath(const std::vector<std::u16string>& path);
  // Returns the existing subkey of that name or a new one; *created tells which.
  RegKey& createSubkey(std::u16string_view name, bool* created = nullptr);
  RegKey& createPath(const std::vector<std::u16string>& path, bool* created = nullptr);
  bool removeSubkey(std::u16string_view name);

  const RegValue* findValue(std::u16string_view name) const;
  // Overwrites a value in place (keeping its position and spelling) or appends it. Returns
  // false when the value was already exactly that.
  bool setValue(std::u16string_view name, DWORD type, std::vector<uint8_t> data);
  bool removeValue(std::u16string_view name);
  void clearValues() { values_.clear(); }

  std::unique_ptr<RegKey> clone() const;

 private:
  std::u16string name_;
  std::vector<RegValue> values_;
  std::vector<std::unique_ptr<RegKey>> subkeys_;
};

}  // namespace vexamor::registry
