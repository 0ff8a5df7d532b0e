#include "signcore/crypto/vexa_signature.h"

#include <cstring>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "signcore/crypto/calendar.h"
#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/cert_text.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/data_blocks.h"
#include "signcore/crypto/signature_stamp.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/signer_verdict.h"
#include "signcore/crypto/time_protocol_client.h"
#include "signcore/crypto/timestamp_token.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/base_interface.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

std::u16string_view view(BSTR text) {
  return text != nullptr ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

HRESULT newString(std::u16string_view text, com::Bstr* out) {
  *out = com::Bstr(text);
  return out->get() != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT timeObject(const ASN1_TIME* time, com::ComPtr<IVexaSystemTime>* out) {
  SYSTEMTIME st{};
  if (!certificateTime(time, &st)) return CRYPT_E_ASN1_BADTAG;
  return createSystemTime(st, out->out());
}

// A blob handed out through the COM task allocator; the caller frees it.
HRESULT handOut(const std::string& blob, LONG* pElemsSign, BYTE** rgbSignData) {
  auto* out = static_cast<BYTE*>(CoTaskMemAlloc(blob.size()));
  if (out == nullptr) return E_OUTOFMEMORY;
  std::memcpy(out, blob.data(), blob.size());
  *rgbSignData = out;
  *pElemsSign = static_cast<LONG>(blob.size());
  return S_OK;
}

// The URLs of time-stamping authorities as a client gives them; E_POINTER or E_INVALIDARG
// for a list that names none, or holds an empty one.
HRESULT authorityUrls(LONG count, BSTR* urls, std::vector<std::string>* out) {
  if (count <= 0) return E_INVALIDARG;
  if (urls == nullptr) return E_POINTER;
  for (LONG i = 0; i < count; ++i) {
    if (urls[i] == nullptr || SysStringLen(urls[i]) == 0) return E_INVALIDARG;
    out->push_back(text::utf16ToUtf8(view(urls[i])));
  }
  return S_OK;
}

// Each request to a time-stamping authority, when the client gives no time-out.
constexpr long kDefaultAuthorityTimeoutMs = 10000;

// The new interface's failures are reported as its own, from the same class.
HRESULT create(REFIID riid, void** ppv);
const ClassInfo kVexaSignature2Report = {CLSID_VexaSignature,  IID_IVexaSignature2,
                                         kProgIdVexaSignature, "VexaSignature",
                                         "IVexaSignature2",    create};

class VexaSignature final : public ComObject<VexaSignature, IVexaSignature2> {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (answerAsBase<IVexaSignature>(this, riid, ppv)) return S_OK;
    return ComObject::QueryInterface(riid, ppv);
  }

  HRESULT EnumerateCertificates(LONG* pElems, BSTR** rgSubject, BSTR** rgIssuer,
                                BSTR** rgSerialNumber, IVexaSystemTime*** rgExpiration) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (pElems == nullptr || rgSubject == nullptr || rgIssuer == nullptr ||
          rgSerialNumber == nullptr || rgExpiration == nullptr) {
        return E_POINTER;
      }
      *pElems = 0;
      *rgSubject = *rgIssuer = *rgSerialNumber = nullptr;
      *rgExpiration = nullptr;

      std::vector<com::Bstr> subjects, issuers, serials;
      std::vector<com::ComPtr<IVexaSystemTime>> expirations;
      for (const StoredCertificate& entry : CertStore(StoreName::My).certificates()) {
        if (!entry.hasKey) continue;
        X509* cert = entry.cert.get();
        com::Bstr subject, issuer, serial;
        com::ComPtr<IVexaSystemTime> expiration;
        HRESULT hr = newString(subjectDisplayName(cert), &subject);
        if (SUCCEEDED(hr)) hr = newString(issuerDisplayName(cert), &issuer);
        if (SUCCEEDED(hr)) hr = newString(serialText(cert), &serial);
        if (SUCCEEDED(hr)) hr = timeObject(X509_get0_notAfter(cert), &expiration);
        if (FAILED(hr)) return hr;
        subjects.push_back(std::move(subject));
        issuers.push_back(std::move(issuer));
        serials.push_back(std::move(serial));
        expirations.push_back(std::move(expiration));
      }
      if (subjects.empty()) return S_FALSE;

      // All four arrays first, so that a failure hands out nothing and leaks nothing.
      const size_t n = subjects.size();
      auto* subjectArray = static_cast<BSTR*>(CoTaskMemAlloc(sizeof(BSTR) * n));
      auto* issuerArray = static_cast<BSTR*>(CoTaskMemAlloc(sizeof(BSTR) * n));
      auto* serialArray = static_cast<BSTR*>(CoTaskMemAlloc(sizeof(BSTR) * n));
      auto* expirationArray =
          static_cast<IVexaSystemTime**>(CoTaskMemAlloc(sizeof(IVexaSystemTime*) * n));
      if (subjectArray == nullptr || issuerArray == nullptr || serialArray == nullptr ||
          expirationArray == nullptr) {
        CoTaskMemFree(subjectArray);
        CoTaskMemFree(issuerArray);
        CoTaskMemFree(serialArray);
        CoTaskMemFree(expirationArray);
        return E_OUTOFMEMORY;
      }
      for (size_t i = 0; i < n; ++i) {
        subjectArray[i] = subjects[i].detach();
        issuerArray[i] = issuers[i].detach();
        serialArray[i] = serials[i].detach();
        expirationArray[i] = expirations[i].detach();
      }
      *rgSubject = subjectArray;
      *rgIssuer = issuerArray;
      *rgSerialNumber = serialArray;
      *rgExpiration = expirationArray;
      *pElems = static_cast<LONG>(n);
      return S_OK;
    });
  }

  HRESULT VerifyCertificate(BSTR bstrSubject, BSTR bstrIssuer, BSTR bstrSerialNumber, LONG* bResult,
                            LONG* plStatus) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (bResult == nullptr || plStatus == nullptr) return E_POINTER;
      *bResult = 0;
      *plStatus = 0;
      const std::string folder = certificateFolder();
      const CertStore my(StoreName::My, folder);
      const auto found =
          findCertificate(my, view(bstrSubject), view(bstrIssuer), view(bstrSerialNumber));
      if (!found) return CRYPT_E_NOT_FOUND;
      const LONG status = certificateTrustStatus(found->cert.get(), folder, defaultTrustOptions());
      *plStatus = status;
      *bResult = status == CERT_TRUST_NO_ERROR ? 1 : 0;
      return S_OK;
    });
  }

  HRESULT ComputeSignature(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData, LONG* pElemsSign,
                           BYTE** rgbSignData) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      std::string blob;
      HRESULT hr = computeBlob(pSignParams, pGetFileData, pElemsSign, rgbSignData, &blob);
      return SUCCEEDED(hr) ? handOut(blob, pElemsSign, rgbSignData) : hr;
    });
  }

  HRESULT VerifySignature(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                          LONG* bResult) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (pGetFileData == nullptr || rgbSignData == nullptr || bResult == nullptr) {
        return E_POINTER;
      }
      LONG status = 0;
      std::string verdict;
      return verifyBlob(pGetFileData, cElemsSign, rgbSignData, defaultTrustOptions(), bResult,
                        &status, &verdict);
    });
  }

  HRESULT ComputeSignatureWithTimestamp(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData,
                                        LONG cTsaUrls, BSTR* rgTsaUrls, BSTR bstrTsaPolicy,
                                        LONG lTimeoutMilliSec, LONG* pElemsSign,
                                        BYTE** rgbSignData) override {
    return runMethod(kVexaSignature2Report, [&]() -> HRESULT {
      TimestampOrder order;
      HRESULT hr = authorityUrls(cTsaUrls, rgTsaUrls, &order.urls);
      if (FAILED(hr)) return hr;
      order.policy = text::utf16ToUtf8(view(bstrTsaPolicy));
      order.limits.timeoutMs = lTimeoutMilliSec > 0 ? lTimeoutMilliSec : kDefaultAuthorityTimeoutMs;
      std::string blob;
      hr = computeBlob(pSignParams, pGetFileData, pElemsSign, rgbSignData, &blob);
      if (FAILED(hr)) return hr;
      std::string stamped;
      std::u16string reason;
      hr = stampSignature(blob, order, certificateFolder(), &stamped, &reason);
      if (FAILED(hr) && !reason.empty()) throw DescribedFailure{hr, describedBy(hr, reason)};
      if (FAILED(hr)) return hr;
      return handOut(stamped, pElemsSign, rgbSignData);
    });
  }

  HRESULT VerifySignatureEx(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                            LONG lRevocation, LONG* bResult, LONG* plTrustStatus,
                            BSTR* pbstrVerdict) override {
    return runMethod(kVexaSignature2Report, [&]() -> HRESULT {
      if (pGetFileData == nullptr || rgbSignData == nullptr || bResult == nullptr ||
          plTrustStatus == nullptr || pbstrVerdict == nullptr) {
        return E_POINTER;
      }
      *pbstrVerdict = nullptr;
      *bResult = 0;
      *plTrustStatus = 0;
      TrustOptions options;
      if (!trustOptionsFromFlags(lRevocation, &options)) return E_INVALIDARG;
      std::string verdict;
      HRESULT hr = verifyBlob(pGetFileData, cElemsSign, rgbSignData, options, bResult,
                              plTrustStatus, &verdict);
      if (FAILED(hr)) return hr;
      com::Bstr text;
      if (FAILED(newString(text::utf8ToUtf16(verdict), &text))) return E_OUTOFMEMORY;
      *pbstrVerdict = text.detach();
      return hr;
    });
  }

  HRESULT ExtractTimestampInfo(LONG cElemsSign, BYTE* rgSignData, BSTR* pbstrTsaName,
                               IVexaSystemTime** ppTime, BSTR* pbstrPolicy,
                               BSTR* pbstrSerialNumber) override {
    return runMethod(kVexaSignature2Report, [&]() -> HRESULT {
      if (cElemsSign <= 0) return E_INVALIDARG;
      if (rgSignData == nullptr || pbstrTsaName == nullptr || ppTime == nullptr ||
          pbstrPolicy == nullptr || pbstrSerialNumber == nullptr) {
        return E_POINTER;
      }
      *pbstrTsaName = *pbstrPolicy = *pbstrSerialNumber = nullptr;
      *ppTime = nullptr;
      SignatureBlob blob;
      if (HRESULT hr = blob.parse(rgSignData, static_cast<size_t>(cElemsSign)); FAILED(hr)) {
        return hr;
      }
      if (blob.signerInfo() == nullptr) return CRYPT_E_NO_SIGNER;
      std::optional<std::string> token;
      if (HRESULT hr = storedTimestampToken(blob.signerInfo(), &token); FAILED(hr)) return hr;
      if (!token) return S_FALSE;
      TimestampInfo info;
      if (!describeTimestampToken(*token, &info)) return CRYPT_E_ASN1_BADTAG;

      com::Bstr name, policy, serial;
      com::ComPtr<IVexaSystemTime> time;
      HRESULT hr = newString(text::utf8ToUtf16(info.tsaName), &name);
      if (SUCCEEDED(hr)) hr = newString(text::utf8ToUtf16(info.policy), &policy);
      if (SUCCEEDED(hr)) hr = newString(text::utf8ToUtf16(info.serial), &serial);
      if (SUCCEEDED(hr)) hr = createSystemTime(systemTimeFromUnix(info.time), time.out());
      if (FAILED(hr)) return hr;
      *pbstrTsaName = name.detach();
      *pbstrPolicy = policy.detach();
      *pbstrSerialNumber = serial.detach();
      *ppTime = time.detach();
      return S_OK;
    });
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

  HRESULT ExtractSignatureInfo(LONG cElemsSign, BYTE* rgSignData, SIGNPARAMS* pSignParams,
                               IVexaSystemTime** ppCertNotBefore,
                               IVexaSystemTime** ppCertExpiration) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (cElemsSign <= 0) return E_INVALIDARG;
      if (rgSignData == nullptr || pSignParams == nullptr || ppCertExpiration == nullptr ||
          ppCertNotBefore == nullptr) {
        return E_POINTER;
      }
      *ppCertNotBefore = *ppCertExpiration = nullptr;
      std::memset(pSignParams, 0, sizeof *pSignParams);
      pSignParams->cbSize = kSignParamsSize;

      SignatureBlob blob;
      if (HRESULT hr = blob.parse(rgSignData, static_cast<size_t>(cElemsSign)); FAILED(hr)) {
        return hr;
      }
      X509* cert = blob.signerCertificate();
      if (cert == nullptr) return CRYPT_E_NOT_FOUND;
      std::optional<std::string> note;
      if (HRESULT hr = blob.note(&note); FAILED(hr)) return hr;
      const NoteParts parts = note ? parseNote(*note) : NoteParts{};

      // Everything is made first and handed out last, so a failure hands out nothing.
      com::Bstr subject, issuer, serial, email, x500, comment, timestamp;
      com::ComPtr<IVexaSystemTime> notBefore, notAfter;
      HRESULT hr = newString(subjectDisplayName(cert), &subject);
      if (SUCCEEDED(hr)) hr = newString(issuerDisplayName(cert), &issuer);
      if (SUCCEEDED(hr)) hr = newString(serialText(cert), &serial);
      if (SUCCEEDED(hr)) hr = newString(subjectEmail(cert), &email);
      if (SUCCEEDED(hr)) hr = newString(x500Text(X509_get_subject_name(cert)), &x500);
      if (SUCCEEDED(hr)) hr = newString(parts.comment, &comment);
      if (SUCCEEDED(hr)) hr = newString(parts.timestamp, &timestamp);
      if (SUCCEEDED(hr)) hr = timeObject(X509_get0_notBefore(cert), &notBefore);
      if (SUCCEEDED(hr)) hr = timeObject(X509_get0_notAfter(cert), &notAfter);
      if (FAILED(hr)) return hr;

      pSignParams->bstrCertSubject = subject.detach();
      pSignParams->bstrCertIssuer = issuer.detach();
      pSignParams->bstrCertSerialNumber = serial.detach();
      pSignParams->bstrCertSubjectEMail = email.detach();
      pSignParams->bstrCertX500String = x500.detach();
      pSignParams->bstrComment = comment.detach();
      pSignParams->bstrTimestamp = timestamp.detach();
      *ppCertNotBefore = notBefore.detach();
      *ppCertExpiration = notAfter.detach();
      return S_OK;
    });
  }

 private:
  static std::string noteBytesOrEmpty(std::u16string_view timestamp, std::u16string_view comment) {
    const std::u16string note = makeNote(timestamp, comment);
    return note.empty() ? std::string() : noteBytes(note);
  }

  // The signature of the data that `pGetFileData` delivers, with the certificate and note
  // that the parameters name.
  static HRESULT computeBlob(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData, LONG* pElemsSign,
                             BYTE** rgbSignData, std::string* blob) {
    if (pSignParams == nullptr || pGetFileData == nullptr || pElemsSign == nullptr ||
        rgbSignData == nullptr) {
      return E_POINTER;
    }
    if (pSignParams->cbSize != kSignParamsSize) return E_INVALIDARG;
    *pElemsSign = 0;
    *rgbSignData = nullptr;

    const CertStore my(StoreName::My);
    const auto found =
        findCertificate(my, view(pSignParams->bstrCertSubject), view(pSignParams->bstrCertIssuer),
                        view(pSignParams->bstrCertSerialNumber));
    if (!found) return CRYPT_E_NOT_FOUND;
    ossl::PKey key = my.privateKey(found->thumbprint);
    if (!key) return NTE_BAD_KEYSET;

    const std::string note =
        noteBytesOrEmpty(view(pSignParams->bstrTimestamp), view(pSignParams->bstrComment));
    SignatureWriter writer;
    HRESULT hr = writer.begin(found->cert.get(), key.get());
    if (SUCCEEDED(hr)) {
      hr = readAllBlocks(pGetFileData,
                         [&](const BYTE* data, size_t size) { return writer.update(data, size); });
    }
    if (SUCCEEDED(hr)) hr = writer.finish(note, blob);
    return hr;
  }

  // Verifies the signature over the data and judges its signer. *result and *status as
  // VerifySignatureEx hands them out; `verdict` on success. Failures that need words are
  // thrown as DescribedFailure.
  static HRESULT verifyBlob(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                            const TrustOptions& options, LONG* result, LONG* status,
                            std::string* verdict) {
    *result = 0;
    *status = 0;
    if (cElemsSign <= 0) return E_INVALIDARG;
    SignatureBlob blob;
    HRESULT hr = blob.parse(rgbSignData, static_cast<size_t>(cElemsSign));
    if (SUCCEEDED(hr)) hr = blob.beginVerify();
    if (SUCCEEDED(hr)) {
      hr = readAllBlocks(pGetFileData,
                         [&](const BYTE* data, size_t size) { return blob.update(data, size); });
    }
    if (SUCCEEDED(hr)) hr = blob.finishVerify();
    if (FAILED(hr) && !blob.reason().empty()) {
      throw DescribedFailure{hr, describedBy(hr, blob.reason())};
    }
    if (FAILED(hr)) return hr;

    const SignerVerdict judged = judgeSigner(blob, certificateFolder(), options);
    *result = judged.result;
    *status = judged.trustStatus;
    if (FAILED(judged.hr) && !judged.reason.empty()) {
      throw DescribedFailure{judged.hr, describedBy(judged.hr, judged.reason)};
    }
    if (FAILED(judged.hr)) return judged.hr;
    *verdict = judged.text;
    return S_OK;
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
