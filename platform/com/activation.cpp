#include "platform/com/activation.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/error_info.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "platform/registry/call_chain.h"
#include "platform/registry/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a registry read failed with, as the HRESULT a call reports: running out of memory
// stays E_OUTOFMEMORY, anything else means the entry is missing.
HRESULT registryFailure(LONG rc, HRESULT missing) {
  return (rc == ERROR_NOT_ENOUGH_MEMORY || rc == ERROR_OUTOFMEMORY) ? E_OUTOFMEMORY : missing;
}

// Reads the default (or named) string value of HKEY_CLASSES_ROOT\<path>: ERROR_SUCCESS, the
// registry's error, or ERROR_FILE_NOT_FOUND when the value is not a string. REG_EXPAND_SZ
// references to %VAR% are expanded from the environment.
LONG readClassesRootString(const std::u16string& path, const char16_t* valueName,
                           std::u16string* out) {
  DWORD type = 0;
  // A module path fits the first buffer nearly always; a longer value is read again.
  std::vector<char16_t> buffer;
  DWORD size = 1024;
  LONG rc = ERROR_SUCCESS;
  for (;;) {
    buffer.assign(size / sizeof(char16_t) + 1, 0);
    DWORD room = size;
    rc = vexamor::registry::queryKeyValue(HKEY_CLASSES_ROOT, path.c_str(), valueName, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &room);
    if (rc != ERROR_MORE_DATA || room <= size) break;
    size = room;
  }
  if (rc != ERROR_SUCCESS) return rc;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_FILE_NOT_FOUND;
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
  return ERROR_SUCCESS;
}

std::u16string guidText(REFGUID guid) {
  char16_t text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return text;
}

// Runs a C entry point of the runtime: nothing may escape through the C interface.
template <class F>
HRESULT guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

struct LoadedModule {
  std::string path;
  void* handle = nullptr;
  PfnDllGetClassObject getClassObject = nullptr;
  PfnDllCanUnloadNow canUnloadNow = nullptr;
  int callsInFlight = 0;     // calls into the module that the runtime made and that still run
  uint64_t activations = 0;  // calls into the module the runtime ever made
  // Since when DllCanUnloadNow has said yes, with no activation since (activations then).
  std::optional<Clock::time_point> idleSince;
  uint64_t activationsWhenIdle = 0;
};

class ModuleCache;

// Keeps a module loaded while the runtime calls into it.
class ModuleCall {
 public:
  ModuleCall() = default;
  ModuleCall(const ModuleCall&) = delete;
  ModuleCall& operator=(const ModuleCall&) = delete;
  ~ModuleCall();

  // REQUIRES: called once, by the cache, with the call already counted.
  void hold(ModuleCache* cache, LoadedModule* module) {
    cache_ = cache;
    module_ = module;
  }

  PfnDllGetClassObject getClassObject() const { return module_->getClassObject; }

 private:
  ModuleCache* cache_ = nullptr;
  LoadedModule* module_ = nullptr;
};

// Modules stay loaded for the life of the process unless CoFreeUnusedLibraries finds them
// idle, so that the same file is loaded only once however many objects are made. A module
// is idle when no call the runtime made into it is running and DllCanUnloadNow has said yes
// for the whole unload delay, with no activation in between: a client thread may still be
// returning from the Release that freed the module's last object.
class ModuleCache {
 public:
  // Loads the module (once) and marks a call into it as running.
  HRESULT enter(const std::string& path, ModuleCall* call) {
    std::lock_guard lock(mutex_);
    LoadedModule* module = nullptr;
    for (const auto& m : modules_) {
      if (m->path == path) module = m.get();
    }
    if (module == nullptr) {
      auto loaded = std::make_unique<LoadedModule>();
      loaded->path = path;
      void* handle = nullptr;
      {
        std::lock_guard loading(loaderMutex_);
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      }
      if (handle == nullptr) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
      loaded->handle = handle;
      loaded->getClassObject =
          reinterpret_cast<PfnDllGetClassObject>(dlsym(handle, "DllGetClassObject"));
      loaded->canUnloadNow = reinterpret_cast<PfnDllCanUnloadNow>(dlsym(handle, "DllCanUnloadNow"));
      if (loaded->getClassObject == nullptr) {
        dlclose(handle);
        return CO_E_ERRORINDLL;
      }
      try {
        modules_.push_back(std::move(loaded));
      } catch (...) {
        dlclose(handle);
        throw;
      }
      module = modules_.back().get();
    }
    ++module->callsInFlight;
    ++module->activations;
    call->hold(this, module);
    return S_OK;
  }

  void leave(LoadedModule* module) {
    std::lock_guard lock(mutex_);
    --module->callsInFlight;
  }

  void freeUnused(Clock::duration delay) {
    std::vector<void*> unload;
    {
      std::lock_guard lock(mutex_);
      unload.reserve(modules_.size());
      const Clock::time_point now = Clock::now();
      for (auto it = modules_.begin(); it != modules_.end();) {
        LoadedModule& m = **it;
        if (m.callsInFlight > 0 || m.canUnloadNow == nullptr || m.canUnloadNow() != S_OK) {
          m.idleSince.reset();
          ++it;
          continue;
        }
        if (!m.idleSince || m.activationsWhenIdle != m.activations) {
          m.idleSince = now;
          m.activationsWhenIdle = m.activations;
        }
        if (now - *m.idleSince < delay) {
          ++it;
          continue;
        }
        unload.push_back(m.handle);
        it = modules_.erase(it);
      }
    }
    // A module loaded again meanwhile holds a reference of its own, so this never unmaps it
    // under a new user.
    std::lock_guard unloading(loaderMutex_);
    for (void* handle : unload) dlclose(handle);
  }

 private:
  std::mutex mutex_;
  // Orders our dlopen and dlclose calls. The C library already runs a module's static
  // destructors and a new copy's constructors one after the other under a lock of its own,
  // but a race detector cannot see that lock and would report the reloaded copy's globals;
  // ordering the calls here as well costs nothing and keeps the threading tests meaningful.
  std::mutex loaderMutex_;
  std::vector<std::unique_ptr<LoadedModule>> modules_;
};

ModuleCall::~ModuleCall() {
  if (module_ != nullptr) cache_->leave(module_);
}

ModuleCache& moduleCache() {
  static auto* cache = new ModuleCache();  // never destroyed: modules may outlive statics
  return *cache;
}

// Finds the class's module and asks it for the class object, the module kept loaded by
// `call` until the caller is done with it.
HRESULT classObject(REFCLSID rclsid, CLSCTX dwClsContext, REFIID riid, void** ppv,
                    ModuleCall* call) {
  if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  const vexamor::registry::CallChain chain;  // the classes' hive is looked at once
  std::u16string path;
  const LONG rc =
      readClassesRootString(u"CLSID\\" + guidText(rclsid) + u"\\InprocServer32", nullptr, &path);
  if (rc != ERROR_SUCCESS) return registryFailure(rc, REGDB_E_CLASSNOTREG);
  if (path.empty()) return REGDB_E_CLASSNOTREG;
  const HRESULT hr = moduleCache().enter(vexamor::text::utf16ToUtf8(path), call);
  if (FAILED(hr)) return hr;
  return call->getClassObject()(rclsid, riid, ppv);
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
  return guarded([&] {
    ModuleCall call;
    return classObject(rclsid, dwClsContext, riid, ppv, &call);
  });
}

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, CLSCTX dwClsContext,
                                    REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  return guarded([&] {
    ModuleCall call;
    IClassFactory* factory = nullptr;
    HRESULT hr = classObject(rclsid, dwClsContext, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory), &call);
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return hr;
  });
}

extern "C" void CoFreeUnusedLibrariesEx(DWORD dwUnloadDelay, DWORD /*dwReserved*/) {
  const Clock::duration delay = dwUnloadDelay == INFINITE
                                    ? Clock::duration(vexamor::com::kDefaultUnloadDelay)
                                    : std::chrono::milliseconds(dwUnloadDelay);
  (void)guarded([&] {
    moduleCache().freeUnused(delay);
    return S_OK;
  });
}

extern "C" void CoFreeUnusedLibraries() {
  CoFreeUnusedLibrariesEx(INFINITE, 0);
}

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (lpszProgID == nullptr || lpclsid == nullptr) return E_INVALIDARG;
  *lpclsid = CLSID_NULL;
  const HRESULT hr = guarded([&] {
    const std::u16string progId(lpszProgID);
    if (progId.empty() || progId.size() > kMaxKeyNameLength ||
        progId.find(u'\\') != std::u16string::npos) {
      return CO_E_CLASSSTRING;
    }
    std::u16string text;
    const LONG rc = readClassesRootString(progId + u"\\CLSID", nullptr, &text);
    if (rc != ERROR_SUCCESS) return registryFailure(rc, CO_E_CLASSSTRING);
    return vexamor::com::parseGuid(text.c_str(), text.size(), lpclsid) ? S_OK : CO_E_CLASSSTRING;
  });
  if (FAILED(hr)) *lpclsid = CLSID_NULL;
  return hr;
}

extern "C" HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (lplpszProgID == nullptr) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  return guarded([&] {
    std::u16string progId;
    const LONG rc =
        readClassesRootString(u"CLSID\\" + guidText(clsid) + u"\\ProgID", nullptr, &progId);
    if (rc != ERROR_SUCCESS) return registryFailure(rc, REGDB_E_CLASSNOTREG);
    if (progId.empty()) return REGDB_E_CLASSNOTREG;
    const size_t bytes = (progId.size() + 1) * sizeof(OLECHAR);
    *lplpszProgID = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*lplpszProgID == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*lplpszProgID, progId.c_str(), bytes);
    return S_OK;
  });
}
