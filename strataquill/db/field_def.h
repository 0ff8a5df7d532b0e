#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/ascii_case.h"

namespace sq::db {

// Field types by their DAO type codes; the numbers are part of the API that
// callers compare against.
enum class DaoType : int {
  kBoolean = 1,
  kByte = 2,
  kInteger = 3,  // 16-bit
  kLong = 4,     // 32-bit
  kCurrency = 5,
  kSingle = 6,
  kDouble = 7,
  kDate = 8,
  kText = 10,
  kLongBinary = 11,
  kMemo = 12,
};

struct FieldDef {
  std::string name;
  DaoType type = DaoType::kText;
  int size = 0;  // characters for Text, bytes of storage otherwise
  bool allowZeroLength = false;

  bool isTextual() const { return type == DaoType::kText || type == DaoType::kMemo; }
};

struct TableDef {
  std::string name;
  std::vector<FieldDef> fields;

  const FieldDef* field(std::string_view name) const;
};

// The SQLite declared type under which a field of `def` is stored. The names
// are chosen for their column affinity: Text and Memo get TEXT affinity so
// that "01234" stays "01234"; Single and Double get REAL affinity.
std::string declaredTypeFor(const FieldDef& def);

// Reads a declared type back into a type code and size. Declared types of
// tables made by other tools map to the nearest DAO type by SQLite's own
// affinity rules.
FieldDef fieldDefFromDeclaredType(std::string name, std::string_view declaredType);

// Maps a type name of the DDL dialect ("TEXT", "MEMO", "SINGLE", "LONG", ...)
// to a type code; nothing when the name is unknown.
std::optional<DaoType> daoTypeFromDdlName(std::string_view name);

// Storage size DAO reports for fixed-size types (Single 4, Double 8, ...).
int defaultFieldSize(DaoType type);

}  // namespace sq::db
