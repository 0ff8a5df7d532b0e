#include "signcore/crypto/calendar.h"

#include <time.h>

namespace vexamor::signcore {

SYSTEMTIME systemTimeFromUnix(int64_t seconds, WORD milliseconds) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date from a day count, in 400-year eras starting on 1 March 0000.
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1 January 1970 was a Thursday
  st.wHour = static_cast<WORD>(rest / 3600);
  st.wMinute = static_cast<WORD>(rest / 60 % 60);
  st.wSecond = static_cast<WORD>(rest % 60);
  st.wMilliseconds = milliseconds;
  return st;
}

SYSTEMTIME currentUtcTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return systemTimeFromUnix(now.tv_sec, static_cast<WORD>(now.tv_nsec / 1000000));
}

}  // namespace vexamor::signcore
