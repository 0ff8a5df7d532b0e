#pragma once

#include <QPointF>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace sq::sections {

// One lithology unit of a boring column on the page: its top and base
// (inches, y downward) and its class.
struct ColumnUnit {
  double top = 0;
  double base = 0;
  std::string classText;
};

// Which units of two neighbouring borings are the same layer: the longest
// run of classes that appear in both in the same order (the longest common
// subsequence), so two joins never cross. Among equally long runs, the one
// whose joined units lie closest in height wins. Units without a class are
// never joined. Pairs (index in `a`, index in `b`), top down.
std::vector<std::pair<std::size_t, std::size_t>> matchUnits(const std::vector<ColumnUnit>& a,
                                                            const std::vector<ColumnUnit>& b);

// A filled area of the space between two columns, in the class's pattern.
struct PanelShape {
  std::vector<QPointF> points;  // a closed polygon, inches
  std::string classText;
  bool joined = false;  // a layer of both borings; else a unit that pinches out
  // A unit that ends half-way for want of data: its edge on the middle
  // line is no contact but where knowledge ends.
  bool truncated = false;
};

// The shapes between the right edge `xa` of one column and the left edge
// `xb` of the next: each joined pair of units as a band from top to top and
// base to base, and each unit present on one side only as a wedge that
// pinches out half-way, to the point where the contacts above and below it
// meet. Units below the deepest joined pair have no contact beneath them
// (one boring went deeper than the other): they run on half-way, parallel
// to the contact above them, and end there. The shapes never overlap. `a`
// and `b` are top down; either may be empty.
std::vector<PanelShape> correlationPanel(const std::vector<ColumnUnit>& a,
                                         const std::vector<ColumnUnit>& b, double xa, double xb);

}  // namespace sq::sections
