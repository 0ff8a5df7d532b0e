#include "strataquill/data/pattern_set.h"

namespace sq::patterns {

std::vector<PatternDef> patternSet() {
  std::vector<PatternDef> set;
  addSoilPatterns(set);
  addRockPatterns(set);
  addWellPatterns(set);
  return set;
}

}  // namespace sq::patterns
