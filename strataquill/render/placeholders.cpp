#include "strataquill/render/placeholders.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "strataquill/db/value.h"

#include "strataquill/db/ascii_case.h"
#include "strataquill/db/server_address.h"
#include "strataquill/shell/settings_store.h"

namespace sq::render {
namespace {

std::string field(const std::map<std::string, std::string>& record, const char* name) {
  auto it = record.find(name);
  return it == record.end() ? std::string() : it->second;
}

std::string company(const char* key, const char* fallback) {
  return GetSetting("Preferences", key, fallback);
}

// Single tokens of the project record and the boring record.
const std::map<std::string, const char*>& projectTokens() {
  static const std::map<std::string, const char*> tokens = {
      {"<<PROJECT NUMBER>>", "ProjectNumber"},
      {"<<PROJECT NAME>>", "ProjectName"},
      {"<<CLIENT>>", "Client"},
      {"<<CLIENT CONTACT>>", "ClientContact"},
      {"<<CLIENT PHONE>>", "ClientPhone"},
      {"<<CLIENT ADDRESS 1>>", "ClientAddress1"},
      {"<<CLIENT ADDRESS 2>>", "ClientAddress2"},
      {"<<CLIENT CITY>>", "ClientCity"},
      {"<<CLIENT STATE>>", "ClientState"},
      {"<<CLIENT ZIP>>", "ClientZip"},
      {"<<CLIENT COUNTY>>", "ClientCounty"},
      {"<<SITE ADDRESS 1>>", "SiteAddress1"},
      {"<<SITE ADDRESS 2>>", "SiteAddress2"},
      {"<<SITE CITY>>", "SiteCity"},
      {"<<SITE STATE>>", "SiteState"},
      {"<<SITE ZIP>>", "SiteZip"},
      {"<<SITE COUNTY>>", "SiteCounty"},
      {"<<CASE NUMBER>>", "CaseNumber"},
      {"<<LEAD AGENCY>>", "LeadAgency"},
      {"<<FACILITY NUMBER>>", "FacilityNumber"},
      {"<<LOCATION CODE>>", "LocationCode"},
      {"<<QTR SECTION SECONDARY>>", "QtrSectionSecond"},
      {"<<QTR SECTION PRIMARY>>", "QtrSectionPrimary"},
      {"<<SECTION>>", "Section"},
      {"<<TOWNSHIP>>", "Township"},
      {"<<TOWNSHIP DIRECTION>>", "TownshipDirection"},
      {"<<RANGE>>", "Range"},
      {"<<RANGE DIRECTION>>", "RangeDirection"},
  };
  return tokens;
}

const std::map<std::string, const char*>& boringTokens() {
  static const std::map<std::string, const char*> tokens = {
      {"<<BORING NAME>>", "BoringName"},
      {"<<SUPERVISOR>>", "Supervisor"},
      {"<<DATE START>>", "DateStart"},
      {"<<DATE END>>", "DateEnd"},
      {"<<NORTHING>>", "Northing"},
      {"<<NORTHING UNITS>>", "NorthingUnits"},
      {"<<EASTING>>", "Easting"},
      {"<<EASTING UNITS>>", "EastingUnits"},
      {"<<DEPTH UNITS>>", "DepthUnits"},
      {"<<GROUND ELEVATION>>", "GroundElevation"},
      {"<<DRILLED WATER>>", "DrilledWater"},
      {"<<POTENTIOMETRIC WATER>>", "PotentiometricWater"},
      {"<<STATIC WATER>>", "StaticWater"},
      {"<<TOTAL DEPTH>>", "TotalDepth"},
      {"<<BORING DIAMETER>>", "BoringDiameter"},
      {"<<BORING DIAMETER UNITS>>", "BoringDiameterUnits"},
      {"<<DRILL RIG>>", "DrillRig"},
      {"<<DRILLING CONTRACTOR>>", "DrillingContractor"},
      {"<<DRILLER>>", "Driller"},
      {"<<DRILL METHOD>>", "DrillMethod"},
      {"<<LICENSE NUMBER>>", "LicenseNumber"},
      {"<<COMPLETION>>", "Completion"},
      {"<<TREND>>", "Trend"},
      {"<<PLUNGE>>", "Plunge"},
      {"<<STATE PLANE NORTHING>>", "StatePlaneNorthing"},
      {"<<STATE PLANE EASTING>>", "StatePlaneEasting"},
      {"<<LATITUDE>>", "Latitude"},
      {"<<LONGITUDE>>", "Longitude"},
      {"<<FACILITY WELL NAME>>", "FacilityWellName"},
      {"<<STATE WELL NAME>>", "StateWellName"},
      {"<<COMMON WELL NAME>>", "CommonWellName"},
  };
  return tokens;
}

}  // namespace

QString timeFormatWithoutZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == '\'') {
      quoted = !quoted;
      out += c;
      ++i;
      continue;
    }
    if (quoted || c != 't') {
      out += c;
      ++i;
      continue;
    }
    // The zone designator, with the brackets some locales put around it
    // and the blanks that set it apart.
    qsizetype end = i;
    while (end < format.size() && format[end] == 't') ++end;
    if (out.endsWith('(') && end < format.size() && format[end] == ')') {
      out.chop(1);
      ++end;
    }
    while (!out.isEmpty() && out.back().isSpace()) out.chop(1);
    while (end < format.size() && format[end].isSpace()) ++end;
    if (!out.isEmpty() && end < format.size()) out += ' ';
    i = end;
  }
  return out;
}

std::string printDateText(const QLocale& locale, const QDate& date) {
  return locale.toString(date, QLocale::ShortFormat).toStdString();
}

std::string printTimeText(const QLocale& locale, const QTime& time) {
  return locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)))
      .toStdString();
}

std::string systemShortDate() {
  return printDateText(QLocale::system(), QDate::currentDate());
}

std::string systemTime() {
  return printTimeText(QLocale::system(), QTime::currentTime());
}

namespace {

bool blank(const std::string& s) {
  return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The legal location, from the parts that are given: nothing at all when
// none is, and the full form when all are.
std::string usgsLocation(const std::map<std::string, std::string>& p) {
  const std::string q2 = field(p, "QtrSectionSecond"), q1 = field(p, "QtrSectionPrimary");
  const std::string section = field(p, "Section");
  const std::string township = field(p, "Township"), townshipDir = field(p, "TownshipDirection");
  const std::string range = field(p, "Range"), rangeDir = field(p, "RangeDirection");
  std::string quarters;
  if (!blank(q2) || !blank(q1)) quarters = q2 + " 1/4 of " + q1 + " 1/4 of ";
  std::vector<std::string> parts;
  if (!blank(section)) parts.push_back("Section " + section);
  if (!blank(township) || !blank(townshipDir))
    parts.push_back("T. " + township + " " + townshipDir);
  if (!blank(range) || !blank(rangeDir)) parts.push_back("R. " + range + " " + rangeDir);
  std::string out = quarters;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
  return out;
}

std::optional<std::string> tokenValue(const BoringData& data, const PlaceholderRun& run,
                                      const std::string& token);

}  // namespace

std::string getVariableText(const BoringData& data, const PlaceholderRun& run,
                            const std::string& theText) {
  return tokenValue(data, run, db::toUpperAscii(theText)).value_or(std::string());
}

std::string fillText(const BoringData& data, const PlaceholderRun& run, const std::string& text) {
  if (text.starts_with("<<")) return getVariableText(data, run, text);
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = text.find("<<", at);
    const std::size_t close = open == std::string::npos ? open : text.find(">>", open + 2);
    if (close == std::string::npos) break;
    const std::string token = text.substr(open, close + 2 - open);
    out += text.substr(at, open - at);
    if (auto value = tokenValue(data, run, db::toUpperAscii(token))) {
      out += *value;
      at = close + 2;
    } else {
      // Not a token: kept, and the search goes on inside it.
      out += "<<";
      at = open + 2;
    }
  }
  return out + text.substr(at);
}

bool needsPageCount(const std::string& text) {
  return db::toUpperAscii(text).find("<<PAGE COUNT>>") != std::string::npos;
}

namespace {

std::optional<std::string> tokenValue(const BoringData& data, const PlaceholderRun& run,
                                      const std::string& token) {
  const auto& p = data.projectFields;
  const auto& b = data.boringFields;

  auto companyCity = [] { return company("CompanyCity", "Your Favorite City"); };
  auto companyState = [] { return company("CompanyState", "Any State"); };
  auto companyZip = [] { return company("CompanyZip", "01234"); };
  if (token == "<<COMPANY NAME>>") return company("CompanyName", "Quality Consulting");
  if (token == "<<COMPANY ADDRESS>>") return company("CompanyAddress", "1234 Any Street");
  if (token == "<<COMPANY CITY>>") return companyCity();
  if (token == "<<COMPANY STATE>>") return companyState();
  if (token == "<<COMPANY ZIP>>") return companyZip();
  if (token == "<<COMPANY COUNTRY>>") return company("CompanyCountry", "United States");
  if (token == "<<COMPANY CITY>> + <<COMPANY STATE>>") return companyCity() + ", " + companyState();
  if (token == "<<COMPANY CITY>> + <<COMPANY STATE>> + <<COMPANY ZIP>>")
    return companyCity() + ", " + companyState() + "  " + companyZip();

  if (token == "<<PAGE NUMBER>>") return std::to_string(run.pageNumber);
  if (token == "<<PAGE COUNT>>") return run.pageCount > 0 ? std::to_string(run.pageCount) : "";
  auto bottom = [&] {
    return data.bottomDepth ? db::formatSingle(*data.bottomDepth) : std::string();
  };
  if (token == "<<BOTTOM DEPTH>>") return bottom();
  if (token == "<<BOTTOM DEPTH>> + <<DEPTH UNITS>>")
    return data.bottomDepth ? bottom() + " " + field(b, "DepthUnits") : std::string();
  if (token == "<<FILE PATH>>") return run.projectPath;
  if (token == "<<FILE NAME>>") {
    // A project on a server is called by its name.
    if (db::isServerAddress(run.projectPath)) {
      auto address = db::ServerAddress::parse(run.projectPath);
      return address.ok() ? address->project : run.projectPath;
    }
    const std::size_t slash = run.projectPath.find_last_of('/');
    return slash == std::string::npos ? run.projectPath : run.projectPath.substr(slash + 1);
  }
  auto date = [&] { return run.printDate ? run.printDate() : systemShortDate(); };
  auto time = [&] { return run.printTime ? run.printTime() : systemTime(); };
  if (token == "<<PRINT DATE>>") return date();
  if (token == "<<PRINT TIME>>") return time();
  if (token == "<<PRINT DATE>> + <<PRINT TIME>>") return date() + " " + time();

  if (auto it = projectTokens().find(token); it != projectTokens().end())
    return field(p, it->second);
  auto pair = [&](const char* a, const char* sep, const char* c) {
    return field(p, a) + sep + field(p, c);
  };
  if (token == "<<CLIENT CITY>> + <<CLIENT STATE>>") return pair("ClientCity", ", ", "ClientState");
  if (token == "<<CLIENT CITY>> + <<CLIENT STATE>> + <<CLIENT ZIP>>")
    return pair("ClientCity", ", ", "ClientState") + "  " + field(p, "ClientZip");
  if (token == "<<SITE CITY>> + <<SITE STATE>>") return pair("SiteCity", ", ", "SiteState");
  if (token == "<<SITE CITY>> + <<SITE STATE>> + <<SITE ZIP>>")
    return pair("SiteCity", ", ", "SiteState") + "  " + field(p, "SiteZip");
  if (token == "<<USGS LOCATION>>") return usgsLocation(p);

  if (auto it = boringTokens().find(token); it != boringTokens().end()) return field(b, it->second);
  if (token == "<<NORTHING>> + <<NORTHING UNITS>>")
    return field(b, "Northing") + " " + field(b, "NorthingUnits");
  if (token == "<<EASTING>> + <<EASTING UNITS>>")
    return field(b, "Easting") + " " + field(b, "EastingUnits");
  if (token == "<<BORING DIAMETER>> + <<BORING DIAMETER UNITS>>")
    return field(b, "BoringDiameter") + " " + field(b, "BoringDiameterUnits");
  for (const char* water : {"GROUND ELEVATION", "DRILLED WATER", "POTENTIOMETRIC WATER",
                            "STATIC WATER", "TOTAL DEPTH"}) {
    const std::string single = std::string("<<") + water + ">>";
    if (token == single + " + <<DEPTH UNITS>>")
      return field(b, boringTokens().at(single)) + " " + field(b, "DepthUnits");
  }

  if (token.starts_with("<<USER ") && token.ends_with(">>")) {
    const std::string number = token.substr(7, token.size() - 9);
    for (int n = 1; n <= 10; ++n)
      if (number == std::to_string(n))
        return field(data.labelFields, ("UserLabel" + number).c_str());
  }
  return std::nullopt;
}

}  // namespace

}  // namespace sq::render
