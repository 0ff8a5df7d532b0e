#include "strataquill/db/text_collation.h"

#include <string>

#include "strataquill/db/jet_sql.h"

namespace sq::db {
namespace {

// Decodes one UTF-8 sequence at `i`; malformed bytes are taken one by one.
char32_t decode(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return b;
  }
  char32_t c = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    auto cb = static_cast<unsigned char>(s[i + k]);
    if ((cb & 0xC0) != 0x80) {
      ++i;
      return b;
    }
    c = (c << 6) | (cb & 0x3F);
  }
  i += extra + 1;
  return c;
}

// Lower case for ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic: the
// scripts of the names users type into logs.
char32_t foldCharacter(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c % 2 == 0) return c + 1;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

int collate(void*, int lenA, const void* a, int lenB, const void* b) {
  return compareTextForSorting(std::string_view(static_cast<const char*>(a), lenA),
                               std::string_view(static_cast<const char*>(b), lenB));
}

}  // namespace

char32_t foldForSorting(char32_t c) {
  return foldCharacter(c);
}

int compareTextForSorting(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = foldCharacter(decode(a, i));
    char32_t y = foldCharacter(decode(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

void registerTextCollation(sqlite3* db) {
  std::string name(kTextCollation);
  sqlite3_create_collation(db, name.c_str(), SQLITE_UTF8, nullptr, collate);
}

}  // namespace sq::db
