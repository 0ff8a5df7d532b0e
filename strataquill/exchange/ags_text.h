#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace sq::exchange {

// AGS files are ASCII; files met in practice also carry UTF-8 and
// Windows-1252 characters. These helpers tell them apart, bring both into
// the UTF-8 that projects store, and make the ASCII that written files need.

// Offset of the first byte above 127, or npos.
std::size_t firstNonAscii(std::string_view text);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

// Windows-1252 bytes as UTF-8 (the five unassigned bytes become U+FFFD).
std::string windows1252ToUtf8(std::string_view text);

// The text as UTF-8: kept when it already is, else read as Windows-1252.
// `wasWindows1252` tells which.
std::string toUtf8(std::string_view text, bool* wasWindows1252 = nullptr);

// The UTF-8 character starting at `offset` (one byte when it is not valid
// UTF-8), for messages.
std::string characterAt(std::string_view text, std::size_t offset);

// ASCII for a written file: letters with accents lose them, typographic
// quotes, dashes and blanks become their plain forms, a few signs are
// spelled out ("°" "deg", "±" "+/-", "½" "1/2"), anything else becomes "?".
// Each replaced character is counted in `replaced` (character -> count)
// when given.
std::string toAscii(std::string_view utf8, std::map<std::string, int>* replaced = nullptr);

}  // namespace sq::exchange
