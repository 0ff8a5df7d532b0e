#pragma once

#include <span>
#include <string_view>

namespace sq::exchange {

// The groups and headings of the AGS4 standard dictionary (edition 4.1.1):
// names, status, data types, units and parent groups, kept as a table of
// our own (ags_dictionary_table.cpp, made by sq-ags-dictionary).

enum class AgsStatus { kKey, kKeyRequired, kRequired, kOther, kDeprecated };

struct AgsHeadingDef {
  const char* name;
  AgsStatus status;
  const char* type;
  const char* unit;

  bool key() const { return status == AgsStatus::kKey || status == AgsStatus::kKeyRequired; }
  bool required() const {
    return status == AgsStatus::kRequired || status == AgsStatus::kKeyRequired;
  }
};

struct AgsGroupDef {
  const char* name;
  const char* parent;  // "" for none
  std::span<const AgsHeadingDef> headings;

  // The heading of that name, or null.
  const AgsHeadingDef* heading(std::string_view name) const;
  // Its position in the dictionary's order, or -1.
  int position(std::string_view name) const;
};

// The edition the table holds.
inline constexpr const char* kAgsEdition = "4.1.1";

// Every standard group in dictionary order.
std::span<const AgsGroupDef> agsGroups();
// The standard group of that name, or null.
const AgsGroupDef* findAgsGroup(std::string_view name);

}  // namespace sq::exchange
