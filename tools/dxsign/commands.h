// The commands of dxsign. Each prints its result to standard output and its failure to
// standard error, and returns the process exit status (0 success, 1 failure, 2 usage, 3 a file
// is not signed).
#pragma once

#include <string>
#include <vector>

#include "platform/com/win32_types.h"

namespace vexamor::dxsign {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kNotSigned = 3;

// ext list | ext lookup EXT | ext register EXT CLSID | ext unregister EXT
int runExtCommand(const std::vector<std::string>& args);
// certs list | certs import FILE [--root] | certs verify S I N | certs remove S I N
int runCertsCommand(const std::vector<std::string>& args);
// time [SERVER] [--timeout MS]
int runTimeCommand(const std::vector<std::string>& args);
// ciphers | encrypt IN OUT [options] | decrypt IN OUT [options]
int runCipherCommand(const std::string& verb, const std::vector<std::string>& args);
// sign FILE... --cert SELECTOR [--comment TEXT] [--time-server HOST[:PORT]] [--timeout MS]
//      [--tsa URL]... [--tsa-policy OID]
int runSignCommand(const std::vector<std::string>& args);
// verify FILE... [--revocation none|soft|hard]
int runVerifyCommand(const std::vector<std::string>& args);
// info FILE [--revocation none|soft|hard]
int runInfoCommand(const std::vector<std::string>& args);

// A time-out in milliseconds (a 32-bit number); false for anything else.
bool parseMilliseconds(const std::string& text, LONG* out);
// emblems PATH... [--watch]
int runEmblemsCommand(const std::vector<std::string>& args);

void printUsage(bool toError);

}  // namespace vexamor::dxsign
