#include "signcore/module/vexa_find_sign_file.h"

#include <algorithm>
#include <vector>

#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "platform/registry/call_chain.h"
#include "platform/registry/unique_key.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

using registry::UniqueKey;

constexpr const char16_t* kSupportedExtensions = u"SupportedExtensions";
constexpr REGSAM kUpdateRights = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
// Registered data is read into a zero-filled buffer of this many bytes.
constexpr DWORD kValueBufferBytes = 1024;

std::u16string guidText(REFGUID guid) {
  OLECHAR text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return text;
}

std::u16string bstrText(BSTR s) {
  return std::u16string(s != nullptr ? s : u"", SysStringLen(s));
}

// Opens this class's own key below HKEY_CLASSES_ROOT\CLSID.
HRESULT openClassKey(REGSAM rights, UniqueKey* classKey) {
  UniqueKey clsidRoot;
  LONG rc = RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, clsidRoot.out());
  if (rc == ERROR_SUCCESS) {
    rc = RegOpenKeyExW(clsidRoot.get(), guidText(CLSID_VexaFindSignFile).c_str(), 0, rights,
                       classKey->out());
  }
  return HRESULT_FROM_WIN32(rc);
}

// CLSID\{this class}\SupportedExtensions below HKEY_CLASSES_ROOT. It is opened in one step:
// the overlay looks a file type up for every file it is asked about, and whichever of the
// three keys is missing, the answer is the same ERROR_FILE_NOT_FOUND that opening them one by
// one gives.
std::u16string extensionsKeyPath() {
  return u"CLSID\\" + guidText(CLSID_VexaFindSignFile) + u"\\" + kSupportedExtensions;
}

HRESULT openExtensionsForReading(UniqueKey* extensions) {
  return HRESULT_FROM_WIN32(RegOpenKeyExW(HKEY_CLASSES_ROOT, extensionsKeyPath().c_str(), 0,
                                          KEY_QUERY_VALUE, extensions->out()));
}

class VexaFindSignFile final : public ComObject<VexaFindSignFile, IVexaFindSignFile> {
 public:
  HRESULT Register(BSTR bstrExt, GUID* pClsid) override {
    return runMethod(kVexaFindSignFileClass, [&]() -> HRESULT {
      const registry::CallChain chain;  // the hive is looked at once per call
      if (bstrExt == nullptr || pClsid == nullptr) return E_POINTER;
      // An empty name would overwrite the key's default value, which no lookup can reach.
      if (SysStringLen(bstrExt) == 0) return E_INVALIDARG;
      UniqueKey classKey;
      HRESULT hr = openClassKey(kUpdateRights, &classKey);
      if (FAILED(hr)) return hr;
      UniqueKey extensions;
      if (RegOpenKeyExW(classKey.get(), kSupportedExtensions, 0, kUpdateRights, extensions.out()) !=
          ERROR_SUCCESS) {
        const LONG rc = RegCreateKeyExW(classKey.get(), kSupportedExtensions, 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                        extensions.out(), nullptr);
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
      }
      const std::u16string data = guidText(*pClsid);
      const std::u16string name = text::toLower(bstrText(bstrExt));
      // The text goes in without its terminating zero; readers zero-fill their buffer.
      return HRESULT_FROM_WIN32(RegSetValueExW(extensions.get(), name.c_str(), 0, REG_SZ,
                                               reinterpret_cast<const BYTE*>(data.data()),
                                               static_cast<DWORD>(data.size() * 2)));
    });
  }

  HRESULT Unregister(BSTR bstrExt) override {
    return runMethod(kVexaFindSignFileClass, [&]() -> HRESULT {
      const registry::CallChain chain;  // the hive is looked at once per call
      if (bstrExt == nullptr) return E_POINTER;
      if (SysStringLen(bstrExt) == 0) return E_INVALIDARG;
      UniqueKey classKey;
      HRESULT hr = openClassKey(kUpdateRights, &classKey);
      if (FAILED(hr)) return hr;
      UniqueKey extensions;
      const LONG rc =
          RegOpenKeyExW(classKey.get(), kSupportedExtensions, 0, kUpdateRights, extensions.out());
      if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
      // Removing an extension that is not there is not a failure; one that the caller may
      // not remove (registered for the whole machine) is, or it would seem removed and stay.
      const LONG deleted = RegDeleteValueW(extensions.get(), bstrText(bstrExt).c_str());
      if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
        return HRESULT_FROM_WIN32(deleted);
      }
      DWORD remaining = 0;
      if (RegQueryInfoKeyW(extensions.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &remaining, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
          remaining == 0) {
        extensions.reset();
        RegDeleteKeyW(classKey.get(), kSupportedExtensions);
      }
      return S_OK;
    });
  }

  HRESULT Lookup(BSTR bstrExt, GUID* pClsid) override {
    return runMethod(kVexaFindSignFileClass, [&]() -> HRESULT {
      const registry::CallChain chain;  // the hive is looked at once per call
      if (bstrExt == nullptr || pClsid == nullptr) return E_POINTER;
      *pClsid = CLSID_NULL;
      if (SysStringLen(bstrExt) == 0) {  // the key is opened first, and its failure told
        UniqueKey extensions;
        const HRESULT hr = openExtensionsForReading(&extensions);
        return FAILED(hr) ? hr : E_INVALIDARG;
      }
      // Key and value read in one call: a missing key or a missing value are both
      // ERROR_FILE_NOT_FOUND, as opening the key and reading the value one after the other give.
      const std::u16string key = extensionsKeyPath();
      const std::u16string name = text::toLower(bstrText(bstrExt));
      // One character more than the read may fill, so the text always ends.
      std::vector<char16_t> buffer(kValueBufferBytes / 2 + 1, 0);
      DWORD size = kValueBufferBytes;
      const LONG rc = registry::queryKeyValue(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), nullptr,
                                              reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
      return CLSIDFromString(buffer.data(), pClsid);
    });
  }

  HRESULT GetSupportedExtensions(LONG* pCount, BSTR** rgExt) override {
    return runMethod(kVexaFindSignFileClass, [&]() -> HRESULT {
      const registry::CallChain chain;  // the hive is looked at once per call
      if (pCount == nullptr || rgExt == nullptr) return E_POINTER;
      *pCount = 0;
      *rgExt = nullptr;
      UniqueKey extensions;
      HRESULT hr = openExtensionsForReading(&extensions);
      if (FAILED(hr)) return hr;
      DWORD count = 0;
      DWORD longestName = 0;
      LONG rc = RegQueryInfoKeyW(extensions.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &count, &longestName, nullptr, nullptr, nullptr);
      if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
      if (count == 0) return S_OK;
      return collectNames(extensions.get(), count, longestName, pCount, rgExt);
    });
  }

 private:
  // Reads `count` value names into a new array. Names are read into a buffer sized by the
  // longest one, so no registered extension can break the listing; a list that shrank in
  // the meantime ends early. On failure nothing is handed out.
  static HRESULT collectNames(HKEY key, DWORD count, DWORD longestName, LONG* pCount,
                              BSTR** rgExt) {
    auto* names = static_cast<BSTR*>(CoTaskMemAlloc(count * sizeof(BSTR)));
    if (names == nullptr) return E_OUTOFMEMORY;
    std::vector<char16_t> name(std::max<DWORD>(longestName, kValueBufferBytes / 2) + 1);
    DWORD found = 0;
    LONG rc = ERROR_SUCCESS;
    while (found < count) {
      DWORD cch = static_cast<DWORD>(name.size());
      rc = RegEnumValueW(key, found, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
      if (rc != ERROR_SUCCESS) break;
      names[found] = SysAllocStringLen(name.data(), cch);
      if (names[found] == nullptr) {
        rc = ERROR_NOT_ENOUGH_MEMORY;
        break;
      }
      ++found;
    }
    if (rc != ERROR_SUCCESS && rc != ERROR_NO_MORE_ITEMS) {
      for (DWORD i = 0; i < found; ++i) SysFreeString(names[i]);
      CoTaskMemFree(names);
      return HRESULT_FROM_WIN32(rc);
    }
    if (found == 0) {
      CoTaskMemFree(names);
      return S_OK;
    }
    *pCount = static_cast<LONG>(found);
    *rgExt = names;
    return S_OK;
  }
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaFindSignFile>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaFindSignFileClass = {CLSID_VexaFindSignFile,  IID_IVexaFindSignFile,
                                          kProgIdVexaFindSignFile, "VexaFindSignFile",
                                          "IVexaFindSignFile",     create};

}  // namespace vexamor::signcore
