// A client of the Time Protocol (RFC 868): connect over TCP, read a 32-bit big-endian count
// of seconds since 1900.
#pragma once

#include <netdb.h>

#include <string_view>

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

constexpr unsigned short kTimeProtocolPort = 37;
constexpr LONG kDefaultTimeoutMs = 1000;
// Seconds from 1 January 1900 to 1 January 1970.
constexpr uint32_t kSecondsFrom1900To1970 = 2208988800u;

// The asynchronous host-name lookup the client starts and waits for: getaddrinfo_a and its
// companions. Tests put in one that does not finish in time.
struct NameResolver {
  int (*start)(gaicb* request);                         // 0, or an EAI_ error
  int (*status)(gaicb* request);                        // EAI_INPROGRESS while running
  void (*wait)(gaicb* request, const timespec* limit);  // until done or the limit passes
  int (*cancel)(gaicb* request);                        // EAI_CANCELED when it stopped
};
const NameResolver& systemResolver();

// Asks `server` for the time and converts it to a UTC calendar time (day of week and
// milliseconds 0). The server is a dotted IPv4 address or a host name, optionally followed by
// ":port" (port 37 otherwise). A timeout below 1 means kDefaultTimeoutMs; it bounds the name
// lookup, the connection and the wait for the reply, each.
//
// Results: S_OK; HRESULT_FROM_WIN32 of a socket error when no socket can be had or set up;
// 0x800704D0 for a name that does not resolve within the time-out; 0x800705B4 when the
// connection or the reply runs out of time; 0x8000401D when the connection is refused or
// fails otherwise; HRESULT_FROM_WIN32(ERROR_INVALID_DATA) when the server closes before
// sending four bytes; E_UNEXPECTED for a count before 1970.
HRESULT fetchTimeProtocol(std::string_view server, LONG timeoutMs, SYSTEMTIME* out,
                          const NameResolver& resolver = systemResolver());

// The calendar time of a reply's four bytes; E_UNEXPECTED for a count before 1970.
HRESULT timeFromReply(const unsigned char reply[4], SYSTEMTIME* out);

}  // namespace vexamor::signcore
