#include "strataquill/exchange/ags_mapping.h"

#include <cstdio>

namespace sq::exchange {
namespace {

constexpr FieldHeading kProject[] = {
    {"CaseNumber", "PROJ_CASE", "Case number"},
    {"ClientContact", "PROJ_CCON", "Client contact"},
    {"ClientPhone", "PROJ_CPHN", "Client telephone"},
    {"ClientAddress1", "PROJ_CAD1", "Client address, first line"},
    {"ClientAddress2", "PROJ_CAD2", "Client address, second line"},
    {"ClientCity", "PROJ_CCTY", "Client city"},
    {"ClientState", "PROJ_CSTA", "Client state"},
    {"ClientZip", "PROJ_CZIP", "Client postal code"},
    {"ClientCounty", "PROJ_CCNT", "Client county"},
    {"SiteAddress1", "PROJ_SAD1", "Site address, first line"},
    {"SiteAddress2", "PROJ_SAD2", "Site address, second line"},
    {"SiteCity", "PROJ_SCTY", "Site city"},
    {"SiteState", "PROJ_SSTA", "Site state"},
    {"SiteZip", "PROJ_SZIP", "Site postal code"},
    {"SiteCounty", "PROJ_SCNT", "Site county"},
    {"LeadAgency", "PROJ_AGCY", "Lead agency"},
    {"FacilityNumber", "PROJ_FACN", "Facility number"},
    {"LocationCode", "PROJ_LCOD", "Location code"},
    {"QtrSectionSecond", "PROJ_QQSC", "Quarter of the quarter section (legal location)"},
    {"QtrSectionPrimary", "PROJ_QSEC", "Quarter section (legal location)"},
    {"Section", "PROJ_SECT", "Section (legal location)"},
    {"Township", "PROJ_TWP", "Township (legal location)"},
    {"TownshipDirection", "PROJ_TWPD", "Township direction, N or S (legal location)"},
    {"Range", "PROJ_RNG", "Range (legal location)"},
    {"RangeDirection", "PROJ_RNGD", "Range direction, E or W (legal location)"},
};

constexpr FieldHeading kBoring[] = {
    {"LicenseNumber", "LOCA_LICN", "Driller's licence number"},
    {"StatePlaneNorthing", "LOCA_SPN", "State plane northing"},
    {"StatePlaneEasting", "LOCA_SPE", "State plane easting"},
    {"FacilityWellName", "LOCA_FWN", "Facility's name of the well"},
    {"StateWellName", "LOCA_SWN", "State's name of the well"},
    {"CommonWellName", "LOCA_CWN", "Common name of the well"},
};

}  // namespace

std::span<const FieldHeading> projectUserHeadings() { return kProject; }
std::span<const FieldHeading> boringUserHeadings() { return kBoring; }

std::string sampleUserHeading(int column) {
  char name[16];
  std::snprintf(name, sizeof name, "SAMP_UT%02d", column);
  return name;
}

}  // namespace sq::exchange
