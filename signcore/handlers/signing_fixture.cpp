#include "signcore/handlers/signing_fixture.h"

#include <cstdio>

namespace vexamor::signcore::testing {
namespace {

std::string timeText(IVexaSystemTime* t) {
  if (t == nullptr) return "";
  SHORT y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  t->get_Year(&y);
  t->get_Month(&mo);
  t->get_Day(&d);
  t->get_Hour(&h);
  t->get_Minutes(&mi);
  t->get_Seconds(&s);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  return text;
}

}  // namespace

HRESULT ClientTime::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IVexaSystemTime) {
    *ppv = static_cast<IVexaSystemTime*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

void SigningTest::SetUp() {
  HandlerTest::SetUp();
  certificates_.emplace();
  certificates_->installStandardSet();
}

HRESULT SigningTest::sign(IVexaSignFile* h, const std::string& path, const TestCertificate& cert,
                          const char* comment, const char* server, IVexaSystemTime* timestamp) {
  com::Bstr s(cert.subjectUtf8()), i(cert.issuerUtf8()), n(cert.serialUtf8());
  com::Bstr c = comment != nullptr ? com::Bstr(std::string_view(comment)) : com::Bstr();
  com::Bstr t = server != nullptr ? com::Bstr(std::string_view(server)) : com::Bstr();
  return h->AddSign(com::Bstr(path).get(), s.get(), i.get(), n.get(), c.get(), t.get(), timestamp,
                    nullptr);
}

SignatureInfo SigningTest::info(IVexaSignFile* h, const std::string& path) {
  SignatureInfo out;
  com::Bstr subject, issuer, email, serial, x500, comment, server;
  com::ComPtr<IVexaSystemTime> from, to, stamp;
  out.hr = h->ExtractSignatureInfo(com::Bstr(path).get(), nullptr, subject.out(), issuer.out(),
                                   email.out(), serial.out(), x500.out(), comment.out(),
                                   from.out(), to.out(), server.out(), stamp.out());
  out.subject = subject.utf8();
  out.issuer = issuer.utf8();
  out.email = email.utf8();
  out.serial = serial.utf8();
  out.x500 = x500.utf8();
  out.comment = comment.utf8();
  out.server = server.utf8();
  out.notBefore = timeText(from.get());
  out.notAfter = timeText(to.get());
  out.timestamp = timeText(stamp.get());
  return out;
}

}  // namespace vexamor::signcore::testing
