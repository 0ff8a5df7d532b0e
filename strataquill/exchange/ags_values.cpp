#include "strataquill/exchange/ags_values.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sq::exchange {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Digits before and after the point of a plain decimal number; false when
// the text is not one.
bool splitNumber(std::string_view s, std::string_view& whole, std::string_view& fraction,
                 bool& hasPoint) {
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  const std::size_t point = s.find('.');
  hasPoint = point != std::string_view::npos;
  whole = s.substr(0, point);
  fraction = hasPoint ? s.substr(point + 1) : std::string_view();
  if (whole.empty() && fraction.empty()) return false;
  for (char c : whole)
    if (!isDigit(c)) return false;
  for (char c : fraction)
    if (!isDigit(c)) return false;
  return !whole.empty();
}

std::optional<int> countedType(std::string_view type, std::string_view suffix) {
  if (type.size() != suffix.size() + 1 || !isDigit(type[0]) || type.substr(1) != suffix)
    return std::nullopt;
  return type[0] - '0';
}

std::string digitsWord(int n) { return n == 1 ? "1 decimal place" : std::to_string(n) + " decimal places"; }

int daysIn(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

// Whether `value` has the form of the date/time pattern `unit`
// ("yyyy-mm-ddThh:mm"), with each part in its range. An "mm" after "h" or
// before "s" is minutes, elsewhere the month. `elapsed` lifts the limit on
// hours.
bool matchesPattern(std::string_view unit, std::string_view value, bool elapsed) {
  struct Part {
    char letter;
    int value;
  };
  std::vector<Part> parts;
  std::size_t i = 0, j = 0;
  while (i < unit.size()) {
    const char u = static_cast<char>(std::tolower(static_cast<unsigned char>(unit[i])));
    if (u == 'y' || u == 'm' || u == 'd' || u == 'h' || u == 's') {
      std::size_t run = 0;
      while (i < unit.size() &&
             std::tolower(static_cast<unsigned char>(unit[i])) == static_cast<unsigned char>(u))
        ++i, ++run;
      int v = 0;
      for (std::size_t k = 0; k < run; ++k, ++j) {
        if (j >= value.size() || !isDigit(value[j])) return false;
        v = v * 10 + (value[j] - '0');
      }
      parts.push_back({u, v});
    } else {
      if (j >= value.size() || value[j] != unit[i]) return false;
      ++i, ++j;
    }
  }
  if (j != value.size()) return false;
  int year = 2000, month = 0, day = 0;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    Part& p = parts[k];
    if (p.letter == 'm') {
      const bool minutes = (k > 0 && parts[k - 1].letter == 'h') ||
                           (k + 1 < parts.size() && parts[k + 1].letter == 's');
      if (minutes) p.letter = 'n';
    }
    switch (p.letter) {
      case 'y': year = p.value; break;
      case 'm': month = p.value; if (month < 1 || month > 12) return false; break;
      case 'd': day = p.value; if (day < 1 || day > 31) return false; break;
      case 'h': if (!elapsed && p.value > 23) return false; break;
      case 'n': case 's': if (p.value > 59) return false; break;
    }
  }
  return !(month && day && day > daysIn(month, year));
}

}  // namespace

std::optional<int> decimalPlacesOf(std::string_view type) {
  auto n = countedType(type, "DP");
  return n;
}

std::optional<int> decimalsIn(std::string_view text) {
  std::string_view whole, fraction;
  bool point;
  if (!splitNumber(trim(text), whole, fraction, point)) return std::nullopt;
  return static_cast<int>(fraction.size());
}

std::string valueTypeProblem(std::string_view type, std::string_view unit,
                             std::string_view value) {
  if (value.empty()) return {};
  std::string_view whole, fraction;
  bool point = false;
  if (auto n = countedType(type, "DP")) {
    if (!splitNumber(value, whole, fraction, point) || (*n == 0 && point) ||
        static_cast<int>(fraction.size()) != *n)
      return "\"" + std::string(value) + "\" is not a number with " + digitsWord(*n);
    return {};
  }
  if (auto n = countedType(type, "SF")) {
    if (!splitNumber(value, whole, fraction, point) || (point && fraction.empty()))
      return "\"" + std::string(value) + "\" is not a number";
    std::string digits = std::string(whole) + std::string(fraction);
    const std::size_t lead = digits.find_first_not_of('0');
    digits = lead == std::string::npos ? "0" : digits.substr(lead);
    int significant = static_cast<int>(digits.size());
    // Trailing zeros of a whole number may be padding.
    if (!point) {
      std::size_t last = digits.find_last_not_of('0');
      const int least = last == std::string::npos ? 1 : static_cast<int>(last + 1);
      if (least <= *n && significant >= *n) significant = *n;
    }
    if (significant != *n)
      return "\"" + std::string(value) + "\" does not have " + std::to_string(*n) +
             " significant figures";
    return {};
  }
  if (auto n = countedType(type, "SCI")) {
    const std::size_t e = value.find_first_of("eE");
    bool ok = e != std::string_view::npos;
    if (ok) {
      ok = splitNumber(value.substr(0, e), whole, fraction, point) && whole.size() == 1 &&
           static_cast<int>(fraction.size()) == *n && (*n > 0 || !point);
      std::string_view exponent = value.substr(e + 1);
      if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-'))
        exponent.remove_prefix(1);
      ok = ok && !exponent.empty();
      for (char c : exponent) ok = ok && isDigit(c);
    }
    if (!ok)
      return "\"" + std::string(value) + "\" is not in scientific notation with " +
             digitsWord(*n);
    return {};
  }
  if (type == "DT" || type == "T") {
    const bool elapsed = type == "T";
    bool ok;
    if (unit.empty())
      ok = elapsed ? matchesPattern("hh:mm:ss", value, true) || matchesPattern("hh:mm", value, true)
                   : matchesPattern("yyyy-mm-dd", value, false) ||
                         matchesPattern("yyyy-mm-ddThh:mm", value, false) ||
                         matchesPattern("yyyy-mm-ddThh:mm:ss", value, false);
    else
      ok = matchesPattern(unit, value, elapsed);
    if (!ok)
      return "\"" + std::string(value) + "\" is not a " + (elapsed ? "time" : "date") +
             " of the form " + (unit.empty() ? std::string("yyyy-mm-dd") : std::string(unit));
    return {};
  }
  if (type == "YN") {
    std::string v;
    for (char c : value) v += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (v != "Y" && v != "N" && v != "YES" && v != "NO")
      return "\"" + std::string(value) + "\" is not Y, N, Yes or No";
    return {};
  }
  if (type == "DMS") {
    std::size_t i = 0;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
    int groups = 0;
    bool ok = true;
    while (ok && i < value.size() && groups < 3) {
      const std::size_t start = i;
      while (i < value.size() && isDigit(value[i])) ++i;
      ok = i > start;
      ++groups;
      if (ok && i < value.size() && value[i] == ':' && groups < 3) ++i;
      else break;
    }
    if (ok && i < value.size() && value[i] == '.') {
      ++i;
      const std::size_t start = i;
      while (i < value.size() && isDigit(value[i])) ++i;
      ok = i > start;
    }
    if (ok && i < value.size() && std::string_view("NSEW").find(value[i]) != std::string_view::npos)
      ++i;
    if (!ok || groups != 3 || i != value.size())
      return "\"" + std::string(value) + "\" is not degrees:minutes:seconds";
    return {};
  }
  if (type == "U" || type == "MC") {
    std::string_view v = value;
    if (type == "MC" && !v.empty() && v[0] == '<') v.remove_prefix(1);
    char* end = nullptr;
    const std::string text(v);
    std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || std::isspace(static_cast<unsigned char>(text[0])))
      return "\"" + std::string(value) + "\" is not a number";
    return {};
  }
  return {};
}

std::string fixedDecimals(double value, int places) {
  const double scale = std::pow(10.0, places);
  double rounded = std::round(value * scale) / scale;
  if (rounded == 0) rounded = 0;  // no "-0.00"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", places, rounded);
  return buffer;
}

std::optional<std::string> isoDate(std::string_view text, DateOrder order) {
  text = trim(text);
  int y = 0, m = 0, d = 0;
  auto number = [](std::string_view s, int& out) {
    if (s.empty() || s.size() > 4) return false;
    out = 0;
    for (char c : s) {
      if (!isDigit(c)) return false;
      out = out * 10 + (c - '0');
    }
    return true;
  };
  auto valid = [&] {
    if (m < 1 || m > 12 || d < 1 || d > daysIn(m, y) || y < 1000) return std::optional<std::string>();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, d);
    return std::optional<std::string>(buffer);
  };
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    if (number(text.substr(0, 4), y) && number(text.substr(5, 2), m) && number(text.substr(8, 2), d))
      return valid();
    return std::nullopt;
  }
  if (order == DateOrder::kIso) return std::nullopt;
  // "9/16/2024", "09-16-2024", "16.09.2024": three numbers, the year last
  // with four digits.
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '/' || text[i] == '-' || text[i] == '.') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts.size() != 3 || parts[2].size() != 4 || parts[0].size() > 2 || parts[1].size() > 2)
    return std::nullopt;
  int first = 0, second = 0;
  if (!number(parts[0], first) || !number(parts[1], second) || !number(parts[2], y))
    return std::nullopt;
  m = order == DateOrder::kMonthDayYear ? first : second;
  d = order == DateOrder::kMonthDayYear ? second : first;
  return valid();
}

std::optional<std::string> projectDate(std::string_view iso, DateOrder order) {
  iso = trim(iso);
  const std::string_view date = iso.substr(0, iso.find('T'));
  const auto checked = isoDate(date, DateOrder::kIso);
  if (!checked) return std::nullopt;
  if (order == DateOrder::kIso) return checked;
  const std::string y = checked->substr(0, 4), m = checked->substr(5, 2), d = checked->substr(8, 2);
  return order == DateOrder::kMonthDayYear ? m + "/" + d + "/" + y : d + "/" + m + "/" + y;
}

}  // namespace sq::exchange
