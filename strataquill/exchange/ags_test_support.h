#pragma once

#include <string>

namespace sq::exchange {

// `text` with every LF made CR LF, the line end the rules want: test files
// are written with "\n" for reading's sake.
inline std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace sq::exchange
