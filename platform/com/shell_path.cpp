#include "platform/com/shell_path.h"

extern "C" char* PathFindExtensionA(const char* pszPath) {
  if (pszPath == nullptr) return nullptr;
  const char* lastDot = nullptr;
  const char* p = pszPath;
  // UTF-8 keeps '/', '.' and ' ' out of multi-byte sequences, so a byte scan is exact.
  for (; *p != 0; ++p) {
    if (*p == '/' || *p == ' ') {
      lastDot = nullptr;
    } else if (*p == '.') {
      lastDot = p;
    }
  }
  return const_cast<char*>(lastDot != nullptr ? lastDot : p);
}
