#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sq::exchange {

// Why `value` is not written as data type `type` wants it (with `unit`
// giving the form of DT and T values), or "" when it is. Empty values and
// types that prescribe no form (X, XN, ID, PA, PT, PU, RL) always pass.
std::string valueTypeProblem(std::string_view type, std::string_view unit,
                             std::string_view value);

// Decimal places of a data type "nDP" (0..9), or nothing for other types.
std::optional<int> decimalPlacesOf(std::string_view type);

// "12.5" -> 1, "40" -> 0; nothing when the text is not a plain decimal
// number (sign, digits, at most one point; blanks around allowed).
std::optional<int> decimalsIn(std::string_view text);

// `value` with exactly `places` decimals ("12.50"), rounded half away from
// zero; "-0.00" is written "0.00".
std::string fixedDecimals(double value, int places);

// A calendar date in the order the project's texts use.
enum class DateOrder { kMonthDayYear, kDayMonthYear, kIso };

// The ISO form ("2024-09-16") of a project's date text in `order` (or
// already ISO); nothing when it is not a whole, valid date.
std::optional<std::string> isoDate(std::string_view text, DateOrder order);

// The project form of an ISO date (a time after "T" dropped) in `order`
// ("09/16/2024" for month-day-year); nothing when it is not one.
std::optional<std::string> projectDate(std::string_view iso, DateOrder order);

}  // namespace sq::exchange
