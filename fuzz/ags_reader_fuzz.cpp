// Feeds arbitrary bytes to the AGS reader, the rule check and the import
// planner. None may crash or hang on any input; every issue names its rule and
// a line of the file; a row said to be aligned has one value per heading; a
// plan is either refused with a reason or holds intervals that can be placed.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "strataquill/exchange/ags_import.h"
#include "strataquill/exchange/ags_reader.h"

namespace {

using namespace sq::exchange;

void require(bool condition) {
  if (!condition) std::abort();
}

class Alignment : public AgsVisitor {
 public:
  void row(const AgsGroup& g, const AgsRow& r) override {
    require(!r.aligned || r.values.size() == g.headings.size());
    require(g.units.size() == g.headings.size() && g.types.size() == g.headings.size());
  }
};

const AgsImportContext& context() {
  static const AgsImportContext c = [] {
    AgsImportContext c;
    c.lithologyClasses = {"CL - Lean clay", "SP - Poorly graded sand", "Fill", "Topsoil"};
    c.sampleClasses = {"Split spoon (SPT)", "Grab sample"};
    c.completionClasses = {"Cement grout", "Bentonite seal", "Blank casing", "Screen",
                           "Blank casing in cement grout"};
    std::vector<CompletionMapping::Entry> entries;
    for (const std::string& name : c.completionClasses)
      entries.push_back({name, defaultTarget(name), false});
    c.completion = CompletionMapping(std::move(entries));
    c.existingBorings = {"BH1"};
    return c;
  }();
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::istringstream in(text);
    Alignment alignment;
    readAgs(in, alignment);
  }
  // The planner runs the check as it reads.
  std::istringstream in(text);
  const AgsImportPlan plan = planAgsImport(in, context());
  const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n') +
                                       std::count(text.begin(), text.end(), '\r') + 1);
  for (const AgsIssue& i : plan.issues) {
    require(!i.rule.empty() && !i.message.empty());
    require(i.line >= 0 && i.line <= lines);
  }
  require(!importSummary(plan, true).empty());
  if (plan.refused()) return 0;
  require(plan.depthUnit == "m" || plan.depthUnit == "ft");
  for (const ImportedBoring& b : plan.borings) {
    for (const auto* rows : {&b.lithology, &b.samples, &b.completion})
      for (const ImportedInterval& i : *rows) require(!std::isnan(i.from) && !std::isnan(i.to));
    for (const ImportedInterval& i : b.completion) require(i.from < i.to);
  }
  return 0;
}
