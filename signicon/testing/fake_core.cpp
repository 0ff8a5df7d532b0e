// fake_sign_core.so: see fake_core.h.
#include "signicon/testing/fake_core.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "platform/com/com.h"
#include "platform/com/utf.h"
#include "signcore/idl/dxsigncore16.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeCoreCounters gCounters;
std::mutex gLastMutex;
std::string gLastExtension;
std::string gLastPath;

void remember(std::string* slot, BSTR text) {
  const std::string utf8 = vexamor::text::utf16ToUtf8(text != nullptr ? text : u"");
  std::lock_guard lock(gLastMutex);
  *slot = utf8;
}

template <class Interface>
class Object : public Interface {
 public:
  explicit Object(const IID& iid) : iid_(iid) { gCounters.liveObjects++; }
  virtual ~Object() { gCounters.liveObjects--; }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == iid_) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID& iid_;
  std::atomic<ULONG> refs_{1};
};

class FakeTime final : public Object<IVexaSystemTime> {
 public:
  FakeTime() : Object(IID_IVexaSystemTime) { gCounters.timesMade++; }
  HRESULT get_Year(SHORT* v) override { return *v = 2024, S_OK; }
  HRESULT get_Month(SHORT* v) override { return *v = 5, S_OK; }
  HRESULT get_Day(SHORT* v) override { return *v = 17, S_OK; }
  HRESULT get_Hour(SHORT* v) override { return *v = 8, S_OK; }
  HRESULT get_Minutes(SHORT* v) override { return *v = 30, S_OK; }
  HRESULT get_Seconds(SHORT* v) override { return *v = 0, S_OK; }
};

class FakeFinder final : public Object<IVexaFindSignFile> {
 public:
  FakeFinder() : Object(IID_IVexaFindSignFile) { gCounters.findersMade++; }
  HRESULT Register(BSTR, GUID*) override { return E_NOTIMPL; }
  HRESULT Unregister(BSTR) override { return E_NOTIMPL; }
  HRESULT GetSupportedExtensions(LONG*, BSTR**) override { return E_NOTIMPL; }
  HRESULT Lookup(BSTR bstrExt, GUID* pClsid) override {
    gCounters.lookups++;
    remember(&gLastExtension, bstrExt);
    *pClsid = CLSID_NULL;
    const std::u16string ext = vexamor::text::toLower(bstrExt != nullptr ? bstrExt : u"");
    if (ext == u".fake") {
      *pClsid = CLSID_FakeSignHandler;
    } else if (ext == u".plain") {
      *pClsid = CLSID_FakePlainObject;
    } else if (ext == u".gone") {
      *pClsid = CLSID_FakeUnregistered;
    } else {
      return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    return S_OK;
  }
};

struct Answer {
  HRESULT hr;
  LONG flag;
};

class FakeHandler final : public Object<IVexaSignFile> {
 public:
  FakeHandler() : Object(IID_IVexaSignFile) { gCounters.handlersMade++; }

  HRESULT IsFileSigned(BSTR bstrPath, VARIANT* pvReserved, LONG* bResult) override {
    gCounters.isFileSignedCalls++;
    return answer(bstrPath, pvReserved, "IsFileSigned", {S_OK, 0}, bResult);
  }
  HRESULT VerifySign(BSTR bstrPath, VARIANT* pvReserved, LONG* bResult) override {
    gCounters.verifySignCalls++;
    return answer(bstrPath, pvReserved, "VerifySign", {S_OK, 0}, bResult);
  }
  HRESULT AddSign(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, IVexaSystemTime*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT ExtractSignatureInfo(BSTR bstrPath, VARIANT* pvReserved, BSTR* subject, BSTR* issuer,
                               BSTR* email, BSTR* serial, BSTR* x500, BSTR* comment,
                               IVexaSystemTime** notBefore, IVexaSystemTime** expiration,
                               BSTR* timeServer, IVexaSystemTime** timestamp) override {
    gCounters.extractCalls++;
    for (BSTR* s : {subject, issuer, email, serial, x500, comment, timeServer}) *s = nullptr;
    for (IVexaSystemTime** t : {notBefore, expiration, timestamp}) *t = nullptr;
    LONG unused = 0;
    const HRESULT hr =
        answer(bstrPath, pvReserved, "ExtractSignatureInfo", {E_FAIL, 0}, &unused);
    if (FAILED(hr)) return hr;
    *subject = SysAllocString(u"CN=Ann Example");
    *issuer = SysAllocString(u"CN=Example CA");
    *email = SysAllocString(u"ann@example.test");
    *serial = SysAllocString(u"01 02 03");
    *x500 = SysAllocString(u"CN=Ann Example, O=Example");
    *comment = SysAllocString(u"approved");
    *timeServer = SysAllocString(u"time.example.test");
    *notBefore = new FakeTime();
    *expiration = new FakeTime();
    *timestamp = new FakeTime();
    return hr;
  }

 private:
  static HRESULT answer(BSTR bstrPath, VARIANT* pvReserved, const std::string& method,
                        Answer fallback, LONG* bResult) {
    if (pvReserved != nullptr) gCounters.reservedArguments++;
    remember(&gLastPath, bstrPath);
    *bResult = 0;
    std::ifstream in(vexamor::text::utf16ToUtf8(bstrPath != nullptr ? bstrPath : u""));
    if (!in) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    Answer a = fallback;
    const size_t at = content.find(method + "=");
    if (at != std::string::npos) {
      unsigned hr = 0;
      long flag = 0;
      std::sscanf(content.c_str() + at + method.size() + 1, "%x,%ld", &hr, &flag);
      a = {static_cast<HRESULT>(hr), static_cast<LONG>(flag)};
    }
    *bResult = a.flag;
    return a.hr;
  }
};

class PlainObject final : public Object<IUnknown> {
 public:
  PlainObject() : Object(IID_IUnknown) { gCounters.handlersMade++; }
};

class Factory final : public Object<IClassFactory> {
 public:
  explicit Factory(const CLSID& clsid) : Object(IID_IClassFactory), clsid_(clsid) {}
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IUnknown* object = nullptr;
    if (clsid_ == CLSID_VexaFindSignFile) {
      object = new FakeFinder();
    } else if (clsid_ == CLSID_FakeSignHandler) {
      object = new FakeHandler();
    } else {
      object = new PlainObject();
    }
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  CLSID clsid_;
};

}  // namespace

FAKE_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (rclsid != CLSID_VexaFindSignFile && rclsid != CLSID_FakeSignHandler &&
      rclsid != CLSID_FakePlainObject) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new Factory(rclsid);
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

FAKE_EXPORT HRESULT DllCanUnloadNow() {
  return gCounters.liveObjects == 0 ? S_OK : S_FALSE;
}

FAKE_EXPORT FakeCoreCounters* FakeCoreCountersGet() {
  return &gCounters;
}

FAKE_EXPORT void FakeCoreLastSeen(char* extension, char* path, size_t size) {
  std::lock_guard lock(gLastMutex);
  std::snprintf(extension, size, "%s", gLastExtension.c_str());
  std::snprintf(path, size, "%s", gLastPath.c_str());
}

FAKE_EXPORT void FakeCoreReset() {
  for (std::atomic<long>* c :
       {&gCounters.findersMade, &gCounters.handlersMade, &gCounters.timesMade, &gCounters.lookups,
        &gCounters.isFileSignedCalls, &gCounters.verifySignCalls, &gCounters.extractCalls,
        &gCounters.reservedArguments}) {
    *c = 0;
  }
  std::lock_guard lock(gLastMutex);
  gLastExtension.clear();
  gLastPath.clear();
}
