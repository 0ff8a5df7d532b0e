#include "signcore/handlers/timestamp_text.h"

#include <array>
#include <vector>

namespace vexamor::signcore {
namespace {

// Like atoi: blanks, a sign, then as many digits as there are.
WORD decimalField(std::u16string_view field) {
  size_t i = 0;
  while (i < field.size() && (field[i] == u' ' || field[i] == u'\t')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == u'-' || field[i] == u'+')) negative = field[i++] == u'-';
  uint32_t value = 0;
  for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i) {
    // Kept to 16 bits as it goes: the field is 16 bits wide, and the low bits of a longer
    // number come out the same.
    value = (value * 10 + static_cast<uint32_t>(field[i] - u'0')) & 0xFFFFu;
  }
  return static_cast<WORD>(negative ? 0u - value : value);
}

}  // namespace

Result<std::u16string> makeTimestampText(IVexaSystemTime* time, BSTR server) {
  using Getter = HRESULT (IVexaSystemTime::*)(SHORT*);
  constexpr Getter kOrder[] = {&IVexaSystemTime::get_Month,   &IVexaSystemTime::get_Day,
                               &IVexaSystemTime::get_Year,    &IVexaSystemTime::get_Hour,
                               &IVexaSystemTime::get_Minutes, &IVexaSystemTime::get_Seconds};
  std::u16string text;
  for (Getter get : kOrder) {
    SHORT value = 0;
    if (const HRESULT hr = (time->*get)(&value); FAILED(hr)) return formatFault(hr);
    for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    text += u'/';
  }
  if (server != nullptr) text.append(server, SysStringLen(server));
  return text;
}

std::optional<Timestamp> parseTimestampText(std::u16string_view text) {
  std::array<std::u16string_view, 6> fields;
  size_t at = 0;
  for (auto& field : fields) {
    const size_t slash = text.find(u'/', at);
    if (slash == std::u16string_view::npos) {
      // The last of the six may end the text without a slash of its own.
      if (&field != &fields.back()) return std::nullopt;
      field = text.substr(at);
      at = text.size();
      break;
    }
    field = text.substr(at, slash - at);
    at = slash + 1;
  }
  Timestamp out;
  out.time.wMonth = decimalField(fields[0]);
  out.time.wDay = decimalField(fields[1]);
  out.time.wYear = decimalField(fields[2]);
  out.time.wHour = decimalField(fields[3]);
  out.time.wMinute = decimalField(fields[4]);
  out.time.wSecond = decimalField(fields[5]);
  if (at < text.size()) {
    const std::u16string_view rest = text.substr(at);
    out.server = std::u16string(rest.substr(0, rest.find(u'/')));
  }
  return out;
}

}  // namespace vexamor::signcore
