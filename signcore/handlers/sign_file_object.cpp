#include "signcore/handlers/sign_file_object.h"

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "signcore/crypto/vexa_signature.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/handlers/file_access.h"
#include "signcore/handlers/timestamp_text.h"
#include "signcore/module/base_interface.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

using com::Bstr;
using com::ComPtr;

template <class Interface>
HRESULT createSignature(ComPtr<Interface>* out) {
  return kVexaSignatureClass.create(InterfaceId<Interface>::value(), out->outVoid());
}

// The description that the thread's error object holds for a failure `hr`, or the code's own
// text when there is none.
std::u16string failureDescription(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  Bstr description;
  if (GetErrorInfo(0, info.out()) == S_OK && info &&
      SUCCEEDED(info->GetDescription(description.out())) && description.length() > 0) {
    return std::u16string(description.view());
  }
  return errorDescription(hr);
}

// Frees the texts that VexaSignature's ExtractSignatureInfo handed out.
struct SignParamsTexts {
  SIGNPARAMS params{};
  ~SignParamsTexts() {
    for (BSTR s : {params.bstrCertSubject, params.bstrCertIssuer, params.bstrCertSerialNumber,
                   params.bstrCertSubjectEMail, params.bstrCertX500String, params.bstrComment,
                   params.bstrTimestamp}) {
      SysFreeString(s);
    }
  }
  BSTR take(BSTR SIGNPARAMS::*field) { return std::exchange(params.*field, nullptr); }
};

// Where a signing sends its signature value to be time-stamped.
struct AuthorityRequest {
  LONG count;
  BSTR* urls;
  BSTR policy;
  LONG timeoutMs;
};

class SignFileObject final : public ComObject<SignFileObject, IVexaSignFile2> {
 public:
  SignFileObject(const ClassInfo& cls, std::unique_ptr<SignedFileFormat> format)
      : class_(cls),
        class2_{cls.clsid, IID_IVexaSignFile2, cls.progId, cls.name, "IVexaSignFile2", cls.create},
        format_(std::move(format)) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (answerAsBase<IVexaSignFile>(this, riid, ppv)) return S_OK;
    return ComObject::QueryInterface(riid, ppv);
  }

  HRESULT IsFileSigned(BSTR bstrPath, VARIANT*, LONG* bResult) override {
    return runMethod(class_, [&]() -> HRESULT {
      if (bstrPath == nullptr || bResult == nullptr) return E_POINTER;
      *bResult = 0;
      Result<OpenedFile> file = open(bstrPath, false);
      if (!file.ok()) return file.hr();
      bool isSigned = false;
      if (const HRESULT hr = format_->isSigned(*file, &isSigned); FAILED(hr)) return hr;
      *bResult = isSigned ? 1 : 0;
      return S_OK;
    });
  }

  HRESULT AddSign(BSTR bstrPath, BSTR bstrCertSubject, BSTR bstrCertIssuer,
                  BSTR bstrCertSerialNumber, BSTR bstrComment, BSTR bstrTimeServer,
                  IVexaSystemTime* pTimestamp, VARIANT*) override {
    return runMethod(class_, [&]() -> HRESULT {
      return addSign(bstrPath, bstrCertSubject, bstrCertIssuer, bstrCertSerialNumber, bstrComment,
                     bstrTimeServer, pTimestamp, nullptr);
    });
  }

  HRESULT AddSignWithTimestamp(BSTR bstrPath, BSTR bstrCertSubject, BSTR bstrCertIssuer,
                               BSTR bstrCertSerialNumber, BSTR bstrComment, BSTR bstrTimeServer,
                               IVexaSystemTime* pTimestamp, LONG cTsaUrls, BSTR* rgTsaUrls,
                               BSTR bstrTsaPolicy, LONG lTimeoutMilliSec) override {
    return runMethod(class2_, [&]() -> HRESULT {
      if (cTsaUrls <= 0) return E_INVALIDARG;
      if (rgTsaUrls == nullptr) return E_POINTER;
      const AuthorityRequest request{cTsaUrls, rgTsaUrls, bstrTsaPolicy, lTimeoutMilliSec};
      return addSign(bstrPath, bstrCertSubject, bstrCertIssuer, bstrCertSerialNumber, bstrComment,
                     bstrTimeServer, pTimestamp, &request);
    });
  }

  HRESULT VerifySign(BSTR bstrPath, VARIANT*, LONG* bResult) override {
    return runMethod(class_, [&]() -> HRESULT {
      if (bstrPath == nullptr || bResult == nullptr) return E_POINTER;
      return verify(bstrPath, nullptr, bResult, nullptr, nullptr);
    });
  }

  HRESULT VerifySignEx(BSTR bstrPath, LONG lRevocation, LONG* bResult, LONG* plTrustStatus,
                       BSTR* pbstrVerdict) override {
    return runMethod(class2_, [&]() -> HRESULT {
      if (bstrPath == nullptr || bResult == nullptr || plTrustStatus == nullptr ||
          pbstrVerdict == nullptr) {
        return E_POINTER;
      }
      *plTrustStatus = 0;
      *pbstrVerdict = nullptr;
      return verify(bstrPath, &lRevocation, bResult, plTrustStatus, pbstrVerdict);
    });
  }

  HRESULT ExtractTimestampInfo(BSTR bstrPath, BSTR* pbstrTsaName, IVexaSystemTime** ppTime,
                               BSTR* pbstrPolicy, BSTR* pbstrSerialNumber) override {
    return runMethod(class2_, [&]() -> HRESULT {
      if (bstrPath == nullptr || pbstrTsaName == nullptr || ppTime == nullptr ||
          pbstrPolicy == nullptr || pbstrSerialNumber == nullptr) {
        return E_POINTER;
      }
      *pbstrTsaName = *pbstrPolicy = *pbstrSerialNumber = nullptr;
      *ppTime = nullptr;
      Result<OpenedFile> file = open(bstrPath, false);
      if (!file.ok()) return file.hr();
      StoredSignature stored;
      HRESULT hr = format_->readSignature(*file, false, &stored);
      if (hr != S_OK) return hr;  // S_FALSE: not signed
      if (stored.blob.size() > INT32_MAX) return E_FAIL;
      ComPtr<IVexaSignature2> signature;
      hr = createSignature(&signature);
      if (FAILED(hr)) return hr;
      return signature->ExtractTimestampInfo(static_cast<LONG>(stored.blob.size()),
                                             stored.blob.data(), pbstrTsaName, ppTime, pbstrPolicy,
                                             pbstrSerialNumber);
    });
  }

  HRESULT ExtractSignatureInfo(BSTR bstrPath, VARIANT*, BSTR* pbstrCertSubject,
                               BSTR* pbstrCertIssuer, BSTR* pbstrCertSubjectEMail,
                               BSTR* pbstrCertSerialNum, BSTR* pbstrCertX500, BSTR* pbstrComment,
                               IVexaSystemTime** ppCertNotBefore,
                               IVexaSystemTime** ppCertExpiration, BSTR* pbstrTimeServer,
                               IVexaSystemTime** ppTimestamp) override {
    return runMethod(class_, [&]() -> HRESULT {
      // Serial number, X.500 text and start of validity are always written, so they are
      // required like the others rather than trusted to be there.
      if (bstrPath == nullptr || pbstrCertSubject == nullptr || pbstrCertIssuer == nullptr ||
          pbstrCertSubjectEMail == nullptr || pbstrCertSerialNum == nullptr ||
          pbstrCertX500 == nullptr || ppCertNotBefore == nullptr || ppCertExpiration == nullptr ||
          (pbstrTimeServer != nullptr && ppTimestamp == nullptr)) {
        return E_POINTER;
      }
      Result<OpenedFile> file = open(bstrPath, false);
      if (!file.ok()) return file.hr();
      StoredSignature stored;
      HRESULT hr = format_->readSignature(*file, false, &stored);
      if (hr != S_OK) return hr;  // S_FALSE: not signed, every output untouched
      if (stored.blob.size() > INT32_MAX) return E_FAIL;
      ComPtr<IVexaSignature> signature;
      hr = createSignature(&signature);
      if (FAILED(hr)) return hr;
      SignParamsTexts texts;
      texts.params.cbSize = kSignParamsSize;
      ComPtr<IVexaSystemTime> notBefore, expiration;
      hr = signature->ExtractSignatureInfo(static_cast<LONG>(stored.blob.size()),
                                           stored.blob.data(), &texts.params, notBefore.out(),
                                           expiration.out());
      if (FAILED(hr)) return hr;

      // Everything that can fail is done before any output is written.
      ComPtr<IVexaSystemTime> stampTime;
      Bstr stampServer;
      if (pbstrTimeServer != nullptr && texts.params.bstrTimestamp != nullptr) {
        const std::u16string_view text(texts.params.bstrTimestamp,
                                       SysStringLen(texts.params.bstrTimestamp));
        if (std::optional<Timestamp> stamp = parseTimestampText(text)) {
          hr = createSystemTime(stamp->time, stampTime.out());
          if (FAILED(hr)) return hr;
          if (!stamp->server.empty()) {
            stampServer = Bstr(std::u16string_view(stamp->server));
            if (stampServer.get() == nullptr) return E_OUTOFMEMORY;
          }
        }
      }
      *pbstrCertSubject = texts.take(&SIGNPARAMS::bstrCertSubject);
      *pbstrCertIssuer = texts.take(&SIGNPARAMS::bstrCertIssuer);
      *pbstrCertSubjectEMail = texts.take(&SIGNPARAMS::bstrCertSubjectEMail);
      *pbstrCertSerialNum = texts.take(&SIGNPARAMS::bstrCertSerialNumber);
      *pbstrCertX500 = texts.take(&SIGNPARAMS::bstrCertX500String);
      if (pbstrComment != nullptr) *pbstrComment = texts.take(&SIGNPARAMS::bstrComment);
      *ppCertNotBefore = notBefore.detach();
      *ppCertExpiration = expiration.detach();
      if (pbstrTimeServer != nullptr) {
        *pbstrTimeServer = stampServer.detach();
        *ppTimestamp = stampTime.detach();
      }
      return S_OK;
    });
  }

 private:
  ~SignFileObject() = default;

  // AddSign, with the signature time-stamped when `authorities` is given.
  HRESULT addSign(BSTR bstrPath, BSTR bstrCertSubject, BSTR bstrCertIssuer,
                  BSTR bstrCertSerialNumber, BSTR bstrComment, BSTR bstrTimeServer,
                  IVexaSystemTime* pTimestamp, const AuthorityRequest* authorities) {
    if (bstrPath == nullptr || bstrCertSubject == nullptr || bstrCertIssuer == nullptr ||
        bstrCertSerialNumber == nullptr) {
      return E_POINTER;
    }
    Result<std::string> path = pathFromBstr(bstrPath);
    if (!path.ok()) return path.hr();
    ComPtr<IVexaSignature2> signature;
    HRESULT hr = createSignature(&signature);
    if (FAILED(hr)) return hr;
    LONG valid = 0;
    LONG status = 0;
    hr = signature->VerifyCertificate(bstrCertSubject, bstrCertIssuer, bstrCertSerialNumber, &valid,
                                      &status);
    if (FAILED(hr)) return hr;
    if (valid == 0) return E_FAIL;

    // Why the signature could not be made, in VexaSignature's words.
    HRESULT computeFailure = S_OK;
    std::u16string why;
    // The time stamp is read once the file is open, as the last thing before signing.
    auto compute = [&](IVexaGetData* data, std::vector<uint8_t>* blob) -> HRESULT {
      Bstr timestamp;
      if (pTimestamp != nullptr) {
        Result<std::u16string> text = makeTimestampText(pTimestamp, bstrTimeServer);
        if (!text.ok()) return text.hr();
        timestamp = Bstr(std::u16string_view(*text));
      }
      SIGNPARAMS params{};
      params.cbSize = kSignParamsSize;
      params.bstrCertSubject = bstrCertSubject;
      params.bstrCertIssuer = bstrCertIssuer;
      params.bstrCertSerialNumber = bstrCertSerialNumber;
      params.bstrComment = bstrComment;
      params.bstrTimestamp = timestamp.get();
      LONG count = 0;
      BYTE* bytes = nullptr;
      const HRESULT rc = authorities == nullptr
                             ? signature->ComputeSignature(&params, data, &count, &bytes)
                             : signature->ComputeSignatureWithTimestamp(
                                   &params, data, authorities->count, authorities->urls,
                                   authorities->policy, authorities->timeoutMs, &count, &bytes);
      if (SUCCEEDED(rc) && count > 0 && bytes != nullptr) blob->assign(bytes, bytes + count);
      CoTaskMemFree(bytes);
      if (FAILED(rc)) {
        computeFailure = rc;
        why = failureDescription(rc);
        return rc;
      }
      return blob->empty() ? E_UNEXPECTED : S_OK;
    };
    // Opened for writing once the certificate is known to be fit, and only then: a file the
    // user may not change is refused before anything is signed.
    Result<OpenedFile> file = openUserFile(*path, true);
    if (!file.ok()) return file.hr();
    hr = format_->sign(*file, compute);
    if (FAILED(hr) && hr == computeFailure) throw DescribedFailure{hr, why};
    return hr;
  }

  // VerifySign, and VerifySignEx when `revocation` is given.
  HRESULT verify(BSTR bstrPath, const LONG* revocation, LONG* bResult, LONG* plTrustStatus,
                 BSTR* pbstrVerdict) {
    *bResult = 0;
    Result<OpenedFile> file = open(bstrPath, false);
    if (!file.ok()) return file.hr();
    StoredSignature stored;
    HRESULT hr = format_->readSignature(*file, true, &stored);
    if (FAILED(hr) && !stored.reason.empty()) {
      throw DescribedFailure{hr, describedBy(hr, stored.reason)};
    }
    if (hr != S_OK) return hr;  // a failure, or S_FALSE: not signed
    if (stored.blob.size() > INT32_MAX) return E_FAIL;
    ComPtr<IVexaSignature2> signature;
    hr = createSignature(&signature);
    if (FAILED(hr)) return hr;
    LONG result = 0;
    const auto size = static_cast<LONG>(stored.blob.size());
    hr =
        revocation == nullptr
            ? signature->VerifySignature(stored.signedData.get(), size, stored.blob.data(), &result)
            : signature->VerifySignatureEx(stored.signedData.get(), size, stored.blob.data(),
                                           *revocation, &result, plTrustStatus, pbstrVerdict);
    *bResult = result;
    // The verifier says why a signature does not hold (a weak digest, a certificate not meant
    // for signing, a revoked one); its words are passed on with this class as the source.
    if (FAILED(hr)) throw DescribedFailure{hr, failureDescription(hr)};
    return hr;
  }

  static Result<OpenedFile> open(BSTR bstrPath, bool forWriting) {
    Result<std::string> path = pathFromBstr(bstrPath);
    if (!path.ok()) return path.fault();
    return openUserFile(*path, forWriting);
  }
  friend class ComObject<SignFileObject, IVexaSignFile2>;

  const ClassInfo& class_;
  const ClassInfo class2_;  // the same class, reporting for IVexaSignFile2
  std::unique_ptr<SignedFileFormat> format_;
};

}  // namespace

HRESULT createSignFileObject(const ClassInfo& cls, std::unique_ptr<SignedFileFormat> format,
                             REFIID riid, void** ppv) {
  if (format == nullptr) return E_OUTOFMEMORY;
  return createObject<SignFileObject>(riid, ppv, cls, std::move(format));
}

}  // namespace vexamor::signcore
