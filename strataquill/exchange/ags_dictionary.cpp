#include "strataquill/exchange/ags_dictionary.h"

#include <string>
#include <unordered_map>

namespace sq::exchange {

const AgsHeadingDef* AgsGroupDef::heading(std::string_view name) const {
  const int k = position(name);
  return k < 0 ? nullptr : &headings[static_cast<std::size_t>(k)];
}

int AgsGroupDef::position(std::string_view name) const {
  for (std::size_t k = 0; k < headings.size(); ++k)
    if (name == headings[k].name) return static_cast<int>(k);
  return -1;
}

const AgsGroupDef* findAgsGroup(std::string_view name) {
  static const auto* index = [] {
    auto* map = new std::unordered_map<std::string_view, const AgsGroupDef*>;
    for (const AgsGroupDef& g : agsGroups()) map->emplace(g.name, &g);
    return map;
  }();
  const auto it = index->find(name);
  return it == index->end() ? nullptr : it->second;
}

}  // namespace sq::exchange
