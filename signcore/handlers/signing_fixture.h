// What the signing tests share: the handler fixture with the test certificates installed, a
// client's own IVexaSystemTime, and short forms of AddSign and ExtractSignatureInfo.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/handler_test_support.h"

namespace vexamor::signcore::testing {

// A time stamp as a client makes one: fixed fields, and an optional action run when the
// handler reads the month (the first field it reads, once the file is open).
class ClientTime final : public IVexaSystemTime {
 public:
  ClientTime(SHORT year, SHORT month, SHORT day, SHORT hour, SHORT minutes, SHORT seconds)
      : fields_{year, month, day, hour, minutes, seconds} {}
  std::function<void()> onMonthRead;

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return 2; }  // lives on the test's stack
  ULONG Release() override { return 1; }
  HRESULT get_Year(SHORT* p) override { return give(0, p); }
  HRESULT get_Month(SHORT* p) override {
    if (onMonthRead) onMonthRead();
    return give(1, p);
  }
  HRESULT get_Day(SHORT* p) override { return give(2, p); }
  HRESULT get_Hour(SHORT* p) override { return give(3, p); }
  HRESULT get_Minutes(SHORT* p) override { return give(4, p); }
  HRESULT get_Seconds(SHORT* p) override { return give(5, p); }

 private:
  HRESULT give(int i, SHORT* p) {
    if (p == nullptr) return E_POINTER;
    *p = fields_[i];
    return S_OK;
  }
  SHORT fields_[6];
};

struct SignatureInfo {
  HRESULT hr = E_FAIL;
  std::string subject, issuer, email, serial, x500, comment, server;
  std::string notBefore, notAfter, timestamp;  // "2004-07-05 09:07:03", empty when none
};

class SigningTest : public HandlerTest {
 protected:
  void SetUp() override;

  static const TestPki& pki() { return TestPki::get(); }
  // AddSign with a certificate of the standard set.
  static HRESULT sign(IVexaSignFile* h, const std::string& path, const TestCertificate& cert,
                      const char* comment = nullptr, const char* server = nullptr,
                      IVexaSystemTime* timestamp = nullptr);
  static SignatureInfo info(IVexaSignFile* h, const std::string& path);

  std::optional<TempCertificateFolder> certificates_;
};

}  // namespace vexamor::signcore::testing
