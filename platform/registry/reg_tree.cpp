#include "platform/registry/reg_tree.h"

#include <algorithm>

#include "platform/com/utf.h"

namespace vexamor::registry {
namespace {

auto lowerBound(const std::vector<std::unique_ptr<RegKey>>& keys, std::u16string_view name) {
  return std::lower_bound(keys.begin(), keys.end(), name,
                          [](const std::unique_ptr<RegKey>& k, std::u16string_view n) {
                            return text::compareIgnoreCase(k->name(), n) < 0;
                          });
}

}  // namespace

const RegKey* RegKey::findSubkey(std::u16string_view name) const {
  const auto it = lowerBound(subkeys_, name);
  return (it != subkeys_.end() && text::equalsIgnoreCase((*it)->name(), name)) ? it->get()
                                                                               : nullptr;
}

RegKey* RegKey::findSubkey(std::u16string_view name) {
  return const_cast<RegKey*>(static_cast<const RegKey*>(this)->findSubkey(name));
}

const RegKey* RegKey::findPath(const std::vector<std::u16string>& path) const {
  const RegKey* key = this;
  for (const auto& part : path) {
    key = key->findSubkey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegKey* RegKey::findPath(const std::vector<std::u16string>& path) {
  return const_cast<RegKey*>(static_cast<const RegKey*>(this)->findPath(path));
}

RegKey& RegKey::createSubkey(std::u16string_view name, bool* created) {
  const auto it = lowerBound(subkeys_, name);
  if (it != subkeys_.end() && text::equalsIgnoreCase((*it)->name(), name)) {
    if (created != nullptr) *created = false;
    return **it;
  }
  if (created != nullptr) *created = true;
  return **subkeys_.insert(it, std::make_unique<RegKey>(std::u16string(name)));
}

RegKey& RegKey::createPath(const std::vector<std::u16string>& path, bool* created) {
  RegKey* key = this;
  bool any = false;
  for (const auto& part : path) {
    bool made = false;
    key = &key->createSubkey(part, &made);
    any = any || made;
  }
  if (created != nullptr) *created = any;
  return *key;
}

bool RegKey::removeSubkey(std::u16string_view name) {
  const auto it = lowerBound(subkeys_, name);
  if (it == subkeys_.end() || !text::equalsIgnoreCase((*it)->name(), name)) return false;
  subkeys_.erase(it);
  return true;
}

const RegValue* RegKey::findValue(std::u16string_view name) const {
  for (const auto& v : values_) {
    if (text::equalsIgnoreCase(v.name, name)) return &v;
  }
  return nullptr;
}

bool RegKey::setValue(std::u16string_view name, DWORD type, std::vector<uint8_t> data) {
  if (auto* existing = const_cast<RegValue*>(findValue(name))) {
    if (existing->type == type && existing->data == data) return false;
    existing->type = type;
    existing->data = std::move(data);
    return true;
  }
  values_.push_back({std::u16string(name), type, std::move(data)});
  return true;
}

bool RegKey::removeValue(std::u16string_view name) {
  const auto it = std::find_if(values_.begin(), values_.end(), [&](const RegValue& v) {
    return text::equalsIgnoreCase(v.name, name);
  });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

std::unique_ptr<RegKey> RegKey::clone() const {
  auto copy = std::make_unique<RegKey>(name_);
  copy->values_ = values_;
  copy->subkeys_.reserve(subkeys_.size());
  for (const auto& k : subkeys_) copy->subkeys_.push_back(k->clone());
  return copy;
}

}  // namespace vexamor::registry
