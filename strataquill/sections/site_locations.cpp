#include "strataquill/sections/site_locations.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace sq::sections {
namespace {

std::string field(const BoringFields& f, const char* name) {
  auto it = f.find(name);
  return it == f.end() ? std::string() : it->second;
}

std::string nameOf(const BoringFields& f) {
  return field(f, "BoringName");
}

// The two numbers of a boring in a system, when both read.
std::optional<SitePoint> rawPoint(const BoringFields& f, CoordinateSystem system) {
  const char *northName = "Northing", *eastName = "Easting";
  if (system == CoordinateSystem::kStatePlane) {
    northName = "StatePlaneNorthing";
    eastName = "StatePlaneEasting";
  } else if (system == CoordinateSystem::kLatitudeLongitude) {
    northName = "Latitude";
    eastName = "Longitude";
  }
  auto north = parseNumber(field(f, northName));
  auto east = parseNumber(field(f, eastName));
  if (!north || !east) return std::nullopt;
  if (system == CoordinateSystem::kLatitudeLongitude &&
      (std::abs(*north) > 90 || std::abs(*east) > 180))
    return std::nullopt;
  return SitePoint{*east, *north};
}

// The unit a boring gives its coordinates in: the northing's unit, else the
// easting's; latitude and longitude are projected into the depth unit.
std::string coordinateUnit(const BoringFields& f, CoordinateSystem system) {
  if (system == CoordinateSystem::kLatitudeLongitude)
    return canonicalUnit(field(f, "DepthUnits")) == "Feet" ? "Feet" : "Meters";
  std::string unit = canonicalUnit(field(f, "NorthingUnits"));
  if (unit.empty()) unit = canonicalUnit(field(f, "EastingUnits"));
  return unit;
}

const char* systemName(CoordinateSystem system) {
  switch (system) {
    case CoordinateSystem::kNorthingEasting:
      return "Northing/Easting";
    case CoordinateSystem::kStatePlane:
      return "state plane";
    case CoordinateSystem::kLatitudeLongitude:
      return "latitude/longitude";
    case CoordinateSystem::kNone:
      break;
  }
  return "";
}

// Why a boring has no place in `system`: it has none at all, or only in
// another system.
std::string missingReason(const BoringFields& f, CoordinateSystem system) {
  for (CoordinateSystem other : {CoordinateSystem::kNorthingEasting, CoordinateSystem::kStatePlane,
                                 CoordinateSystem::kLatitudeLongitude})
    if (other != system && rawPoint(f, other))
      return std::string("coordinates only as ") + systemName(other);
  return "no coordinates";
}

}  // namespace

std::string canonicalUnit(const std::string& unit) {
  const QString u = QString::fromStdString(unit).trimmed();
  const QString l = u.toLower();
  if (l == "ft" || l == "ft." || l == "feet" || l == "foot" || l == "us survey feet" ||
      l == "usft")
    return "Feet";
  if (l == "m" || l == "m." || l == "meter" || l == "meters" || l == "metre" || l == "metres")
    return "Meters";
  return u.toStdString();
}

std::string shortUnit(const std::string& canonical) {
  if (canonical == "Feet") return "ft";
  if (canonical == "Meters") return "m";
  return canonical;
}

std::string SiteLocations::note() const {
  std::ostringstream s;
  switch (system) {
    case CoordinateSystem::kNone:
      return "No boring has coordinates.";
    case CoordinateSystem::kNorthingEasting:
      s << "Coordinates: Northing/Easting";
      break;
    case CoordinateSystem::kStatePlane:
      s << "Coordinates: state plane";
      break;
    case CoordinateSystem::kLatitudeLongitude:
      s << "Latitude/longitude projected equirectangular about " << std::fixed
        << std::setprecision(4) << std::abs(projectionLatitude)
        << (projectionLatitude < 0 ? "\xC2\xB0 S" : "\xC2\xB0 N")
        << "; distances approximate";
      break;
  }
  if (!unit.empty()) s << ", " << unit;
  s << ".";
  return s.str();
}

SiteLocations locateBorings(const std::vector<BoringFields>& borings) {
  SiteLocations out;
  constexpr std::array<CoordinateSystem, 3> kOrder = {CoordinateSystem::kNorthingEasting,
                                                      CoordinateSystem::kStatePlane,
                                                      CoordinateSystem::kLatitudeLongitude};
  std::size_t bestCount = 0;
  for (CoordinateSystem system : kOrder) {
    std::size_t count = 0;
    for (const BoringFields& f : borings) count += rawPoint(f, system).has_value();
    if (count > bestCount) {
      bestCount = count;
      out.system = system;
    }
  }
  if (out.system == CoordinateSystem::kNone) {
    for (const BoringFields& f : borings) out.notShown.push_back({nameOf(f), "no coordinates"});
    return out;
  }

  // The unit most borings use; ties go to the first one met.
  std::vector<std::pair<std::string, int>> units;
  for (const BoringFields& f : borings) {
    if (!rawPoint(f, out.system)) continue;
    const std::string u = coordinateUnit(f, out.system);
    auto it = std::find_if(units.begin(), units.end(), [&](auto& p) { return p.first == u; });
    if (it == units.end())
      units.emplace_back(u, 1);
    else
      ++it->second;
  }
  // Borings that do not name a unit go with the others.
  std::string unit;
  int most = 0;
  for (const auto& [u, n] : units)
    if (!u.empty() && n > most) {
      unit = u;
      most = n;
    }
  out.unit = unit;

  double latSum = 0;
  int latCount = 0;
  double lonSum = 0;
  for (const BoringFields& f : borings)
    if (out.system == CoordinateSystem::kLatitudeLongitude)
      if (auto p = rawPoint(f, out.system); p && coordinateUnit(f, out.system) == unit) {
        latSum += p->north;
        lonSum += p->east;
        ++latCount;
      }
  if (latCount > 0) out.projectionLatitude = latSum / latCount;
  const double lon0 = latCount > 0 ? lonSum / latCount : 0;
  const double perMetre = unit == "Feet" ? 1 / 0.3048 : 1.0;

  for (std::size_t i = 0; i < borings.size(); ++i) {
    const BoringFields& f = borings[i];
    auto p = rawPoint(f, out.system);
    if (!p) {
      out.notShown.push_back({nameOf(f), missingReason(f, out.system)});
      continue;
    }
    const std::string u = coordinateUnit(f, out.system);
    if (!u.empty() && u != unit) {
      out.notShown.push_back({nameOf(f), "coordinates in " + u});
      continue;
    }
    SitePoint point = *p;
    if (out.system == CoordinateSystem::kLatitudeLongitude) {
      point = projectEquirectangular(p->north, p->east, out.projectionLatitude, lon0);
      point.east *= perMetre;
      point.north *= perMetre;
    }
    out.placed.push_back({i, point});
  }
  return out;
}

}  // namespace sq::sections
