#include "tools/dxsign/time_text.h"

#include <cstdio>

namespace vexamor::dxsign {

std::string utcText(IVexaSystemTime* time) {
  SHORT year = 0, month = 0, day = 0, hour = 0, minutes = 0, seconds = 0;
  time->get_Year(&year);
  time->get_Month(&month);
  time->get_Day(&day);
  time->get_Hour(&hour);
  time->get_Minutes(&minutes);
  time->get_Seconds(&seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", year, month, day, hour,
                minutes, seconds);
  return text;
}

}  // namespace vexamor::dxsign
