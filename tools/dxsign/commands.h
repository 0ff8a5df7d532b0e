// The commands of dxsign. Each prints its result to standard output and its failure to
// standard error, and returns the process exit status (0 success, 1 failure, 2 usage).
#pragma once

#include <string>
#include <vector>

namespace vexamor::dxsign {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

// ext list | ext lookup EXT | ext register EXT CLSID | ext unregister EXT
int runExtCommand(const std::vector<std::string>& args);
// certs list | certs import FILE [--root] | certs verify S I N | certs remove S I N
int runCertsCommand(const std::vector<std::string>& args);
// time [SERVER] [--timeout MS]
int runTimeCommand(const std::vector<std::string>& args);
// ciphers | encrypt IN OUT [options] | decrypt IN OUT [options]
int runCipherCommand(const std::string& verb, const std::vector<std::string>& args);
// emblems PATH... [--watch]
int runEmblemsCommand(const std::vector<std::string>& args);

void printUsage(bool toError);

}  // namespace vexamor::dxsign
