#include "strataquill/project/interval_checks.h"

#include <algorithm>
#include <cctype>

#include "strataquill/db/value.h"

namespace sq::project {
namespace {

// "12 – 15": the depths in their shortest form around an en dash.
std::string span(float a, float b) {
  return db::formatSingle(a) + " \u2013 " + db::formatSingle(b);
}

}  // namespace

std::vector<IntervalFinding> CheckIntervals(const std::vector<IntervalRow>& rows,
                                            bool contiguous) {
  std::vector<IntervalFinding> findings;
  std::vector<IntervalRow> sound;
  for (const IntervalRow& r : rows) {
    if (!r.from || !r.to) continue;
    if (!(*r.from < *r.to)) {
      findings.push_back({IntervalFinding::Kind::kInverted, r.row,
                          "From " + db::formatSingle(*r.from) + " is not above To " +
                              db::formatSingle(*r.to)});
      continue;
    }
    sound.push_back(r);
  }
  if (!contiguous) return findings;
  std::stable_sort(sound.begin(), sound.end(), [](const IntervalRow& a, const IntervalRow& b) {
    return *a.from != *b.from ? *a.from < *b.from : *a.to < *b.to;
  });
  // Each interval is compared with the deepest-reaching one above it, so an
  // interval that lies inside a long one is caught as well.
  for (std::size_t i = 1, deepest = 0; i < sound.size(); ++i) {
    const IntervalRow& above = sound[deepest];
    const IntervalRow& below = sound[i];
    if (*below.from < *above.to) {
      const std::string text = "Overlaps " + span(*below.from, std::min(*above.to, *below.to));
      findings.push_back({IntervalFinding::Kind::kOverlap, above.row, text});
      findings.push_back({IntervalFinding::Kind::kOverlap, below.row, text});
    } else if (*below.from > *above.to) {
      const std::string text = "Gap " + span(*above.to, *below.from);
      findings.push_back({IntervalFinding::Kind::kGap, above.row, text});
      findings.push_back({IntervalFinding::Kind::kGap, below.row, text});
    }
    if (*below.to > *above.to) deepest = i;
  }
  return findings;
}

int CountProblems(const std::vector<IntervalFinding>& findings) {
  int count = 0;
  for (const IntervalFinding& f : findings)
    count += f.kind == IntervalFinding::Kind::kInverted ? 2 : 1;
  return count / 2;
}

bool IsListValue(const std::string& text, const std::vector<std::string>& items) {
  return text.empty() || items.empty() ||
         std::find(items.begin(), items.end(), text) != items.end();
}

std::string NotInListNote(const std::string& heading) {
  std::string lower = heading;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return "Not in the " + lower + " list";
}

}  // namespace sq::project
