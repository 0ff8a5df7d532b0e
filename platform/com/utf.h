// UTF-8 <-> UTF-16 conversion and the case rules of names (registry keys and values, file
// extensions). UTF-8 is this platform's narrow code page: wide strings become UTF-8 before
// they reach the file system or the socket library.
#pragma once

#include <string>
#include <string_view>

namespace vexamor::text {

// Malformed input never fails: a bad sequence becomes U+FFFD, as a lone surrogate does on
// the way to UTF-8.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// The length of a zero-terminated UTF-16 string; 0 for null.
size_t length(const char16_t* s);

// Simple one-to-one case mapping for ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic,
// the letters that the registry's case-insensitive names are compared by.
char16_t toLower(char16_t c);
std::u16string toLower(std::u16string_view s);

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
// <0, 0, >0 like strcmp, comparing lower-cased code units.
int compareIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace vexamor::text
