// What the VexaSignature tests share: a registry and a certificate folder of their own, the
// object made through COM as any client makes it, and short forms of its calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/memory_data.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {

struct Extracted {
  HRESULT hr = E_FAIL;
  std::u16string subject, issuer, serial, email, x500, comment, timestamp;
  std::string notBefore, notAfter;  // "2099-12-31 23:59:59"
};

struct ErrorReport {
  std::u16string description;
  std::u16string source;
};

class SignatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importBuildTree();
    ASSERT_EQ(CoCreateInstance(CLSID_VexaSignature, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IVexaSignature, signature_.outVoid()),
              S_OK);
  }

  static const testing::TestPki& pki() { return testing::TestPki::get(); }

  // Signs `data` (4096-byte blocks) with a certificate named by its three texts.
  HRESULT sign(const std::u16string& subject, const std::u16string& issuer,
               const std::u16string& serial, const std::string& data, std::string* blob,
               const std::u16string* comment = nullptr, const std::u16string* timestamp = nullptr) {
    testing::MemoryData source(data);
    return signFrom(subject, issuer, serial, &source, blob, comment, timestamp);
  }

  HRESULT signFrom(const std::u16string& subject, const std::u16string& issuer,
                   const std::u16string& serial, IVexaGetData* source, std::string* blob,
                   const std::u16string* comment = nullptr,
                   const std::u16string* timestamp = nullptr) {
    com::Bstr s(subject), i(issuer), n(serial);
    com::Bstr c = comment != nullptr ? com::Bstr(*comment) : com::Bstr();
    com::Bstr t = timestamp != nullptr ? com::Bstr(*timestamp) : com::Bstr();
    SIGNPARAMS params{};
    params.cbSize = kSignParamsSize;
    params.bstrCertSubject = s.get();
    params.bstrCertIssuer = i.get();
    params.bstrCertSerialNumber = n.get();
    params.bstrComment = c.get();
    params.bstrTimestamp = t.get();
    LONG size = -1;
    BYTE* bytes = nullptr;
    const HRESULT hr = signature_->ComputeSignature(&params, source, &size, &bytes);
    if (SUCCEEDED(hr)) {
      blob->assign(reinterpret_cast<char*>(bytes), static_cast<size_t>(size));
    } else {
      EXPECT_EQ(bytes, nullptr);
      EXPECT_EQ(size, 0);
    }
    CoTaskMemFree(bytes);
    return hr;
  }

  HRESULT signWith(const testing::TestCertificate& cert, const std::string& data, std::string* blob,
                   const std::u16string* comment = nullptr,
                   const std::u16string* timestamp = nullptr) {
    return sign(cert.subject(), cert.issuer(), cert.serial(), data, blob, comment, timestamp);
  }

  HRESULT verify(const std::string& blob, const std::string& data, LONG* result) {
    testing::MemoryData source(data);
    return verifyFrom(blob, &source, result);
  }

  HRESULT verifyFrom(std::string blob, IVexaGetData* source, LONG* result) {
    *result = -1;
    return signature_->VerifySignature(source, static_cast<LONG>(blob.size()),
                                       reinterpret_cast<BYTE*>(blob.data()), result);
  }

  Extracted extract(std::string blob) {
    Extracted out;
    SIGNPARAMS params{};
    IVexaSystemTime* notBefore = nullptr;
    IVexaSystemTime* notAfter = nullptr;
    out.hr = signature_->ExtractSignatureInfo(static_cast<LONG>(blob.size()),
                                              reinterpret_cast<BYTE*>(blob.data()), &params,
                                              &notBefore, &notAfter);
    if (FAILED(out.hr)) {
      EXPECT_EQ(notBefore, nullptr);
      EXPECT_EQ(notAfter, nullptr);
      EXPECT_EQ(params.bstrCertSubject, nullptr);
      return out;
    }
    EXPECT_EQ(params.cbSize, kSignParamsSize);
    auto take = [](BSTR text) { return std::u16string(com::Bstr::attach(text).view()); };
    out.subject = take(params.bstrCertSubject);
    out.issuer = take(params.bstrCertIssuer);
    out.serial = take(params.bstrCertSerialNumber);
    out.email = take(params.bstrCertSubjectEMail);
    out.x500 = take(params.bstrCertX500String);
    out.comment = take(params.bstrComment);
    out.timestamp = take(params.bstrTimestamp);
    out.notBefore = fields(com::ComPtr<IVexaSystemTime>::attach(notBefore));
    out.notAfter = fields(com::ComPtr<IVexaSystemTime>::attach(notAfter));
    return out;
  }

  // "YYYY-MM-DD hh:mm:ss"
  static std::string fields(const com::ComPtr<IVexaSystemTime>& time) {
    SHORT y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    time->get_Year(&y);
    time->get_Month(&mo);
    time->get_Day(&d);
    time->get_Hour(&h);
    time->get_Minutes(&mi);
    time->get_Seconds(&sec);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, sec);
    return text;
  }

  static std::optional<ErrorReport> lastError() {
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK) return std::nullopt;
    com::Bstr description, source;
    info->GetDescription(description.out());
    info->GetSource(source.out());
    return ErrorReport{std::u16string(description.view()), std::u16string(source.view())};
  }

  registry::TempRegistry registry_;
  testing::TempCertificateFolder certificates_;
  com::ComPtr<IVexaSignature> signature_;
};

}  // namespace vexamor::signcore
