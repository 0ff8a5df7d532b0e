#include "platform/com/error_info.h"

#include <atomic>
#include <new>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"

namespace {

// One error object answers both interfaces; it lives in this library, so it stays valid after
// the server that filled it is unloaded.
class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      *ppv = static_cast<IErrorInfo*>(this);
    } else if (riid == IID_ICreateErrorInfo) {
      *ppv = static_cast<ICreateErrorInfo*>(this);
    } else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetGUID(GUID* pGUID) override {
    if (pGUID == nullptr) return E_INVALIDARG;
    *pGUID = guid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* out) override { return copyOut(source_, out); }
  HRESULT GetDescription(BSTR* out) override { return copyOut(description_, out); }
  HRESULT GetHelpFile(BSTR* out) override { return copyOut(helpFile_, out); }
  HRESULT GetHelpContext(DWORD* out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = helpContext_;
    return S_OK;
  }

  HRESULT SetGUID(REFGUID rguid) override {
    guid_ = rguid;
    return S_OK;
  }
  HRESULT SetSource(LPOLESTR s) override { return assign(source_, s); }
  HRESULT SetDescription(LPOLESTR s) override { return assign(description_, s); }
  HRESULT SetHelpFile(LPOLESTR s) override { return assign(helpFile_, s); }
  HRESULT SetHelpContext(DWORD context) override {
    helpContext_ = context;
    return S_OK;
  }

 private:
  static HRESULT copyOut(const std::u16string& value, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT assign(std::u16string& field, LPOLESTR value) {
    try {
      field.assign(value != nullptr ? value : u"");
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  std::atomic<ULONG> refs_{1};
  GUID guid_ = GUID_NULL;
  std::u16string source_;
  std::u16string description_;
  std::u16string helpFile_;
  DWORD helpContext_ = 0;
};

thread_local vexamor::com::ComPtr<IErrorInfo> tCurrentError;

}  // namespace

extern "C" HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
  if (pperrinfo == nullptr) return E_INVALIDARG;
  auto* info = new (std::nothrow) ErrorInfo();
  *pperrinfo = info;
  return info != nullptr ? S_OK : E_OUTOFMEMORY;
}

extern "C" HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
  if (dwReserved != 0) return E_INVALIDARG;
  tCurrentError = vexamor::com::ComPtr<IErrorInfo>(perrinfo);
  return S_OK;
}

extern "C" HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
  if (pperrinfo == nullptr || dwReserved != 0) return E_INVALIDARG;
  *pperrinfo = tCurrentError.detach();
  return *pperrinfo != nullptr ? S_OK : S_FALSE;
}
