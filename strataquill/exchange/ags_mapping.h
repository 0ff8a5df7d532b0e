#pragma once

#include <span>
#include <string>

namespace sq::exchange {

// Project fields that no standard heading holds, and the user-defined
// headings that carry them (declared in DICT with these descriptions).
struct FieldHeading {
  const char* field;
  const char* heading;
  const char* description;
};

// "Project Information" fields -> PROJ headings.
std::span<const FieldHeading> projectUserHeadings();
// "Boring Information" fields -> LOCA headings.
std::span<const FieldHeading> boringUserHeadings();

// The separator line of a lithology interval ("1 - Dash").
inline constexpr const char* kSeparatorHeading = "GEOL_LINE";
// A sample's blow counts as typed.
inline constexpr const char* kBlowCountsHeading = "SAMP_BLOW";
// UserText1..UserText10 of a sample: "SAMP_UT01".."SAMP_UT10".
std::string sampleUserHeading(int column);

// The reference of the one monitoring point per kind of water level.
inline constexpr const char* kStaticWaterPoint = "SWL";
inline constexpr const char* kPotentiometricPoint = "PWL";

}  // namespace sq::exchange
