#include "signcore/crypto/vexa_signature.h"

#include "platform/com/utf.h"
#include "signcore/crypto/calendar.h"
#include "signcore/crypto/time_protocol_client.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

class VexaSignature final : public ComObject<VexaSignature, IVexaSignature> {
 public:
  HRESULT EnumerateCertificates(LONG*, BSTR**, BSTR**, BSTR**, IVexaSystemTime***) override {
    return notBuilt();
  }
  HRESULT VerifyCertificate(BSTR, BSTR, BSTR, LONG*, LONG*) override { return notBuilt(); }
  HRESULT ComputeSignature(SIGNPARAMS*, IVexaGetData*, LONG*, BYTE**) override {
    return notBuilt();
  }
  HRESULT VerifySignature(IVexaGetData*, LONG, BYTE*, LONG*) override { return notBuilt(); }
  HRESULT ExtractSignatureInfo(LONG, BYTE*, SIGNPARAMS*, IVexaSystemTime**,
                               IVexaSystemTime**) override {
    return notBuilt();
  }

  HRESULT GetRFC867Time(BSTR bstrTimeServer, LONG lTimeoutMilliSec,
                        IVexaSystemTime** ppST) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (ppST == nullptr) return E_POINTER;
      *ppST = nullptr;
      SYSTEMTIME time;
      if (bstrTimeServer == nullptr) {
        time = currentUtcTime();
      } else {
        const std::string server =
            text::utf16ToUtf8(std::u16string_view(bstrTimeServer, SysStringLen(bstrTimeServer)));
        const HRESULT hr = fetchTimeProtocol(server, lTimeoutMilliSec, &time);
        if (FAILED(hr)) return hr;
      }
      return createSystemTime(time, ppST);
    });
  }

 private:
  static HRESULT notBuilt() {
    return runMethod(kVexaSignatureClass, [] { return E_NOTIMPL; });
  }
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaSignature>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaSignatureClass = {CLSID_VexaSignature,  IID_IVexaSignature,
                                       kProgIdVexaSignature, "VexaSignature",
                                       "IVexaSignature",     create};

}  // namespace vexamor::signcore
