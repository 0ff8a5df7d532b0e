#include "strataquill/layouts/layout_codes.h"

#include "strataquill/db/field_def.h"
#include "strataquill/db/value.h"

namespace sq::layouts {

RgbValue GetColor(std::string_view code) {
  if (code.size() < 2) return 0;
  switch (code[0]) {
    case '2':
      return 0x0000FF;
    case '3':
      return 0x00FF00;
    case '4':
      return 0x00FFFF;
    case '5':
      return 0xFF0000;
    case '6':
      return 0xFF00FF;
    case '7':
      return 0xFFFF00;
    case '8':
      return 0xFFFFFF;
    default:
      return 0;
  }
}

int GetPenStyle(std::string_view code) {
  if (code.empty() || code[0] < '0' || code[0] > '5') return 0;
  return code[0] - '0';
}

Alignment GetAlignment(std::string_view code) {
  if (!code.empty() && code[0] == '2') return Alignment::kCenter;
  if (!code.empty() && code[0] == '3') return Alignment::kRight;
  return Alignment::kLeft;
}

bool GetYesNo(std::string_view stored) {
  std::string_view t = stored;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (db::equalsIgnoreCase(t, "True") || db::equalsIgnoreCase(t, "Yes")) return true;
  return static_cast<float>(db::parseLeadingNumber(t)) != 0.0f;
}

}  // namespace sq::layouts
