#pragma once

#include <optional>
#include <string>
#include <vector>

#include "strataquill/render/boring_data.h"
#include "strataquill/sections/site_geometry.h"

namespace sq::sections {

// A water level of a boring that reads as a depth.
struct WaterLevel {
  enum class Kind { kWhileDrilling, kStatic, kPotentiometric };
  Kind kind = Kind::kStatic;
  double depth = 0;
  std::string date;  // when it was measured, if the boring says
};

// One lithology interval as the section draws it: depths in the boring's
// unit, overlaps with the interval above already cut away.
struct SectionInterval {
  double from = 0, to = 0;
  std::string classText;
};

// A boring placed on the section.
struct SectionBoring {
  std::string name;
  SitePoint point;
  double ground = 0;       // ground elevation
  double station = 0;      // distance along the section
  double offset = 0;       // distance off the section line (projected sections)
  double bottomDepth = 0;  // the deepest lithology To (or 0)
  std::vector<SectionInterval> intervals;
  std::vector<WaterLevel> water;
  const render::BoringData* data = nullptr;  // the rows the log columns draw from
};

// What a section is asked to show.
struct SectionRequest {
  std::vector<std::string> borings;  // in the section's order
  StationMode mode = StationMode::kCumulative;
  // Vertical exaggeration; 0 chooses the one that fits the page.
  double verticalExaggeration = 0;
};

// The borings of a section checked and placed, or the reasons it cannot be
// drawn.
struct SectionModel {
  std::vector<SectionBoring> borings;
  std::string unit;  // of depths, elevations and distances (canonical)
  StationMode mode = StationMode::kCumulative;
  // Said on the page: overlaps and gaps of the data, borings off the line.
  std::vector<std::string> notes;
  // Why no section can be drawn; every refused boring with its reason.
  std::string refusal;
  bool ok() const { return refusal.empty(); }
  double length() const {
    return borings.empty() ? 0 : borings.back().station - borings.front().station;
  }
};

// A section needs at least two borings and at most this many.
inline constexpr std::size_t kMaxSectionBorings = 250;

// Checks and places the chosen borings. `data[i]` is the data of
// request.borings[i] and must outlive the model. Refused: fewer than two
// borings, a name the project does not have or given twice, a boring
// without coordinates or a ground elevation, depths in different units,
// coordinates in a unit other than the depths', two consecutive borings in
// one place, or (projected) borings that fall on the same station. Every
// reason is named with its borings. Lithology intervals that overlap are
// drawn from where the one above ends, and gaps stay empty; both are noted.
SectionModel buildSection(const SectionRequest& request,
                          const std::vector<const render::BoringData*>& data);

// "B-1 - MW-1 - B-2": the borings of a section in its order.
std::string sectionName(const SectionModel& model);

// The water levels of a boring's record that read as depths, in the order
// while drilling, static, potentiometric.
std::vector<WaterLevel> waterLevels(const std::map<std::string, std::string>& boringFields);

// The class code written beside an interval: the text before " - " of the
// class name ("CL" of "CL - Lean clay"), else the name itself.
std::string classCode(const std::string& classText);

}  // namespace sq::sections
