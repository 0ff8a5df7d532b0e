#pragma once

#include <map>
#include <string>
#include <string_view>

namespace sq::exchange {

// The abbreviations, units and data types that exported files use, with the
// descriptions their ABBR, UNIT and TYPE groups give them. Codes of the
// standard come with the standard's wording; codes made from a project's own
// texts carry that text as their description.

// The standard description of `code` under `heading`, or "" when the code is
// not one of the standard codes this program writes.
std::string standardCodeDescription(std::string_view heading, std::string_view code);

// The standard LOCA_TYPE / HDPH_TYPE code of a drilling method written in
// words ("Hollow-stem auger" -> "AUGH"), or "".
std::string drillMethodCode(std::string_view method);

// A short code for a class or method text: the symbol before " - " ("CL"
// from "CL - Lean clay"), else a short word in brackets ("SPT" from "Split
// spoon (SPT)"), else a one-word text in capitals ("FILL"), else the
// initials ("WB" from "Weathered bedrock"). Only capitals, digits and "-".
std::string codeForText(std::string_view text);

// Description of a unit for the UNIT group ("ft" -> "foot"); the unit itself
// when it is not one of ours.
std::string unitDescription(std::string_view unit);
// "ft", "m", "in" or "cm" for the project's unit names ("Feet", ...); ""
// otherwise.
std::string agsUnitFor(std::string_view projectUnit);
// The project's unit name for an AGS unit ("ft" -> "Feet", "mm" ->
// "Millimeters"); the unit itself when it has none.
std::string projectUnitFor(std::string_view agsUnit);

// Description of a data type for the TYPE group ("2DP" -> "Value; required
// number of decimal places, 2").
std::string typeDescription(std::string_view type);

// Gives each distinct text of one heading a distinct code: the text's own
// code, or that code with a number behind it when another text has it.
class CodeBook {
 public:
  // The code of `text`, made on first use.
  std::string codeFor(const std::string& text);
  // Records a code given by other means (a standard code) so that no text
  // is given it.
  void add(const std::string& code, const std::string& text) { texts_.emplace(code, text); }
  // Code -> text, in code order.
  const std::map<std::string, std::string>& texts() const { return texts_; }

 private:
  std::map<std::string, std::string> codes_;  // text -> code
  std::map<std::string, std::string> texts_;  // code -> text
};

}  // namespace sq::exchange
