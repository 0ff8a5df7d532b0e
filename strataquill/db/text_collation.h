#pragma once

#include <sqlite3.h>

#include <string_view>

namespace sq::db {

// Orders text as users expect from list boxes: without regard to case
// ("apple" < "Banana" < "cherry"); texts that differ only in case sort as
// equals, so a second ORDER BY term decides between them.
int compareTextForSorting(std::string_view a, std::string_view b);

// The character that `c` sorts as: the lower case letter of a capital of
// the scripts that names are typed in (Latin, Greek, Cyrillic), else `c`.
char32_t foldForSorting(char32_t c);

// Registers compareTextForSorting() on `db` under the name the SQL
// translation uses in ORDER BY.
void registerTextCollation(sqlite3* db);

}  // namespace sq::db
