#include "platform/com/activation.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/error_info.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "platform/registry/registry.h"

namespace {

// Reads the default (or named) string value of HKEY_CLASSES_ROOT\<path>; false when the key
// or value is missing or not a string. REG_EXPAND_SZ references to %VAR% are
// expanded from the environment.
bool readClassesRootString(const std::u16string& path, const char16_t* valueName,
                           std::u16string* out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size);
  std::vector<char16_t> buffer(size / sizeof(char16_t) + 1, 0);
  if (rc == ERROR_SUCCESS) {
    rc = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                          &size);
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  out->assign(buffer.data());
  if (type == REG_EXPAND_SZ) {
    std::string utf8 = vexamor::text::utf16ToUtf8(*out);
    std::string expanded;
    for (size_t i = 0; i < utf8.size(); ++i) {
      const size_t close = utf8[i] == '%' ? utf8.find('%', i + 1) : std::string::npos;
      if (close != std::string::npos && close > i + 1) {
        const char* value = std::getenv(utf8.substr(i + 1, close - i - 1).c_str());
        if (value != nullptr) {
          expanded += value;
          i = close;
          continue;
        }
      }
      expanded += utf8[i];
    }
    *out = vexamor::text::utf8ToUtf16(expanded);
  }
  return true;
}

std::u16string guidText(REFGUID guid) {
  char16_t text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return text;
}

struct LoadedModule {
  std::string path;
  void* handle;
  PfnDllGetClassObject getClassObject;
  PfnDllCanUnloadNow canUnloadNow;
};

// Modules stay loaded for the life of the process unless CoFreeUnusedLibraries finds them
// idle, so that the same file is loaded only once however many objects are made.
class ModuleCache {
 public:
  HRESULT find(const std::string& path, PfnDllGetClassObject* entry) {
    std::lock_guard lock(mutex_);
    for (const auto& m : modules_) {
      if (m.path == path) {
        *entry = m.getClassObject;
        return S_OK;
      }
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    auto get = reinterpret_cast<PfnDllGetClassObject>(dlsym(handle, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<PfnDllCanUnloadNow>(dlsym(handle, "DllCanUnloadNow"));
    if (get == nullptr) {
      dlclose(handle);
      return CO_E_ERRORINDLL;
    }
    modules_.push_back({path, handle, get, canUnload});
    *entry = get;
    return S_OK;
  }

  void freeUnused() {
    std::lock_guard lock(mutex_);
    for (auto it = modules_.begin(); it != modules_.end();) {
      if (it->canUnloadNow != nullptr && it->canUnloadNow() == S_OK) {
        dlclose(it->handle);
        it = modules_.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  std::mutex mutex_;
  std::vector<LoadedModule> modules_;
};

ModuleCache& moduleCache() {
  static auto* cache = new ModuleCache();  // never destroyed: modules may outlive statics
  return *cache;
}

thread_local int tInitCount = 0;

}  // namespace

extern "C" HRESULT CoInitializeEx(void*, DWORD) {
  return tInitCount++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT CoInitialize(void* pvReserved) {
  return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

extern "C" void CoUninitialize() {
  if (tInitCount > 0 && --tInitCount == 0) SetErrorInfo(0, nullptr);
}

extern "C" HRESULT CoGetClassObject(REFCLSID rclsid, CLSCTX dwClsContext, void*, REFIID riid,
                                    void** ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  std::u16string path;
  if (!readClassesRootString(u"CLSID\\" + guidText(rclsid) + u"\\InprocServer32", nullptr, &path) ||
      path.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  PfnDllGetClassObject entry = nullptr;
  const HRESULT hr = moduleCache().find(vexamor::text::utf16ToUtf8(path), &entry);
  if (FAILED(hr)) return hr;
  return entry(rclsid, riid, ppv);
}

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, CLSCTX dwClsContext,
                                    REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(pUnkOuter, riid, ppv);
  factory->Release();
  return hr;
}

extern "C" void CoFreeUnusedLibraries() {
  moduleCache().freeUnused();
}

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (lpszProgID == nullptr || lpclsid == nullptr) return E_INVALIDARG;
  *lpclsid = CLSID_NULL;
  const std::u16string progId(lpszProgID);
  std::u16string text;
  if (progId.empty() || progId.size() > kMaxKeyNameLength ||
      progId.find(u'\\') != std::u16string::npos ||
      !readClassesRootString(progId + u"\\CLSID", nullptr, &text) ||
      !vexamor::com::parseGuid(text.c_str(), text.size(), lpclsid)) {
    *lpclsid = CLSID_NULL;
    return CO_E_CLASSSTRING;
  }
  return S_OK;
}

extern "C" HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (lplpszProgID == nullptr) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  std::u16string progId;
  if (!readClassesRootString(u"CLSID\\" + guidText(clsid) + u"\\ProgID", nullptr, &progId) ||
      progId.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  const size_t bytes = (progId.size() + 1) * sizeof(OLECHAR);
  *lplpszProgID = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (*lplpszProgID == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*lplpszProgID, progId.c_str(), bytes);
  return S_OK;
}
