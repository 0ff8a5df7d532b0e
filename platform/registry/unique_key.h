// UniqueKey: owns an open registry key and closes it.
#pragma once

#include <utility>

#include "platform/registry/registry.h"

namespace vexamor::registry {

class UniqueKey {
 public:
  UniqueKey() = default;
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  UniqueKey(UniqueKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  ~UniqueKey() { reset(); }

  HKEY get() const { return key_; }
  // Closes the current key and hands out the slot for RegOpenKeyExW/RegCreateKeyExW.
  HKEY* out() {
    reset();
    return &key_;
  }
  void reset() {
    if (HKEY key = std::exchange(key_, nullptr)) RegCloseKey(key);
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace vexamor::registry
