#include "tools/dxsign/com_failure.h"

#include <cstdio>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/message_table.h"
#include "platform/com/utf.h"
#include "tools/dxsign/printable.h"

namespace vexamor::dxsign {

std::string describeFailure(const std::string& what, HRESULT hr) {
  return what + " failed: " + describeError(hr);
}

std::string describeError(HRESULT hr) {
  std::string description;
  std::string source;
  com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.out()) == S_OK) {
    com::Bstr text, from;
    info->GetDescription(text.out());
    info->GetSource(from.out());
    description = text.utf8();
    source = from.utf8();
  }
  if (description.empty()) {
    const auto text = win32::systemMessage(static_cast<uint32_t>(hr));
    description = text ? vexamor::text::utf16ToUtf8(*text) : "Unknown error";
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  // The description may quote what a file holds; it reaches a terminal escaped.
  return printable(description) + " (" + code + (source.empty() ? "" : ", " + printable(source)) +
         ")";
}

}  // namespace vexamor::dxsign
