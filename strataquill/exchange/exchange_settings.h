#pragma once

#include <optional>
#include <string_view>

#include "strataquill/exchange/ags_values.h"

namespace sq::exchange {

// The settings section of the exchange choices that the desktop program and
// strataquill-ags share.
inline constexpr const char* kExchangeSection = "AGS";

// "mdy", "dmy" and "iso", the names the command line and the settings use.
std::optional<DateOrder> parseDateOrder(std::string_view name);
const char* dateOrderName(DateOrder order);

// How the user's projects write their dates: the last choice made in the
// desktop program, month/day/year until one is made.
DateOrder storedDateOrder();
bool saveDateOrder(DateOrder order);

}  // namespace sq::exchange
