#include "strataquill/exchange/ags_codes.h"

#include <cctype>
#include <utility>
#include <vector>

namespace sq::exchange {
namespace {

struct Code {
  const char* heading;
  const char* code;
  const char* description;
};

// The standard codes this program writes, as the standard words them.
constexpr Code kStandardCodes[] = {
    {"PIPE_TYPE", "PLAIN", "Plain"},
    {"PIPE_TYPE", "SLOTTED", "Slotted"},
    {"BKFL_LEG", "901", "Sand backfill"},
    {"BKFL_LEG", "902", "Gravel backfill"},
    {"BKFL_LEG", "903", "Bentonite"},
    {"BKFL_LEG", "904", "Grout"},
    {"BKFL_LEG", "905", "Arisings"},
    {"BKFL_LEG", "906", "Concrete"},
    {"BKFL_LEG", "907", "Asphalt"},
    {"BKFL_LEG", "999", "Void"},
    {"MOND_TYPE", "WDEP", "Depth to water from LOCA_ID datum"},
    {"MONG_TYPE", "SPIE", "Standpipe piezometer"},
    {"MONG_TYPE", "SP", "Standpipe"},
    {"LOCA_STAT", "DRAFT", "Draft data"},
    {"LOCA_STAT", "FINAL", "Final data"},
    {"LOCA_STAT", "HISTORIC", "Historical data converted from paper records"},
    {"LOCA_STAT", "PRELIM", "Preliminary data"},
    {"LOCA_STAT", "PROPOSED", "Proposed data"},
    {"DICT_TYPE", "GROUP", "Flag to indicate definition is a GROUP"},
    {"DICT_TYPE", "HEADING", "Flag to indicate definition is a HEADING"},
    {"DICT_STAT", "KEY", "Key field"},
    {"DICT_STAT", "OTHER", "Other field"},
    {"DICT_STAT", "REQUIRED", "Required field"},
    {"LOCA_TYPE", "AUGH", "Hollow Stem Auger"},
    {"LOCA_TYPE", "AUGS", "Solid Stem Auger"},
    {"LOCA_TYPE", "CP", "Cable percussion (shell and auger)"},
    {"LOCA_TYPE", "HA", "Hand Auger"},
    {"LOCA_TYPE", "RC", "Rotary cored"},
    {"LOCA_TYPE", "RO", "Rotary open hole"},
    {"LOCA_TYPE", "SNC", "Sonic core drilling"},
    {"LOCA_TYPE", "TP", "Trial pit/trench"},
    {"LOCA_TYPE", "WS", "Window Sampler"},
    {"HDPH_TYPE", "CP", "Cable percussion (shell and auger)"},
    {"HDPH_TYPE", "HA", "Hand Auger"},
    {"HDPH_TYPE", "RC", "Rotary cored"},
    {"HDPH_TYPE", "RO", "Rotary open hole"},
    {"HDPH_TYPE", "SNC", "Sonic core drilling"},
    {"HDPH_TYPE", "TP", "Trial pit/trench"},
    {"HDPH_TYPE", "WS", "Window Sampler"},
    {"HDPH_TYPE", "W", "Wash boring"},
};

// Words of a drilling method (lower case, hyphens as blanks) -> its code.
constexpr std::pair<const char*, const char*> kMethods[] = {
    {"hollow stem auger", "AUGH"},  {"hollow stem augers", "AUGH"}, {"hsa", "AUGH"},
    {"solid stem auger", "AUGS"},   {"solid flight auger", "AUGS"}, {"ssa", "AUGS"},
    {"cable percussion", "CP"},     {"shell and auger", "CP"},      {"hand auger", "HA"},
    {"rotary cored", "RC"},         {"rotary coring", "RC"},        {"rock coring", "RC"},
    {"rotary open hole", "RO"},     {"sonic", "SNC"},               {"sonic core drilling", "SNC"},
    {"sonic drilling", "SNC"},      {"trial pit", "TP"},            {"test pit", "TP"},
    {"window sampler", "WS"},       {"window sampling", "WS"},
};

std::string words(std::string_view text) {
  std::string out;
  for (char c : text) {
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool letter = std::isalnum(static_cast<unsigned char>(c));
    if (letter) out += l;
    else if (!out.empty() && out.back() != ' ') out += ' ';
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string upperAlnum(std::string_view s, bool keepHyphen) {
  std::string out;
  for (char c : s) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    else if (keepHyphen && c == '-')
      out += c;
  }
  return out;
}

}  // namespace

std::string standardCodeDescription(std::string_view heading, std::string_view code) {
  for (const Code& c : kStandardCodes)
    if (heading == c.heading && code == c.code) return c.description;
  return {};
}

std::string drillMethodCode(std::string_view method) {
  const std::string w = words(method);
  for (const auto& [text, code] : kMethods)
    if (w == text) return code;
  return {};
}

std::string codeForText(std::string_view text) {
  const std::size_t dash = text.find(" - ");
  if (dash != std::string_view::npos) {
    std::string symbol = upperAlnum(text.substr(0, dash), true);
    if (!symbol.empty() && symbol.size() <= 12) return symbol;
  }
  const std::size_t open = text.find('('), close = text.find(')', open);
  if (open != std::string_view::npos && close != std::string_view::npos) {
    const std::string inner = upperAlnum(text.substr(open + 1, close - open - 1), false);
    if (!inner.empty() && inner.size() <= 8) return inner;
  }
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      current += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (!current.empty()) {
      parts.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  if (parts.empty()) return "X";
  if (parts.size() == 1) return parts[0].substr(0, 12);
  std::string initials;
  for (const std::string& p : parts) initials += p[0];
  return initials.substr(0, 8);
}

std::string unitDescription(std::string_view unit) {
  static constexpr std::pair<const char*, const char*> kUnits[] = {
      {"m", "metre"},          {"ft", "foot"},
      {"in", "inch"},          {"cm", "centimetre"},
      {"mm", "millimetre"},    {"deg", "degree (angle)"},
      {"yyyy-mm-dd", "year month day"},
      {"yyyy-mm-ddThh:mm", "year month day hours minutes"},
      {"yyyy-mm-ddThh:mm:ss", "year month day hours minutes seconds"}};
  for (const auto& [u, d] : kUnits)
    if (unit == u) return d;
  return std::string(unit);
}

std::string agsUnitFor(std::string_view projectUnit) {
  const std::string w = words(projectUnit);
  if (w == "feet" || w == "foot" || w == "ft") return "ft";
  if (w == "meters" || w == "metres" || w == "meter" || w == "metre" || w == "m") return "m";
  if (w == "inches" || w == "inch" || w == "in") return "in";
  if (w == "centimeters" || w == "centimetres" || w == "cm") return "cm";
  if (w == "millimeters" || w == "millimetres" || w == "mm") return "mm";
  return {};
}

std::string projectUnitFor(std::string_view agsUnit) {
  if (agsUnit == "ft") return "Feet";
  if (agsUnit == "m") return "Meters";
  if (agsUnit == "in") return "Inches";
  if (agsUnit == "cm") return "Centimeters";
  if (agsUnit == "mm") return "Millimeters";
  return std::string(agsUnit);
}

std::string typeDescription(std::string_view type) {
  static constexpr std::pair<const char*, const char*> kTypes[] = {
      {"DT", "Date time in international format"},
      {"ID", "Unique Identifier"},
      {"PA", "Text listed in ABBR Group"},
      {"PT", "Text listed in TYPE Group"},
      {"PU", "Text listed in UNIT Group"},
      {"U", "Value with a variable format"},
      {"X", "Text"},
      {"XN", "Text/numeric"},
      {"YN", "Yes or No"}};
  for (const auto& [t, d] : kTypes)
    if (type == t) return d;
  if (type.size() == 3 && type.substr(1) == "DP")
    return "Value; required number of decimal places, " + std::string(1, type[0]);
  return std::string(type);
}

std::string CodeBook::codeFor(const std::string& text) {
  if (const auto it = codes_.find(text); it != codes_.end()) return it->second;
  const std::string base = codeForText(text);
  std::string code = base;
  for (int n = 2; texts_.count(code); ++n) code = base + std::to_string(n);
  codes_[text] = code;
  texts_[code] = text;
  return code;
}

}  // namespace sq::exchange
