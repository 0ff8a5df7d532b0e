// dxsign: the command-line client of DxSignCore. It reaches the module only through COM
// activation, as any client does.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/com/activation.h"
#include "tools/dxsign/commands.h"

namespace vexamor::dxsign {

void printUsage(bool toError) {
  (toError ? std::cerr : std::cout)
      << "Usage: dxsign ext list                 list the registered file types\n"
         "       dxsign ext lookup EXT           show the handler class of a file type\n"
         "       dxsign ext register EXT CLASS   map EXT to CLASS ({CLSID} or ProgID)\n"
         "       dxsign ext unregister EXT       remove a file type\n"
         "       dxsign time [SERVER[:PORT]] [--timeout MS]\n"
         "                                       the time of an RFC 868 server (port 37),\n"
         "                                       or of the local clock without SERVER\n"
         "       dxsign sign FILE... --cert SELECTOR [--comment TEXT]\n"
         "                 [--time-server HOST[:PORT]] [--timeout MS]\n"
         "                                       sign files with a certificate of the store,\n"
         "                                       named by its serial number, by a unique part\n"
         "                                       of its subject, or as SUBJECT|ISSUER|SERIAL\n"
         "       dxsign verify FILE...           check the files' signatures (exit 3 when one\n"
         "                                       is not signed)\n"
         "       dxsign info FILE                the signer and time stamp of a signed file\n"
         "       dxsign --help\n"
         "Times are UTC. The time-out (1000 ms when 0 or less) bounds the name lookup, the\n"
         "connection and the reply, each. Each file's handler is found by its extension\n"
         "(dxsign ext list); many files are worked on at once, on all cores.\n";
}

}  // namespace vexamor::dxsign

int main(int argc, char** argv) {
  using namespace vexamor::dxsign;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printUsage(true);
    return kUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printUsage(false);
    return kSuccess;
  }
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  int status = kUsage;
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "ext") {
    status = runExtCommand(rest);
  } else if (args[0] == "time") {
    status = runTimeCommand(rest);
  } else if (args[0] == "sign") {
    status = runSignCommand(rest);
  } else if (args[0] == "verify") {
    status = runVerifyCommand(rest);
  } else if (args[0] == "info") {
    status = runInfoCommand(rest);
  } else {
    printUsage(true);
  }
  CoUninitialize();
  return status;
}
