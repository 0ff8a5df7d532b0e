// Text that dxsign prints from a file or a certificate (names, comments, file names met on a
// walk) made safe for a terminal: C0 controls, DEL and C1 controls (which terminals take as
// commands: an escape sequence in a certificate's subject could rewrite the screen or the
// window title) and bytes that are no UTF-8 are shown as escapes instead.
#pragma once

#include <string>
#include <string_view>

namespace vexamor::dxsign {

// "\x1B" for a C0 control or DEL, "\u009B" for a C1 control, "\xC3" for a byte that is not
// part of valid UTF-8; everything else as it is.
std::string printable(std::string_view utf8);

}  // namespace vexamor::dxsign
