#include "signcore/crypto/vexa_system_time.h"

#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

class VexaSystemTime final : public ComObject<VexaSystemTime, IVexaSystemTime> {
 public:
  explicit VexaSystemTime(const SYSTEMTIME& time = {}) : time_(time) {}

  HRESULT get_Year(SHORT* pVal) override { return read(time_.wYear, pVal); }
  HRESULT get_Month(SHORT* pVal) override { return read(time_.wMonth, pVal); }
  HRESULT get_Day(SHORT* pVal) override { return read(time_.wDay, pVal); }
  HRESULT get_Hour(SHORT* pVal) override { return read(time_.wHour, pVal); }
  HRESULT get_Minutes(SHORT* pVal) override { return read(time_.wMinute, pVal); }
  HRESULT get_Seconds(SHORT* pVal) override { return read(time_.wSecond, pVal); }

 private:
  static HRESULT read(WORD field, SHORT* out) {
    return runMethod(kVexaSystemTimeClass, [&]() -> HRESULT {
      if (out == nullptr) return E_POINTER;
      *out = static_cast<SHORT>(field);
      return S_OK;
    });
  }

  const SYSTEMTIME time_;
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaSystemTime>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaSystemTimeClass = {CLSID_VexaSystemTime,  IID_IVexaSystemTime,
                                        kProgIdVexaSystemTime, "VexaSystemTime",
                                        "IVexaSystemTime",     create};

HRESULT createSystemTime(const SYSTEMTIME& time, IVexaSystemTime** out) {
  return createObject<VexaSystemTime>(IID_IVexaSystemTime, reinterpret_cast<void**>(out), time);
}

}  // namespace vexamor::signcore
