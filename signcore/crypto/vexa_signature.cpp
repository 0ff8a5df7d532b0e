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
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/time_protocol_client.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/idl/dxsigncore16.h"
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

class VexaSignature final : public ComObject<VexaSignature, IVexaSignature> {
 public:
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
      ossl::X509Stack candidates = chainCandidates(folder, nullptr);
      const LONG status = chainTrustStatus(found->cert.get(), candidates.get(), folder) |
                          signingUsageStatus(found->cert.get());
      *plStatus = status;
      *bResult = status == CERT_TRUST_NO_ERROR ? 1 : 0;
      return S_OK;
    });
  }

  HRESULT ComputeSignature(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData, LONG* pElemsSign,
                           BYTE** rgbSignData) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
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
        hr = readAllBlocks(
            pGetFileData, [&](const BYTE* data, size_t size) { return writer.update(data, size); });
      }
      std::string blob;
      if (SUCCEEDED(hr)) hr = writer.finish(note, &blob);
      if (FAILED(hr)) return hr;

      auto* out = static_cast<BYTE*>(CoTaskMemAlloc(blob.size()));
      if (out == nullptr) return E_OUTOFMEMORY;
      std::memcpy(out, blob.data(), blob.size());
      *rgbSignData = out;
      *pElemsSign = static_cast<LONG>(blob.size());
      return S_OK;
    });
  }

  HRESULT VerifySignature(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                          LONG* bResult) override {
    return runMethod(kVexaSignatureClass, [&]() -> HRESULT {
      if (pGetFileData == nullptr || rgbSignData == nullptr || bResult == nullptr) {
        return E_POINTER;
      }
      *bResult = 0;
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

      *bResult = 1;
      const std::string folder = certificateFolder();
      ossl::X509Stack candidates = chainCandidates(folder, blob.certificates());
      X509* signer = blob.signerCertificate();
      const LONG status = chainTrustStatus(signer, candidates.get(), folder);
      // A signer whose certificate has merely expired (or is not valid yet) still signed.
      if (status != CERT_TRUST_NO_ERROR && status != CERT_TRUST_IS_NOT_TIME_VALID) {
        return TRUST_E_CERT_SIGNATURE;
      }
      // A certificate made for something else (a web server's, say) signs nothing here,
      // however trusted its chain.
      if (signingUsageStatus(signer) != CERT_TRUST_NO_ERROR) {
        throw DescribedFailure{
            TRUST_E_CERT_SIGNATURE,
            describedBy(TRUST_E_CERT_SIGNATURE,
                        u"The signer's certificate is not meant for signing: its key usage or "
                        u"extended key usage leaves signing out.")};
      }
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
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaSignature>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaSignatureClass = {CLSID_VexaSignature,  IID_IVexaSignature,
                                       kProgIdVexaSignature, "VexaSignature",
                                       "IVexaSignature",     create};

}  // namespace vexamor::signcore
