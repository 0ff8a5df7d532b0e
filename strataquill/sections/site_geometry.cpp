#include "strataquill/sections/site_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace sq::sections {
namespace {

constexpr double kEarthRadiusMetres = 6371008.8;  // mean radius

// The numbers m × 10^n for the mantissas of `series`, rounded up or down.
template <std::size_t N>
double roundToSeries(double x, const double (&series)[N], bool up) {
  if (!(x > 0) || !std::isfinite(x)) return 0;
  const double decade = std::pow(10.0, std::floor(std::log10(x)));
  // A small tolerance keeps 50 from becoming 60 through rounding noise.
  const double m = x / decade;
  if (up) {
    for (double s : series)
      if (s >= m * (1 - 1e-9)) return s * decade;
    return series[0] * decade * 10;
  }
  for (std::size_t i = N; i-- > 0;)
    if (series[i] <= m * (1 + 1e-9)) return series[i] * decade;
  return series[N - 1] * decade / 10;
}

constexpr double kBarSeries[] = {1, 2, 5};
constexpr double kScaleSeries[] = {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8};

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

double distance(const SitePoint& a, const SitePoint& b) {
  return std::hypot(b.east - a.east, b.north - a.north);
}

LinePosition projectOntoLine(const SitePoint& p, const SitePoint& a, const SitePoint& b) {
  const double length = distance(a, b);
  if (!(length > 0)) return {0, distance(a, p)};
  const double ux = (b.east - a.east) / length, uy = (b.north - a.north) / length;
  const double dx = p.east - a.east, dy = p.north - a.north;
  return {dx * ux + dy * uy, ux * dy - uy * dx};
}

std::vector<double> sectionStations(const std::vector<SitePoint>& points, StationMode mode) {
  std::vector<double> stations;
  stations.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (mode == StationMode::kProjected) {
      stations.push_back(projectOntoLine(points[i], points.front(), points.back()).along);
    } else {
      stations.push_back(i == 0 ? 0.0 : stations.back() + distance(points[i - 1], points[i]));
    }
  }
  return stations;
}

double niceNumber(double x) {
  return roundToSeries(x, kBarSeries, false);
}

double niceStep(double range, int maxSteps) {
  if (!(range > 0) || !std::isfinite(range) || maxSteps < 1) return 1;
  return roundToSeries(range / maxSteps, kBarSeries, true);
}

double roundScaleUp(double unitsPerInch) {
  return roundToSeries(unitsPerInch, kScaleSeries, true);
}

double roundScaleDown(double unitsPerInch) {
  return roundToSeries(unitsPerInch, kScaleSeries, false);
}

SitePoint projectEquirectangular(double latitude, double longitude, double lat0, double lon0) {
  constexpr double kRadians = M_PI / 180.0;
  return {(longitude - lon0) * kRadians * std::cos(lat0 * kRadians) * kEarthRadiusMetres,
          (latitude - lat0) * kRadians * kEarthRadiusMetres};
}

MapFit fitMap(const std::vector<SitePoint>& points, const PageRect& frame, double margin,
              double minimumUnitsPerInch) {
  MapFit fit;
  fit.centreX = frame.left + frame.width / 2;
  fit.centreY = frame.top + frame.height / 2;
  fit.unitsPerInch = minimumUnitsPerInch > 0 ? minimumUnitsPerInch : 1;
  if (points.empty()) return fit;
  double minE = std::numeric_limits<double>::infinity(), maxE = -minE;
  double minN = minE, maxN = -minE;
  for (const SitePoint& p : points) {
    minE = std::min(minE, p.east);
    maxE = std::max(maxE, p.east);
    minN = std::min(minN, p.north);
    maxN = std::max(maxN, p.north);
  }
  fit.centre = {(minE + maxE) / 2, (minN + maxN) / 2};
  const double usableW = std::max(frame.width - 2 * margin, 0.1);
  const double usableH = std::max(frame.height - 2 * margin, 0.1);
  const double needed = std::max((maxE - minE) / usableW, (maxN - minN) / usableH);
  fit.unitsPerInch = std::max(roundScaleUp(needed), fit.unitsPerInch);
  return fit;
}

}  // namespace sq::sections
