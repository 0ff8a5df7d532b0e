#pragma once

#include <string>
#include <string_view>

namespace sq::project {

// What a sample's blow counts say about the Standard Penetration Test.
enum class NValueKind {
  kEmpty,    // nothing typed (or only blanks)
  kValue,    // three (or four) increments: N is the sum of the second and third
  kPartial,  // two increments: N is their sum, printed with a note mark
  kRefusal,  // an increment stopped short ("50/5\""): no N
  kText,     // anything else ("Push", "REC 82%"): printed as typed
};

// The mark printed after an N taken from two increments only.
inline constexpr const char* kPartialNMark = "*";

struct NValue {
  NValueKind kind = NValueKind::kEmpty;
  // N for kValue and kPartial; 0 otherwise.
  int n = 0;
  // What the log prints: "16", "16*", "50/5\"", the typed text, or "".
  std::string text;
};

// Reads blow counts as field crews write them. Increments are whole numbers
// or "WOH"/"WOR" (weight of hammer or rods, counted 0) separated by "-", "/",
// ",", ";" or blanks, in any mix and number ("5-7-9", "5 / 7 / 9", "5,7,9").
// An increment that stopped short is blows over a penetration ("50/5\"",
// "50/3in", "50/75mm"); it makes the test a refusal however many increments
// came before it ("24-39-50/5\"", "50-50/4"), and the refusal prints in one
// form: blows, "/", penetration and its unit (inches as ", millimetres and
// centimetres by name). Two numbers joined by a single "/" are read that way
// too ("50/4"). Anything that is not one of these prints as typed.
NValue ParseNValue(std::string_view blowCounts);

}  // namespace sq::project
