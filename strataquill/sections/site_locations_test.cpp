#include "strataquill/sections/site_locations.h"

#include <gtest/gtest.h>

namespace sq::sections {
namespace {

BoringFields boring(const std::string& name, const std::string& northing,
                    const std::string& easting, const std::string& units = "Feet") {
  return {{"BoringName", name}, {"Northing", northing}, {"Easting", easting},
          {"NorthingUnits", units}, {"DepthUnits", "Feet"}};
}

TEST(SiteLocationsTest, NorthingEastingWhenBothRead) {
  const auto located = locateBorings({boring("B-1", "10250.0", "5120.5"),
                                      boring("B-2", "10102.4", "5388.9"),
                                      boring("B-3", "10102.4", ""), boring("B-4", "n/a", "5000")});
  EXPECT_EQ(located.system, CoordinateSystem::kNorthingEasting);
  EXPECT_EQ(located.unit, "Feet");
  ASSERT_EQ(located.placed.size(), 2u);
  EXPECT_EQ(located.placed[1].index, 1u);
  EXPECT_EQ(located.placed[1].point, (SitePoint{5388.9, 10102.4}));
  ASSERT_EQ(located.notShown.size(), 2u);
  EXPECT_EQ(located.notShown[0].name, "B-3");
  EXPECT_EQ(located.notShown[0].reason, "no coordinates");
  EXPECT_EQ(located.note(), "Coordinates: Northing/Easting, Feet.");
}

TEST(SiteLocationsTest, OneSystemForTheWholeMap) {
  // Two borings only in latitude/longitude, one only on the site grid: the
  // map is drawn from latitude/longitude and says why the other is missing.
  BoringFields a{{"BoringName", "A"}, {"Latitude", "39.41872"}, {"Longitude", "-84.29315"},
                 {"DepthUnits", "Feet"}};
  BoringFields b{{"BoringName", "B"}, {"Latitude", "39.41831"}, {"Longitude", "-84.29219"},
                 {"DepthUnits", "Feet"}};
  const auto located = locateBorings({a, b, boring("C", "100", "200")});
  EXPECT_EQ(located.system, CoordinateSystem::kLatitudeLongitude);
  EXPECT_EQ(located.unit, "Feet") << "projected into the depth unit";
  ASSERT_EQ(located.placed.size(), 2u);
  EXPECT_NEAR(distance(located.placed[0].point, located.placed[1].point), 306, 4);
  EXPECT_NEAR(located.projectionLatitude, (39.41872 + 39.41831) / 2, 1e-9);
  ASSERT_EQ(located.notShown.size(), 1u);
  EXPECT_EQ(located.notShown[0].reason, "coordinates only as Northing/Easting");
  EXPECT_NE(located.note().find("projected equirectangular about 39.4185\xC2\xB0 N"),
            std::string::npos)
      << located.note();

  // As many on each: the site grid is preferred; then state plane.
  BoringFields sp{{"BoringName", "S"}, {"StatePlaneNorthing", "612455.2"},
                  {"StatePlaneEasting", "1498210.7"}};
  EXPECT_EQ(locateBorings({sp, boring("C", "100", "200")}).system,
            CoordinateSystem::kNorthingEasting);
  EXPECT_EQ(locateBorings({sp, a}).system, CoordinateSystem::kStatePlane);
  // Latitudes beyond the poles are no coordinates.
  a["Latitude"] = "139.4";
  EXPECT_EQ(locateBorings({a}).system, CoordinateSystem::kNone);
  EXPECT_EQ(locateBorings({a}).notShown.size(), 1u);
}

TEST(SiteLocationsTest, CoordinatesInAnotherUnitAreLeftOut) {
  const auto located =
      locateBorings({boring("B-1", "1", "2"), boring("B-2", "3", "4", "ft"),
                     boring("B-9", "5", "6", "Meters"), boring("B-0", "7", "8", "")});
  EXPECT_EQ(located.unit, "Feet");
  ASSERT_EQ(located.placed.size(), 3u) << "feet in any spelling, and no unit at all";
  ASSERT_EQ(located.notShown.size(), 1u);
  EXPECT_EQ(located.notShown[0].name, "B-9");
  EXPECT_EQ(located.notShown[0].reason, "coordinates in Meters");
}

TEST(SiteLocationsTest, UnitsInTheirUsualSpellings) {
  for (const char* feet : {"ft", "Feet", " FEET ", "foot", "ft."})
    EXPECT_EQ(canonicalUnit(feet), "Feet") << feet;
  for (const char* metres : {"m", "Meters", "metres", "Metre"})
    EXPECT_EQ(canonicalUnit(metres), "Meters") << metres;
  EXPECT_EQ(canonicalUnit(" yards "), "yards");
  EXPECT_EQ(shortUnit("Feet"), "ft");
  EXPECT_EQ(shortUnit("Meters"), "m");
}

}  // namespace
}  // namespace sq::sections
