// The Win32 registry calls over the hive store. A key handle names its key by hive and path,
// so every call sees the hive as it is on disk now; a key deleted behind an open handle gives
// ERROR_KEY_DELETED.
//
// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE are read as the user's keys laid over the
// machine's, and written to the user's file: setting a value of a machine key gives the user
// a key of that name of their own, which then shadows the machine's value. What lives only in
// the machine's part cannot be deleted by a user (ERROR_ACCESS_DENIED); deleting the user's
// copy of a value that the machine also has shows the machine's value again.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/com/utf.h"
#include "platform/registry/hive_store.h"
#include "platform/registry/registry.h"

namespace vexamor::registry {
namespace {

struct KeyHandle {
  Hive hive;
  std::vector<std::u16string> path;
  REGSAM access;
  // The key as found when the handle was opened, in the hive version `foundIn`: a call on the
  // handle while the hive is still that version (hive versions never change) needs no search.
  std::weak_ptr<const RegKey> foundIn;
  const RegKey* found = nullptr;
};

// Open handles by the value handed out. A call holds its handle's share while it runs, so a
// handle closed meanwhile by another thread is freed only after that call, and no call copies
// the key's path.
std::mutex gHandlesMutex;
std::unordered_map<const KeyHandle*, std::shared_ptr<const KeyHandle>> gHandles;

const std::vector<std::u16string> kHiveRootPath;

struct ResolvedKey {
  Hive hive = Hive::ClassesRoot;
  REGSAM access = 0;
  std::shared_ptr<const KeyHandle> handle;  // null for a hive's own key
  const std::vector<std::u16string>& path() const { return handle ? handle->path : kHiveRootPath; }
};

LONG resolve(HKEY key, ResolvedKey* out) {
  const auto raw = reinterpret_cast<uintptr_t>(key);
  if (raw >= 0x80000000u && raw <= 0x80000002u) {
    *out = {kAllHives[raw - 0x80000000u], KEY_ALL_ACCESS, nullptr};
    return ERROR_SUCCESS;
  }
  std::lock_guard lock(gHandlesMutex);
  const auto found = gHandles.find(reinterpret_cast<const KeyHandle*>(key));
  if (found == gHandles.end()) return ERROR_INVALID_HANDLE;
  *out = {found->second->hive, found->second->access, found->second};
  return ERROR_SUCCESS;
}

HKEY newHandle(Hive hive, std::vector<std::u16string> path, REGSAM access,
               const std::shared_ptr<const RegKey>& foundIn = nullptr,
               const RegKey* found = nullptr) {
  auto handle =
      std::make_shared<const KeyHandle>(KeyHandle{hive, std::move(path), access, foundIn, found});
  std::lock_guard lock(gHandlesMutex);
  gHandles.emplace(handle.get(), handle);  // may run out of memory: the handle is freed then
  return reinterpret_cast<HKEY>(const_cast<KeyHandle*>(handle.get()));
}

// A name is stored only when the hive file (UTF-8) can hold it: whole UTF-16 characters, that
// is no surrogate without its partner, and no control characters. Checked in place, without
// a round trip through UTF-8, since every path of every registry call passes here.
bool storableName(std::u16string_view name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c < 0x20) return false;
    if (c >= 0xDC00 && c <= 0xDFFF) return false;  // a low surrogate with no high one before it
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

// Splits "a\b\c"; a leading backslash or an empty element is a bad path name.
LONG splitPath(LPCWSTR subKey, std::vector<std::u16string>* parts) {
  parts->clear();
  if (subKey == nullptr || *subKey == 0) return ERROR_SUCCESS;
  std::u16string_view rest(subKey);
  if (rest.back() == u'\\') rest.remove_suffix(1);
  if (rest.empty() || rest.front() == u'\\') return ERROR_BAD_PATHNAME;
  parts->reserve(static_cast<size_t>(std::count(rest.begin(), rest.end(), u'\\')) + 1);
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(u'\\', start);
    if (end == std::u16string_view::npos) end = rest.size();
    const auto part = rest.substr(start, end - start);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > kMaxKeyNameLength || !storableName(part)) return ERROR_INVALID_PARAMETER;
    parts->emplace_back(part);
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

LONG needAccess(const ResolvedKey& key, REGSAM right) {
  return (key.access & right) == right ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Looks the handle's key up in the hive as it is now.
LONG currentKey(const ResolvedKey& key, std::shared_ptr<const RegKey>* hive, const RegKey** out) {
  const LONG rc = readHive(key.hive, hive);
  if (rc != ERROR_SUCCESS) return rc;
  if (key.handle && key.handle->found != nullptr && !key.handle->foundIn.owner_before(*hive) &&
      !hive->owner_before(key.handle->foundIn)) {
    *out = key.handle->found;
    return ERROR_SUCCESS;
  }
  *out = (*hive)->findPath(key.path());
  return *out != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Resolves a handle that needs `right` and finds its key in the hive as it is now.
LONG openCurrent(HKEY hKey, REGSAM right, std::shared_ptr<const RegKey>* hive,
                 const RegKey** current) {
  ResolvedKey key;
  LONG rc = resolve(hKey, &key);
  if (rc == ERROR_SUCCESS) rc = needAccess(key, right);
  if (rc == ERROR_SUCCESS) rc = currentKey(key, hive, current);
  return rc;
}

LONG copyValue(const RegValue& value, LPDWORD type, LPBYTE data, LPDWORD cbData) {
  if (type != nullptr) *type = value.type;
  if (cbData == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  const auto size = static_cast<DWORD>(value.data.size());
  if (data != nullptr) {
    if (*cbData < size) {
      *cbData = size;
      return ERROR_MORE_DATA;
    }
    if (size != 0) std::memcpy(data, value.data.data(), size);
  }
  *cbData = size;
  return ERROR_SUCCESS;
}

LONG copyName(const std::u16string& name, LPWSTR buffer, LPDWORD cch) {
  if (buffer == nullptr || cch == nullptr) return ERROR_INVALID_PARAMETER;
  if (*cch <= name.size()) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Runs a registry call, turning an allocation failure into its Win32 code: nothing may
// escape through the C interface.
template <class F>
LONG guarded(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INVALID_FUNCTION;
  }
}

// The key a handle stands for and the path of `subKey` below it.
LONG resolveSubKey(HKEY hKey, LPCWSTR subKey, ResolvedKey* base,
                   std::vector<std::u16string>* sub) {
  LONG rc = resolve(hKey, base);
  return rc == ERROR_SUCCESS ? splitPath(subKey, sub) : rc;
}

std::vector<std::u16string> joined(const std::vector<std::u16string>& base,
                                   std::vector<std::u16string> sub) {
  if (base.empty()) return sub;
  std::vector<std::u16string> path;
  path.reserve(base.size() + sub.size());
  path.insert(path.end(), base.begin(), base.end());
  path.insert(path.end(), std::make_move_iterator(sub.begin()), std::make_move_iterator(sub.end()));
  return path;
}

}  // namespace
}  // namespace vexamor::registry

using namespace vexamor::registry;

extern "C" LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired,
                              PHKEY phkResult) {
  return guarded([&]() -> LONG {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    ResolvedKey base;
    std::vector<std::u16string> sub;
    LONG rc = resolveSubKey(hKey, lpSubKey, &base, &sub);
    if (rc != ERROR_SUCCESS) return rc;
    if (base.path().size() + sub.size() > kMaxKeyDepth) return ERROR_FILE_NOT_FOUND;
    std::shared_ptr<const RegKey> hive;
    const RegKey* key = nullptr;
    rc = currentKey(base, &hive, &key);
    if (rc != ERROR_SUCCESS) return rc;
    const RegKey* found = key->findPath(sub);
    if (found == nullptr) return ERROR_FILE_NOT_FOUND;
    *phkResult = newHandle(base.hive, joined(base.path(), std::move(sub)), samDesired, hive, found);
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD,
                                REGSAM samDesired, const void*, PHKEY phkResult,
                                LPDWORD lpdwDisposition) {
  return guarded([&]() -> LONG {
    if (phkResult == nullptr || lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    ResolvedKey base;
    std::vector<std::u16string> sub;
    LONG rc = resolveSubKey(hKey, lpSubKey, &base, &sub);
    if (rc != ERROR_SUCCESS) return rc;
    auto path = joined(base.path(), sub);
    if (path.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<const RegKey> hive;
    const RegKey* key = nullptr;
    rc = currentKey(base, &hive, &key);
    if (rc != ERROR_SUCCESS) return rc;
    bool created = false;
    if (key->findPath(sub) == nullptr) {
      rc = needAccess(base, KEY_CREATE_SUB_KEY);
      if (rc != ERROR_SUCCESS) return rc;
      // The parent may live in the machine's part only; the file written gets the whole path.
      rc = updateHive(base.hive, [&](RegKey& root, bool* changed) -> LONG {
        root.createPath(path, &created);
        *changed = created;
        return ERROR_SUCCESS;
      });
      if (rc != ERROR_SUCCESS) return rc;
    }
    if (lpdwDisposition != nullptr) {
      *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *phkResult = newHandle(base.hive, std::move(path), samDesired);
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegCloseKey(HKEY hKey) {
  const auto raw = reinterpret_cast<uintptr_t>(hKey);
  if (raw >= 0x80000000u && raw <= 0x80000002u) return ERROR_SUCCESS;
  auto* handle = reinterpret_cast<KeyHandle*>(hKey);
  std::shared_ptr<const KeyHandle> closed;  // freed once the lock is let go
  std::lock_guard lock(gHandlesMutex);
  const auto found = gHandles.find(handle);
  if (found == gHandles.end()) return ERROR_INVALID_HANDLE;
  closed = std::move(found->second);
  gHandles.erase(found);
  return ERROR_SUCCESS;
}

extern "C" LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType,
                               const BYTE* lpData, DWORD cbData) {
  return guarded([&]() -> LONG {
    ResolvedKey key;
    LONG rc = resolve(hKey, &key);
    if (rc == ERROR_SUCCESS) rc = needAccess(key, KEY_SET_VALUE);
    if (rc != ERROR_SUCCESS) return rc;
    const std::u16string name(lpValueName != nullptr ? lpValueName : u"");
    if (name.size() > kMaxValueNameLength || !storableName(name) ||
        (lpData == nullptr && cbData != 0)) {
      return ERROR_INVALID_PARAMETER;
    }
    std::vector<uint8_t> data(lpData, lpData + (lpData != nullptr ? cbData : 0));
    std::shared_ptr<const RegKey> view;
    rc = readHive(key.hive, &view);
    if (rc != ERROR_SUCCESS) return rc;
    const bool inView = view->findPath(key.path()) != nullptr;
    return updateHive(key.hive, [&](RegKey& root, bool* changed) -> LONG {
      RegKey* target = root.findPath(key.path());
      if (target == nullptr && !inView) return ERROR_KEY_DELETED;
      if (target == nullptr) target = &root.createPath(key.path());  // the user's own copy
      *changed = target->setValue(name, dwType, std::move(data));
      return ERROR_SUCCESS;
    });
  });
}

extern "C" LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType,
                                 LPBYTE lpData, LPDWORD lpcbData) {
  return guarded([&]() -> LONG {
    std::shared_ptr<const RegKey> hive;
    const RegKey* current = nullptr;
    LONG rc = openCurrent(hKey, KEY_QUERY_VALUE, &hive, &current);
    if (rc != ERROR_SUCCESS) return rc;
    const RegValue* value = current->findValue(lpValueName != nullptr ? lpValueName : u"");
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    return copyValue(*value, lpType, lpData, lpcbData);
  });
}

LONG vexamor::registry::queryKeyValue(HKEY key, LPCWSTR subKey, LPCWSTR valueName, LPDWORD type,
                                      LPBYTE data, LPDWORD cbData) {
  return guarded([&]() -> LONG {
    ResolvedKey base;
    std::vector<std::u16string> sub;
    LONG rc = resolveSubKey(key, subKey, &base, &sub);
    if (rc != ERROR_SUCCESS) return rc;
    if (base.path().size() + sub.size() > kMaxKeyDepth) return ERROR_FILE_NOT_FOUND;
    std::shared_ptr<const RegKey> hive;
    const RegKey* parent = nullptr;
    rc = currentKey(base, &hive, &parent);
    if (rc != ERROR_SUCCESS) return rc;
    const RegKey* found = parent->findPath(sub);
    if (found == nullptr) return ERROR_FILE_NOT_FOUND;
    const RegValue* value = found->findValue(valueName != nullptr ? valueName : u"");
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    return copyValue(*value, type, data, cbData);
  });
}

extern "C" LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                              LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return guarded([&]() -> LONG {
    std::shared_ptr<const RegKey> hive;
    const RegKey* current = nullptr;
    LONG rc = openCurrent(hKey, KEY_QUERY_VALUE, &hive, &current);
    if (rc != ERROR_SUCCESS) return rc;
    if (dwIndex >= current->values().size()) return ERROR_NO_MORE_ITEMS;
    const RegValue& value = current->values()[dwIndex];
    rc = copyName(value.name, lpValueName, lpcchValueName);
    if (rc != ERROR_SUCCESS) return rc;
    return copyValue(value, lpType, lpData, lpcbData);
  });
}

extern "C" LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD,
                              LPWSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  return guarded([&]() -> LONG {
    std::shared_ptr<const RegKey> hive;
    const RegKey* current = nullptr;
    LONG rc = openCurrent(hKey, KEY_ENUMERATE_SUB_KEYS, &hive, &current);
    if (rc != ERROR_SUCCESS) return rc;
    if (dwIndex >= current->subkeys().size()) return ERROR_NO_MORE_ITEMS;
    rc = copyName(current->subkeys()[dwIndex]->name(), lpName, lpcchName);
    if (rc != ERROR_SUCCESS) return rc;
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = 0;
    if (lpcchClass != nullptr) *lpcchClass = 0;
    if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = {0, 0};
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                                 LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                 LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                 LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                 LPDWORD lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
  return guarded([&]() -> LONG {
    std::shared_ptr<const RegKey> hive;
    const RegKey* current = nullptr;
    LONG rc = openCurrent(hKey, KEY_QUERY_VALUE, &hive, &current);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD maxSubKey = 0, maxName = 0, maxData = 0;
    for (const auto& sub : current->subkeys()) {
      maxSubKey = std::max<DWORD>(maxSubKey, static_cast<DWORD>(sub->name().size()));
    }
    for (const auto& v : current->values()) {
      maxName = std::max<DWORD>(maxName, static_cast<DWORD>(v.name.size()));
      maxData = std::max<DWORD>(maxData, static_cast<DWORD>(v.data.size()));
    }
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = 0;
    if (lpcchClass != nullptr) *lpcchClass = 0;
    if (lpcSubKeys != nullptr) *lpcSubKeys = static_cast<DWORD>(current->subkeys().size());
    if (lpcbMaxSubKeyLen != nullptr) *lpcbMaxSubKeyLen = maxSubKey;
    if (lpcbMaxClassLen != nullptr) *lpcbMaxClassLen = 0;
    if (lpcValues != nullptr) *lpcValues = static_cast<DWORD>(current->values().size());
    if (lpcbMaxValueNameLen != nullptr) *lpcbMaxValueNameLen = maxName;
    if (lpcbMaxValueLen != nullptr) *lpcbMaxValueLen = maxData;
    if (lpcbSecurityDescriptor != nullptr) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = {0, 0};
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return guarded([&]() -> LONG {
    ResolvedKey key;
    LONG rc = resolve(hKey, &key);
    if (rc == ERROR_SUCCESS) rc = needAccess(key, KEY_SET_VALUE);
    if (rc != ERROR_SUCCESS) return rc;
    const std::u16string name(lpValueName != nullptr ? lpValueName : u"");
    std::shared_ptr<const RegKey> view;
    rc = readHive(key.hive, &view);
    if (rc != ERROR_SUCCESS) return rc;
    const RegKey* viewKey = view->findPath(key.path());
    return updateHive(key.hive, [&](RegKey& root, bool* changed) -> LONG {
      RegKey* target = root.findPath(key.path());
      *changed = target != nullptr && target->removeValue(name);
      if (*changed) return ERROR_SUCCESS;
      if (viewKey != nullptr && viewKey->findValue(name) != nullptr) return ERROR_ACCESS_DENIED;
      return target != nullptr || viewKey != nullptr ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    });
  });
}

namespace {

LONG deleteKey(HKEY hKey, LPCWSTR lpSubKey, bool wholeTree) {
  return guarded([&]() -> LONG {
    ResolvedKey key;
    std::vector<std::u16string> sub;
    LONG rc = resolveSubKey(hKey, lpSubKey, &key, &sub);
    if (rc != ERROR_SUCCESS) return rc;
    if (sub.empty() && !wholeTree) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<const RegKey> view;
    rc = readHive(key.hive, &view);
    if (rc != ERROR_SUCCESS) return rc;
    const RegKey* viewBase = view->findPath(key.path());
    const RegKey* viewTarget = viewBase != nullptr ? viewBase->findPath(sub) : nullptr;
    return updateHive(key.hive, [&](RegKey& root, bool* changed) -> LONG {
      RegKey* base = root.findPath(key.path());
      RegKey* target = base != nullptr ? base->findPath(sub) : nullptr;
      if (target == nullptr && viewTarget != nullptr) return ERROR_ACCESS_DENIED;
      if (base == nullptr && viewBase == nullptr) return ERROR_KEY_DELETED;
      if (target == nullptr) return ERROR_FILE_NOT_FOUND;
      if (sub.empty()) {  // empty the handle's own key, which stays
        *changed = !target->values().empty() || !target->subkeys().empty();
        target->clearValues();
        while (!target->subkeys().empty()) target->removeSubkey(target->subkeys().back()->name());
        return ERROR_SUCCESS;
      }
      if (!wholeTree && (!target->subkeys().empty() ||
                         (viewTarget != nullptr && !viewTarget->subkeys().empty()))) {
        return ERROR_ACCESS_DENIED;
      }
      std::vector<std::u16string> parentPath(sub.begin(), sub.end() - 1);
      *changed = base->findPath(parentPath)->removeSubkey(sub.back());
      return ERROR_SUCCESS;
    });
  });
}

}  // namespace

extern "C" LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  return deleteKey(hKey, lpSubKey, false);
}

extern "C" LONG RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
  return deleteKey(hKey, lpSubKey, true);
}
