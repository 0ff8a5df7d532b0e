#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace sq::sections {

// A place on the site in the map's coordinate unit: east to the right,
// north up.
struct SitePoint {
  double east = 0;
  double north = 0;
  friend bool operator==(const SitePoint&, const SitePoint&) = default;
};

// The number a coordinate, elevation or water-level text holds: the whole
// text (blanks around it allowed) must be one finite decimal number, so
// "742.3" reads and "742.3 ft", "Dry" or "" do not.
std::optional<double> parseNumber(std::string_view text);

double distance(const SitePoint& a, const SitePoint& b);

// Where a point lies against the straight line from `a` to `b`: `along`
// the line from `a` (negative before it), and `offset` from it, positive on
// the left of the direction a -> b. A line of no length measures from `a`:
// along 0 and offset the distance.
struct LinePosition {
  double along = 0;
  double offset = 0;
};
LinePosition projectOntoLine(const SitePoint& p, const SitePoint& a, const SitePoint& b);

// How a section places its borings horizontally.
enum class StationMode {
  kCumulative,  // the summed distances between consecutive borings
  kProjected,   // each boring projected onto the line from the first to the last
};

// The horizontal position of each boring along the section, the first at 0.
std::vector<double> sectionStations(const std::vector<SitePoint>& points, StationMode mode);

// The largest number of the form 1, 2 or 5 × 10^n that is not above `x`
// (the length of a scale bar that fits `x`); 0 for anything not above 0.
double niceNumber(double x);

// The smallest step of the form 1, 2 or 5 × 10^n that divides `range` into
// at most `maxSteps` steps (tick intervals); 1 for an empty range.
double niceStep(double range, int maxSteps);

// The smallest drawing scale (units per inch) of the series 1, 1.5, 2, 2.5,
// 3, 4, 5, 6, 8 × 10^n that is at least `unitsPerInch`: the scales engineers'
// rules carry, so "1 in = 60 ft" rather than "1 in = 57.3 ft".
double roundScaleUp(double unitsPerInch);
// The largest scale of that series not above `unitsPerInch`.
double roundScaleDown(double unitsPerInch);

// Latitude and longitude (degrees) as metres east and north of (lat0, lon0)
// on a plane: the equirectangular projection about the site's mean
// latitude, good to a fraction of a percent across a site.
SitePoint projectEquirectangular(double latitude, double longitude, double lat0, double lon0);

// Elevation to the page and back, inches from the top of the page.
struct ElevationScale {
  double topElevation = 0;  // the elevation at `topY`
  double topY = 0;
  double unitsPerInch = 1;  // elevation units per inch of paper
  double y(double elevation) const { return topY + (topElevation - elevation) / unitsPerInch; }
  double elevation(double y) const { return topElevation - (y - topY) * unitsPerInch; }
};

// A rectangle of the page, inches.
struct PageRect {
  double left = 0, top = 0, width = 0, height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};

// The plan view of a map: site coordinates to the page with one scale both
// ways (a map must not stretch), north up.
struct MapFit {
  double unitsPerInch = 1;
  SitePoint centre;        // the site point at the frame's centre
  double centreX = 0, centreY = 0;  // the frame's centre on the page, inches
  double x(const SitePoint& p) const { return centreX + (p.east - centre.east) / unitsPerInch; }
  double y(const SitePoint& p) const { return centreY - (p.north - centre.north) / unitsPerInch; }
  SitePoint site(double x, double y) const {
    return {centre.east + (x - centreX) * unitsPerInch, centre.north - (y - centreY) * unitsPerInch};
  }
};

// Fits every point inside `frame` with `margin` inches of paper kept free
// on each side, at a rounded scale (roundScaleUp), centred. A single point
// or points all in one place get `minimumUnitsPerInch`.
MapFit fitMap(const std::vector<SitePoint>& points, const PageRect& frame, double margin,
              double minimumUnitsPerInch);

}  // namespace sq::sections
