#include "strataquill/exchange/exchange_settings.h"

#include "strataquill/shell/settings_store.h"

namespace sq::exchange {
namespace {

constexpr const char* kDatesKey = "Dates";

}  // namespace

std::optional<DateOrder> parseDateOrder(std::string_view name) {
  if (name == "mdy") return DateOrder::kMonthDayYear;
  if (name == "dmy") return DateOrder::kDayMonthYear;
  if (name == "iso") return DateOrder::kIso;
  return std::nullopt;
}

const char* dateOrderName(DateOrder order) {
  switch (order) {
    case DateOrder::kDayMonthYear:
      return "dmy";
    case DateOrder::kIso:
      return "iso";
    case DateOrder::kMonthDayYear:
      break;
  }
  return "mdy";
}

DateOrder storedDateOrder() {
  return parseDateOrder(GetSetting(kExchangeSection, kDatesKey, "")).value_or(
      DateOrder::kMonthDayYear);
}

bool saveDateOrder(DateOrder order) {
  return SaveSetting(kExchangeSection, kDatesKey, dateOrderName(order));
}

}  // namespace sq::exchange
