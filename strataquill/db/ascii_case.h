#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace sq::db {

// Names of tables, fields, settings and placeholder tokens compare without
// regard to ASCII case; other characters compare as they are.
inline char toUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

inline std::string toUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = toUpperAscii(c);
  return out;
}

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return toUpperAscii(x) == toUpperAscii(y);
         });
}

}  // namespace sq::db
