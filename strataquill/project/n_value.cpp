#include "strataquill/project/n_value.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace sq::project {
namespace {

// One piece of the typed text: a count or penetration, a run of separators,
// or a unit mark.
struct Piece {
  enum Kind { kNumber, kSeparator, kUnit } kind;
  std::string text;      // digits as typed; unit "\"", "mm" or "cm"
  bool weight = false;   // WOH / WOR
  bool integer = true;   // no decimal point
  bool slash = false;    // separator run holding a "/"
  bool blanks = false;   // separator run of blanks only
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Splits the text into pieces; nothing when it holds a character or word
// that blow counts never contain.
std::optional<std::vector<Piece>> split(std::string_view s) {
  std::vector<Piece> pieces;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isdigit(c)) {
      Piece p{Piece::kNumber, {}};
      while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
        if (s[i] == '.') {
          if (!p.integer) return std::nullopt;
          p.integer = false;
        }
        p.text += s[i++];
      }
      if (p.text.back() == '.' || p.text.size() > 6) return std::nullopt;
      pieces.push_back(std::move(p));
    } else if (std::isalpha(c)) {
      std::size_t end = i;
      while (end < s.size() && std::isalpha(static_cast<unsigned char>(s[end]))) ++end;
      const std::string word = lower(s.substr(i, end - i));
      i = end;
      if (word == "woh" || word == "wor") {
        pieces.push_back({Piece::kNumber, "0", true});
      } else if (word == "in" || word == "inch" || word == "inches") {
        if (i < s.size() && s[i] == '.') ++i;
        pieces.push_back({Piece::kUnit, "\""});
      } else if (word == "mm" || word == "cm") {
        pieces.push_back({Piece::kUnit, word});
      } else {
        return std::nullopt;
      }
    } else if (c == '"') {
      pieces.push_back({Piece::kUnit, "\""});
      ++i;
    } else if (c == '\'' && i + 1 < s.size() && s[i + 1] == '\'') {
      pieces.push_back({Piece::kUnit, "\""});
      i += 2;
    } else {
      // A run of separators counts as one; an en or em dash as "-".
      Piece p{Piece::kSeparator, {}};
      p.blanks = true;
      bool any = false;
      while (i < s.size()) {
        if (s[i] == '-' || s[i] == ',' || s[i] == ';' || s[i] == '/') {
          p.slash = p.slash || s[i] == '/';
          p.blanks = false;
          ++i;
        } else if (isBlank(s[i])) {
          ++i;
        } else if (s.substr(i, 3) == "\xE2\x80\x93" || s.substr(i, 3) == "\xE2\x80\x94") {
          p.blanks = false;
          i += 3;
        } else {
          break;
        }
        any = true;
      }
      if (!any) return std::nullopt;
      pieces.push_back(std::move(p));
    }
  }
  return pieces;
}

struct Count {
  std::string text;
  bool weight = false;
  bool integer = true;
  std::string unit;  // "" when none was typed
};

NValue asTyped(std::string_view typed) { return {NValueKind::kText, 0, std::string(typed)}; }

}  // namespace

NValue ParseNValue(std::string_view typed) {
  std::size_t first = 0, last = typed.size();
  while (first < last && isBlank(typed[first])) ++first;
  while (last > first && isBlank(typed[last - 1])) --last;
  if (first == last) return {};

  auto pieces = split(typed.substr(first, last - first));
  if (!pieces) return asTyped(typed);

  // Counts with their units, and the separators between them (leading and
  // trailing separators are slips of the pen and are dropped).
  std::vector<Count> counts;
  std::vector<bool> slashes;  // slashes[k] joins counts[k] and counts[k + 1]
  std::optional<bool> pendingSeparator;  // a separator run follows the last count: slash?
  bool pendingBlanks = false;             // ... and it is blanks only
  for (const Piece& p : *pieces) {
    switch (p.kind) {
      case Piece::kNumber:
        if (pendingSeparator) slashes.push_back(*pendingSeparator);
        else if (!counts.empty()) return asTyped(typed);
        pendingSeparator.reset();
        counts.push_back({p.text, p.weight, p.integer, {}});
        break;
      case Piece::kSeparator:
        if (counts.empty()) break;
        pendingSeparator = p.slash;
        pendingBlanks = p.blanks;
        break;
      case Piece::kUnit:
        // A unit follows its number directly or after blanks ("50/5 in").
        if (counts.empty() || !counts.back().unit.empty()) return asTyped(typed);
        if (pendingSeparator && !pendingBlanks) return asTyped(typed);
        pendingSeparator.reset();
        counts.back().unit = p.text;
        break;
    }
  }
  if (counts.empty()) return asTyped(typed);

  bool anySlash = false, allSlash = !slashes.empty();
  for (bool s : slashes) {
    anySlash = anySlash || s;
    allSlash = allSlash && s;
  }
  const bool lastSlash = !slashes.empty() && slashes.back();
  const bool unitTyped = !counts.back().unit.empty();
  for (std::size_t k = 0; k + 1 < counts.size(); ++k)
    if (!counts[k].unit.empty()) return asTyped(typed);

  // A refusal: the last increment is blows over a penetration.
  const bool refusal =
      lastSlash && (unitTyped || counts.size() == 2 ||
                    (!allSlash && std::count(slashes.begin(), slashes.end(), true) == 1));
  if (refusal) {
    if (std::count(slashes.begin(), slashes.end(), true) != 1) return asTyped(typed);
    const Count& blows = counts[counts.size() - 2];
    const Count& depth = counts.back();
    if (blows.weight || !blows.integer || depth.weight) return asTyped(typed);
    for (std::size_t k = 0; k + 2 < counts.size(); ++k)
      if (!counts[k].integer) return asTyped(typed);
    return {NValueKind::kRefusal, 0,
            blows.text + "/" + depth.text + (depth.unit.empty() ? "\"" : depth.unit)};
  }
  if (unitTyped || (anySlash && !allSlash)) return asTyped(typed);

  std::vector<int> blows;
  for (const Count& c : counts) {
    if (!c.integer) return asTyped(typed);
    blows.push_back(std::stoi(c.text));
  }
  switch (blows.size()) {
    case 2: {
      const int n = blows[0] + blows[1];
      return {NValueKind::kPartial, n, std::to_string(n) + kPartialNMark};
    }
    case 3:
    case 4: {
      const int n = blows[1] + blows[2];
      return {NValueKind::kValue, n, std::to_string(n)};
    }
    default:
      return asTyped(typed);
  }
}

}  // namespace sq::project
