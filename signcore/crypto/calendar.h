// Conversions between seconds since 1970 (UTC) and SYSTEMTIME, proleptic Gregorian.
#pragma once

#include <cstdint>

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

// Day of week and milliseconds are filled from the seconds (and `milliseconds`).
SYSTEMTIME systemTimeFromUnix(int64_t seconds, WORD milliseconds = 0);

// The clock's current UTC time, milliseconds and day of week included.
SYSTEMTIME currentUtcTime();

}  // namespace vexamor::signcore
