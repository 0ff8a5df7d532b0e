#include "signcore/module/error_report.h"

#include <cstdio>

#include "platform/com/com_ptr.h"
#include "platform/com/error_info.h"
#include "platform/com/message_table.h"
#include "platform/com/utf.h"

namespace vexamor::signcore {

std::u16string moduleString(unsigned id) {
  if (id == kIdsProjectName) return u"DXSIGNCORE";
  return u"Unknown Error";
}

std::u16string errorDescription(HRESULT hr) {
  if (auto text = win32::systemMessage(static_cast<uint32_t>(hr))) return *text;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, " [0x%x]", static_cast<unsigned>(hr));
  return moduleString(kIdsProjectName) + text::utf8ToUtf16(buffer);
}

std::u16string describedBy(HRESULT hr, std::u16string_view reason) {
  std::u16string text = errorDescription(hr);
  if (!reason.empty()) text.append(u" ").append(reason);
  return text;
}

HRESULT reportFailure(const ClassInfo& cls, long code, const std::u16string& description) {
  const HRESULT hr =
      code > 0 ? HRESULT_FROM_WIN32(static_cast<uint32_t>(code)) : static_cast<HRESULT>(code);
  try {
    com::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.out()))) return hr;
    std::u16string text = description.empty() ? errorDescription(hr) : description;
    std::u16string source = cls.progId;
    create->SetGUID(cls.iid);
    create->SetSource(source.data());
    create->SetDescription(text.data());
    com::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.queryTo(&info))) SetErrorInfo(0, info.get());
  } catch (...) {
    // Out of memory while describing the failure: the code itself still goes back.
  }
  return hr;
}

}  // namespace vexamor::signcore
