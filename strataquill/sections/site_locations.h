#pragma once

#include <map>
#include <string>
#include <vector>

#include "strataquill/sections/site_geometry.h"

namespace sq::sections {

// A boring's record as the project stores it: field name -> text of
// "Boring Information".
using BoringFields = std::map<std::string, std::string>;

// The coordinate systems a project may locate its borings in, in the order
// they are preferred.
enum class CoordinateSystem { kNone, kNorthingEasting, kStatePlane, kLatitudeLongitude };

// "Feet" for feet in any usual spelling ("ft", "feet", "Foot"), "Meters"
// for metres ("m", "metres", "Meters"), else the text without blanks
// around it; "" stays "".
std::string canonicalUnit(const std::string& unit);
// The unit as a scale bar writes it: "ft", "m", or the unit itself.
std::string shortUnit(const std::string& canonical);

// Where the borings of a map are, all in one coordinate system and one
// unit, and why the others are not shown.
struct SiteLocations {
  CoordinateSystem system = CoordinateSystem::kNone;
  std::string unit;  // canonical; "" when the project never says
  // For latitude and longitude: the latitude the projection is taken about.
  double projectionLatitude = 0;
  struct Placed {
    std::size_t index;  // into the borings given
    SitePoint point;
  };
  std::vector<Placed> placed;
  struct Left {
    std::string name;
    std::string reason;  // "no coordinates", "coordinates in Meters"
  };
  std::vector<Left> notShown;
  // What the map says about its coordinates, one line
  // ("Coordinates: Northing/Easting, Feet.").
  std::string note() const;
};

// Locates the borings. One system serves the whole map, since points of a
// site grid, a state plane and a projection side by side would make a false
// picture: the system that places the most borings (Northing/Easting, then
// state plane, then latitude/longitude when as many), with both of its
// numbers readable. Latitude and longitude are projected about the mean
// latitude of the borings into the unit of the borings' depths (metres
// unless they are in feet). Borings whose coordinate unit differs from the
// one most of them use are left out as well: the program never converts.
SiteLocations locateBorings(const std::vector<BoringFields>& borings);

}  // namespace sq::sections
