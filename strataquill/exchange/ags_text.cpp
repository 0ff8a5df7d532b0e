#include "strataquill/exchange/ags_text.h"

#include <array>
#include <cstdint>

namespace sq::exchange {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where none is assigned.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence at `i` and its code point; 0 when
// the bytes there are not one.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  std::size_t n;
  char32_t min;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// The ASCII stand-in of one code point above 127.
const char* asciiFor(char32_t c) {
  static constexpr std::array<const char*, 64> kLatin1Letters = {
      "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
      "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "TH", "ss",
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
      "d", "n", "o", "o", "o", "o", "o",  "/", "o", "u", "u", "u", "u", "y", "th", "y"};
  static constexpr std::array<const char*, 32> kLatin1Signs = {
      " ", "!", "c", "GBP", "?", "JPY", "|", "S", "\"", "(c)", "a", "<<", "-", "", "(R)", "-",
      "deg", "+/-", "2", "3", "'", "u", "P", ".", ",", "1", "o", ">>", "1/4", "1/2", "3/4", "?"};
  if (c >= 0xC0 && c <= 0xFF) return kLatin1Letters[c - 0xC0];
  if (c >= 0xA0 && c < 0xC0) return kLatin1Signs[c - 0xA0];
  switch (c) {
    case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032: return "'";
    case 0x201C: case 0x201D: case 0x201E: case 0x201F: case 0x2033: return "\"";
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
    case 0x2212: case 0x2022: return "-";
    case 0x2026: return "...";
    case 0x2002: case 0x2003: case 0x2004: case 0x2005: case 0x2006: case 0x2007:
    case 0x2008: case 0x2009: case 0x200A: case 0x202F: case 0x3000: return " ";
    case 0x200B: case 0xFEFF: return "";
    case 0x2122: return "TM";
    case 0x20AC: return "EUR";
    case 0x2039: return "<";
    case 0x203A: return ">";
    case 0x0152: return "OE";
    case 0x0153: return "oe";
    case 0x0160: return "S";
    case 0x0161: return "s";
    case 0x017D: return "Z";
    case 0x017E: return "z";
    case 0x0178: return "Y";
    case 0x0192: return "f";
    case 0x02C6: return "^";
    case 0x02DC: return "~";
    case 0x2020: case 0x2021: return "+";
    case 0x2030: return "%o";
    case 0x2264: return "<=";
    case 0x2265: return ">=";
    case 0x00D7: return "x";
    default: return "?";
  }
}

}  // namespace

std::size_t firstNonAscii(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) > 127) return i;
  return std::string_view::npos;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = firstNonAscii(text); i < text.size();) {
    char32_t cp;
    const std::size_t n = decodeUtf8(text, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      const char32_t cp = kWindows1252High[c - 0x80];
      appendUtf8(out, cp ? cp : 0xFFFD);
    } else {
      appendUtf8(out, c);
    }
  }
  return out;
}

std::string toUtf8(std::string_view text, bool* wasWindows1252) {
  const bool valid = isValidUtf8(text);
  if (wasWindows1252) *wasWindows1252 = !valid;
  return valid ? std::string(text) : windows1252ToUtf8(text);
}

std::string characterAt(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return {};
  char32_t cp;
  const std::size_t n = decodeUtf8(text, offset, cp);
  return std::string(text.substr(offset, n ? n : 1));
}

std::string toAscii(std::string_view utf8, std::map<std::string, int>* replaced) {
  std::size_t i = firstNonAscii(utf8);
  if (i == std::string_view::npos) return std::string(utf8);
  std::string out(utf8.substr(0, i));
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += utf8[i++];
      continue;
    }
    char32_t cp;
    std::size_t n = decodeUtf8(utf8, i, cp);
    const char* stand = n ? asciiFor(cp) : "?";
    if (n == 0) n = 1;
    if (replaced) ++(*replaced)[std::string(utf8.substr(i, n))];
    out += stand;
    i += n;
  }
  return out;
}

}  // namespace sq::exchange
