#pragma once

#include <QPointF>
#include <cstdint>
#include <random>
#include <vector>

namespace sq::patterns {

// Random numbers that are the same on every system and compiler, so the
// generated tiles are the same from build to build (the standard
// distributions are implementation-defined; the engine is not).
class TileRandom {
 public:
  explicit TileRandom(std::uint32_t seed) : engine_(seed) {}
  // Uniform in [lo, hi).
  double uniform(double lo, double hi) { return lo + (hi - lo) * (engine_() / 4294967296.0); }
  // Uniform whole number in [0, n).
  int below(int n) { return static_cast<int>(uniform(0, n)); }

 private:
  std::mt19937 engine_;
};

// Places round marks at random on a repeating tile so that no two come
// closer than a gap, measured across the tile's edges too. Marks of several
// kinds share one Scatter so that, say, silt dashes keep clear of gravel.
class TileScatter {
 public:
  TileScatter(int width, int height, std::uint32_t seed);

  // Keeps room for a mark placed by hand. New marks keep `clearance` away
  // from it, or their own gap when that is smaller; a negative clearance
  // means their own gap.
  void reserve(QPointF centre, double radius, double clearance = -1);
  // Up to `count` new marks of `radius`, each at least `gap` away from
  // every mark placed so far; stops early when the tile is full.
  std::vector<QPointF> place(int count, double radius, double gap);
  // Like place(), with each mark's radius drawn from [minRadius, maxRadius];
  // returns the centres with their radii.
  struct Mark {
    QPointF centre;
    double radius;
    double clearance = -1;
  };
  std::vector<Mark> placeSized(int count, double minRadius, double maxRadius, double gap);

  TileRandom& random() { return random_; }

 private:
  bool fits(QPointF c, double radius, double gap) const;

  int width_;
  int height_;
  TileRandom random_;
  std::vector<Mark> marks_;
};

}  // namespace sq::patterns
