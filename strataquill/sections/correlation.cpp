#include "strataquill/sections/correlation.h"

#include <algorithm>
#include <cmath>

namespace sq::sections {
namespace {

// The best common subsequence of a[i..] and b[j..]: its length first, then
// the smallest total height difference of its pairs.
struct Best {
  int length = 0;
  double cost = 0;
  bool betterThan(const Best& o) const {
    if (length != o.length) return length > o.length;
    return cost < o.cost - 1e-12;
  }
};

double middle(const ColumnUnit& u) {
  return (u.top + u.base) / 2;
}

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> matchUnits(const std::vector<ColumnUnit>& a,
                                                            const std::vector<ColumnUnit>& b) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<Best> table((n + 1) * (m + 1));
  auto at = [&](std::size_t i, std::size_t j) -> Best& { return table[i * (m + 1) + j]; };
  auto joinable = [&](std::size_t i, std::size_t j) {
    return !a[i].classText.empty() && a[i].classText == b[j].classText;
  };
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      Best best = at(i + 1, j);
      if (at(i, j + 1).betterThan(best)) best = at(i, j + 1);
      if (joinable(i, j)) {
        Best take = at(i + 1, j + 1);
        take.length += 1;
        take.cost += std::abs(middle(a[i]) - middle(b[j]));
        if (take.betterThan(best)) best = take;
      }
      at(i, j) = best;
    }
  }
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::size_t i = 0, j = 0;
  while (i < n && j < m) {
    const Best& here = at(i, j);
    if (joinable(i, j)) {
      Best take = at(i + 1, j + 1);
      take.length += 1;
      take.cost += std::abs(middle(a[i]) - middle(b[j]));
      if (!here.betterThan(take)) {
        pairs.emplace_back(i, j);
        ++i;
        ++j;
        continue;
      }
    }
    if (!here.betterThan(at(i + 1, j)))
      ++i;
    else
      ++j;
  }
  return pairs;
}

std::vector<PanelShape> correlationPanel(const std::vector<ColumnUnit>& a,
                                         const std::vector<ColumnUnit>& b, double xa, double xb) {
  const auto pairs = matchUnits(a, b);
  const double xm = (xa + xb) / 2;
  std::vector<PanelShape> shapes;

  // The space between two joined pairs (or above the first, or below the
  // last) is a gap: on each side the units that were not joined, between
  // the contact above (uA, uB) and the contact below (dA, dB). Its units
  // fan out from one point half-way across, where the contacts that bound
  // the gap meet; so the bands above and below bend through that point.
  struct Gap {
    std::size_t a0, a1, b0, b1;  // unit ranges [a0, a1), [b0, b1)
    double uA, uB, dA, dB;
    QPointF tip;
  };
  std::vector<Gap> gaps;
  auto addGap = [&](std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1, double uA,
                    double uB, double dA, double dB) {
    const double mU = (uA + uB) / 2, mD = (dA + dB) / 2;
    gaps.push_back({a0, a1, b0, b1, uA, uB, dA, dB, QPointF(xm, (mU + mD) / 2)});
  };
  const double topA = a.empty() ? 0 : a.front().top, topB = b.empty() ? 0 : b.front().top;
  const double baseA = a.empty() ? 0 : a.back().base, baseB = b.empty() ? 0 : b.back().base;
  std::size_t pa = 0, pb = 0;
  double uA = a.empty() ? topB : topA, uB = b.empty() ? topA : topB;
  for (const auto& [i, j] : pairs) {
    addGap(pa, i, pb, j, uA, uB, a[i].top, b[j].top);
    uA = a[i].base;
    uB = b[j].base;
    pa = i + 1;
    pb = j + 1;
  }
  addGap(pa, a.size(), pb, b.size(), uA, uB, a.empty() ? baseB : std::max(baseA, uA),
         b.empty() ? baseA : std::max(baseB, uB));

  // Bands of the joined pairs: gap k lies above pair k and gap k + 1 below.
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const auto [i, j] = pairs[k];
    PanelShape band;
    band.classText = a[i].classText;
    band.joined = true;
    band.points = {{xa, a[i].top}, gaps[k].tip,      {xb, b[j].top},
                   {xb, b[j].base}, gaps[k + 1].tip, {xa, a[i].base}};
    shapes.push_back(std::move(band));
  }
  // Wedges: each unit of a gap between joined layers (or under the ground)
  // narrows to the gap's tip.
  for (std::size_t k = 0; k + 1 < gaps.size(); ++k) {
    const Gap& g = gaps[k];
    for (std::size_t i = g.a0; i < g.a1; ++i)
      shapes.push_back({{{xa, a[i].top}, g.tip, {xa, a[i].base}}, a[i].classText, false, false});
    for (std::size_t j = g.b0; j < g.b1; ++j)
      shapes.push_back({{{xb, b[j].top}, {xb, b[j].base}, g.tip}, b[j].classText, false, false});
  }
  // Below the deepest joined layer nothing bounds the units from beneath:
  // a boring that went deeper than its neighbour found units the neighbour
  // never reached. They run on half-way along the slope of the contact
  // above them and end there, where the data ends.
  const Gap& last = gaps.back();
  const double shift = (last.uB - last.uA) / 2;
  // Never below the deeper of the two borings: nobody drilled there. The
  // cut keeps the order of the units, so they still do not overlap.
  const double deepest = std::max(a.empty() ? baseB : baseA, b.empty() ? baseA : baseB);
  auto floor = [deepest](double y) { return std::min(y, deepest); };
  for (std::size_t i = last.a0; i < last.a1; ++i)
    shapes.push_back({{{xa, a[i].top}, {xm, floor(a[i].top + shift)},
                       {xm, floor(a[i].base + shift)}, {xa, a[i].base}},
                      a[i].classText,
                      false,
                      true});
  for (std::size_t j = last.b0; j < last.b1; ++j)
    shapes.push_back({{{xb, b[j].top}, {xb, b[j].base}, {xm, floor(b[j].base - shift)},
                       {xm, floor(b[j].top - shift)}},
                      b[j].classText,
                      false,
                      true});
  // The contact above them bends through no tip.
  if (!pairs.empty()) {
    PanelShape& band = shapes[pairs.size() - 1];
    band.points[4] = QPointF(xm, (last.uA + last.uB) / 2);
  }
  return shapes;
}

}  // namespace sq::sections
