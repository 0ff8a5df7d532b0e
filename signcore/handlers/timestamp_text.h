// The time-stamp text that travels in a signature: month, day, year, hour, minutes and
// seconds, each in decimal followed by "/", then the time server's name, as in
// "7/5/2004/9/7/3/time.example.net".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/bstr.h"
#include "platform/com/win32_types.h"
#include "signcore/handlers/result.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {

// The text for `time` and `server` (null: no name). A failing property read fails it.
Result<std::u16string> makeTimestampText(IVexaSystemTime* time, BSTR server);

struct Timestamp {
  SYSTEMTIME time{};  // day of week and milliseconds 0
  std::u16string server;
};

// Splits a time-stamp text at "/": the six numbers (each read as far as it is decimal) and
// the text behind the sixth "/" up to a further one. Nothing for fewer than six fields.
std::optional<Timestamp> parseTimestampText(std::u16string_view text);

}  // namespace vexamor::signcore
