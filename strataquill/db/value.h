#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace sq::db {

// One field value as a record set hands it out: null, a whole number, a
// single- or double-precision number, or text. Single values stay floats so
// that their text form is the shortest one that reads back to the same float
// ("12.1", never "12.1000003814697").
class Value {
 public:
  Value() = default;
  static Value null() { return Value(); }
  static Value integer(std::int64_t v) { return Value(v); }
  static Value single(float v) { return Value(v); }
  static Value real(double v) { return Value(v); }
  static Value text(std::string v) { return Value(std::move(v)); }

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isText() const { return std::holds_alternative<std::string>(v_); }
  bool isNumber() const { return !isNull() && !isText(); }
  bool isSingle() const { return std::holds_alternative<float>(v_); }
  bool isInteger() const { return std::holds_alternative<std::int64_t>(v_); }
  // REQUIRES: isInteger()
  std::int64_t integerValue() const { return std::get<std::int64_t>(v_); }
  // REQUIRES: isText()
  const std::string& textValue() const { return std::get<std::string>(v_); }

  // Text form: "" for null, the text itself, or the shortest round-trip
  // decimal form of a number.
  std::string toString() const;
  // Numeric value; text is parsed with the leading-number rule of
  // parseLeadingNumber(), null is 0.
  double toDouble() const;
  float toFloat() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  explicit Value(std::int64_t v) : v_(v) {}
  explicit Value(float v) : v_(v) {}
  explicit Value(double v) : v_(v) {}
  explicit Value(std::string v) : v_(std::move(v)) {}

  std::variant<std::monostate, std::int64_t, float, double, std::string> v_;
};

// Shortest decimal text that reads back to exactly `v` ("12.1", "40", "0.333").
std::string formatSingle(float v);
std::string formatDouble(double v);

// The number at the start of `text` after leading blanks, as the classic
// BASIC Val() reads it: "12.5 ft" is 12.5, "abc" and "" are 0, "-3" is -3,
// "1e2" is 100. Never fails.
double parseLeadingNumber(std::string_view text);

// The whole of `text` (blanks around allowed) as a number, or nothing when it
// is not a number. Used where a conversion must be exact, for example when
// text is written into a numeric field.
std::optional<double> parseWholeNumber(std::string_view text);

}  // namespace sq::db
