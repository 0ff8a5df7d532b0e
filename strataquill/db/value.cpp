#include "strataquill/db/value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace sq::db {
namespace {

template <class F>
std::string formatShortest(F v) {
  if (std::isnan(v)) return "NaN";
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return {};
  std::string s(buf, end);
  if (s == "-0") s = "0";
  return s;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Length of the longest prefix of `s` that forms a decimal number
// ([sign] digits [. digits] [e [sign] digits]); 0 when there is none.
std::size_t numberPrefixLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

double toNumber(std::string_view s) {
  std::string tmp(s);
  if (!tmp.empty() && tmp[0] == '+') tmp.erase(0, 1);
  double v = 0;
  auto [ptr, ec] = std::from_chars(tmp.data(), tmp.data() + tmp.size(), v);
  if (ec == std::errc::result_out_of_range) return std::strtod(tmp.c_str(), nullptr);
  return ec == std::errc() ? v : 0.0;
}

}  // namespace

std::string formatSingle(float v) {
  return formatShortest(v);
}
std::string formatDouble(double v) {
  return formatShortest(v);
}

double parseLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  text.remove_prefix(i);
  std::size_t n = numberPrefixLength(text);
  return n == 0 ? 0.0 : toNumber(text.substr(0, n));
}

std::optional<double> parseWholeNumber(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  std::size_t n = numberPrefixLength(text);
  if (n == 0 || n != text.size()) return std::nullopt;
  return toNumber(text);
}

std::string Value::toString() const {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(float v) const { return formatSingle(v); }
    std::string operator()(double v) const { return formatDouble(v); }
    std::string operator()(const std::string& v) const { return v; }
  };
  return std::visit(Visitor{}, v_);
}

double Value::toDouble() const {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(std::int64_t v) const { return static_cast<double>(v); }
    double operator()(float v) const { return v; }
    double operator()(double v) const { return v; }
    double operator()(const std::string& v) const { return parseLeadingNumber(v); }
  };
  return std::visit(Visitor{}, v_);
}

float Value::toFloat() const {
  if (const float* f = std::get_if<float>(&v_)) return *f;
  return static_cast<float>(toDouble());
}

}  // namespace sq::db
