#include "tools/dxsign/printable.h"

#include <cstdint>
#include <cstdio>

namespace vexamor::dxsign {
namespace {

// The length of the valid UTF-8 sequence at `text[i]` and its code point; 0 when the bytes
// there are no valid sequence (overlong forms and surrogates included).
size_t sequenceAt(std::string_view text, size_t i, uint32_t* code) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[i + k]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint32_t value = 0;
  uint32_t least = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(k) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code = value;
  return length;
}

}  // namespace

std::string printable(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t code = 0;
    const size_t length = sequenceAt(utf8, i, &code);
    char escape[8];
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<uint8_t>(utf8[i]));
      out += escape;
      ++i;
    } else if (code < 0x20 || code == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(code));
      out += escape;
      i += length;
    } else if (code >= 0x80 && code <= 0x9F) {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(code));
      out += escape;
      i += length;
    } else {
      out.append(utf8.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace vexamor::dxsign
