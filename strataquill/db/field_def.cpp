#include "strataquill/db/field_def.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sq::db {
const FieldDef* TableDef::field(std::string_view name) const {
  for (const FieldDef& f : fields)
    if (equalsIgnoreCase(f.name, name)) return &f;
  return nullptr;
}

int defaultFieldSize(DaoType type) {
  switch (type) {
    case DaoType::kBoolean:
    case DaoType::kByte:
      return 1;
    case DaoType::kInteger:
      return 2;
    case DaoType::kLong:
    case DaoType::kSingle:
      return 4;
    case DaoType::kCurrency:
    case DaoType::kDouble:
    case DaoType::kDate:
      return 8;
    case DaoType::kText:
      return 50;
    case DaoType::kLongBinary:
    case DaoType::kMemo:
      return 0;
  }
  return 0;
}

std::string declaredTypeFor(const FieldDef& def) {
  switch (def.type) {
    case DaoType::kBoolean:
      return "BIT";
    case DaoType::kByte:
      return "TINYINT";
    case DaoType::kInteger:
      return "SMALLINT";
    case DaoType::kLong:
      return "INTEGER";
    case DaoType::kCurrency:
      return "CURRENCY";
    case DaoType::kSingle:
      return "FLOAT4";
    case DaoType::kDouble:
      return "DOUBLE";
    case DaoType::kDate:
      return "DATETIME";
    case DaoType::kText: {
      int size = def.size > 0 ? std::min(def.size, 255) : 50;
      return "TEXT(" + std::to_string(size) + ")";
    }
    case DaoType::kLongBinary:
      return "LONGBINARY BLOB";
    case DaoType::kMemo:
      return "LONGTEXT";
  }
  return "LONGTEXT";
}

std::optional<DaoType> daoTypeFromDdlName(std::string_view name) {
  const std::string n = toUpperAscii(name);
  if (n == "TEXT" || n == "VARCHAR" || n == "CHAR" || n == "STRING" || n == "ALPHANUMERIC")
    return DaoType::kText;
  if (n == "MEMO" || n == "LONGTEXT" || n == "LONGCHAR" || n == "NOTE") return DaoType::kMemo;
  if (n == "SINGLE" || n == "FLOAT4" || n == "IEEESINGLE" || n == "REAL") return DaoType::kSingle;
  if (n == "DOUBLE" || n == "FLOAT" || n == "FLOAT8" || n == "IEEEDOUBLE" || n == "NUMBER")
    return DaoType::kDouble;
  if (n == "BIT" || n == "YESNO" || n == "LOGICAL" || n == "LOGICAL1" || n == "BOOLEAN")
    return DaoType::kBoolean;
  if (n == "BYTE" || n == "TINYINT" || n == "INTEGER1") return DaoType::kByte;
  if (n == "SHORT" || n == "SMALLINT" || n == "INTEGER2") return DaoType::kInteger;
  if (n == "LONG" || n == "INT" || n == "INTEGER" || n == "INTEGER4" || n == "COUNTER")
    return DaoType::kLong;
  if (n == "CURRENCY" || n == "MONEY") return DaoType::kCurrency;
  if (n == "DATETIME" || n == "DATE" || n == "TIME" || n == "TIMESTAMP") return DaoType::kDate;
  if (n == "LONGBINARY" || n == "BINARY" || n == "OLEOBJECT" || n == "GENERAL")
    return DaoType::kLongBinary;
  return std::nullopt;
}

FieldDef fieldDefFromDeclaredType(std::string name, std::string_view declaredType) {
  FieldDef def;
  def.name = std::move(name);
  const std::string t = toUpperAscii(declaredType);
  std::string head = t.substr(0, t.find_first_of("( "));
  if (auto type = daoTypeFromDdlName(head)) {
    def.type = *type;
  } else if (t.find("INT") != std::string::npos) {
    def.type = DaoType::kLong;
  } else if (t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
             t.find("TEXT") != std::string::npos) {
    def.type = DaoType::kMemo;
  } else if (t.find("BLOB") != std::string::npos || t.empty()) {
    def.type = t.empty() ? DaoType::kMemo : DaoType::kLongBinary;
  } else if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
             t.find("DOUB") != std::string::npos) {
    def.type = DaoType::kDouble;
  } else {
    def.type = DaoType::kDouble;
  }
  def.size = defaultFieldSize(def.type);
  if (def.type == DaoType::kText) {
    auto open = t.find('(');
    if (open != std::string::npos) {
      // The size as a damaged or foreign file may write it: no number keeps
      // the default, a number beyond a Text field's limit is the limit.
      int size = 0;
      const char* first = t.c_str() + open + 1;
      auto [end, ec] = std::from_chars(first, t.c_str() + t.size(), size);
      if (ec == std::errc() && end != first && size > 0) def.size = std::min(size, 255);
    }
  }
  return def;
}

}  // namespace sq::db
