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
      << "Usage: dxsign certs list [--ca|--root] list a certificate store (My by default):\n"
         "                                       subject, issuer, serial, expiry, key\n"
         "       dxsign certs import FILE [--root] [--password-file FILE|--password-stdin]\n"
         "                                       add a PKCS #12 file or PEM/DER certificate\n"
         "                                       (with --root: trust its root certificates)\n"
         "       dxsign certs verify SUBJECT ISSUER SERIAL\n"
         "                                       check a certificate's chain\n"
         "       dxsign certs remove SUBJECT ISSUER SERIAL [--ca|--root]\n"
         "                                       remove a certificate (and its key)\n"
         "       dxsign ext list                 list the registered file types\n"
         "       dxsign ext lookup EXT           show the handler class of a file type\n"
         "       dxsign ext register EXT CLASS   map EXT to CLASS ({CLSID} or ProgID)\n"
         "       dxsign ext unregister EXT       remove a file type\n"
         "       dxsign time [SERVER[:PORT]] [--timeout MS]\n"
         "                                       the time of an RFC 868 server (port 37),\n"
         "                                       or of the local clock without SERVER\n"
         "       dxsign sign FILE... --cert SELECTOR [--comment TEXT]\n"
         "                 [--time-server HOST[:PORT]] [--timeout MS]\n"
         "                 [--tsa URL]... [--tsa-policy OID]\n"
         "                                       sign files with a certificate of the store,\n"
         "                                       named by its serial number, by a unique part\n"
         "                                       of its subject, or as SUBJECT|ISSUER|SERIAL;\n"
         "                                       --tsa has the signature time-stamped by an\n"
         "                                       RFC 3161 authority (the next URL when one\n"
         "                                       fails), under --tsa-policy when given\n"
         "       dxsign verify FILE... [--revocation none|soft|hard]\n"
         "                                       check the files' signatures, their time\n"
         "                                       stamps and the revocation of their\n"
         "                                       certificates (soft: a status that cannot be\n"
         "                                       learnt is a warning; exit 3 when a file is\n"
         "                                       not signed)\n"
         "       dxsign info FILE [--revocation none|soft|hard]\n"
         "                                       the signer and time stamps of a signed file\n"
         "       dxsign ciphers                  list the usable ciphers of the installed\n"
         "                                       providers\n"
         "       dxsign encrypt IN OUT [CIPHER] [PASSWORD]\n"
         "       dxsign decrypt IN OUT [CIPHER] [PASSWORD]\n"
         "                                       encrypt or decrypt the file IN into OUT with\n"
         "                                       a key derived from a password\n"
         "         CIPHER: --provider NAME, --alg NAME (\"AES 256\", AES_256, RC4, 0x6801),\n"
         "                 --keylen BITS; the strongest usable cipher (AES 256) by default\n"
         "         PASSWORD: --password-file FILE (its first line) or --password-stdin;\n"
         "                 asked for on a terminal otherwise, never taken from the command line\n"
         "       dxsign emblems PATH... [--watch]\n"
         "                                       badge the signed files among PATH (folders\n"
         "                                       walked) for file managers; --watch keeps\n"
         "                                       the badges up to date until Ctrl+C\n"
         "       dxsign --help\n"
         "A certificate is named by its subject (any part of it), issuer and serial number,\n"
         "as certs list shows them. Times are UTC. The time-out (1000 ms when 0 or less)\n"
         "bounds the name lookup, the connection and the reply, each; and each request to a\n"
         "time-stamping authority (10000 ms when not given). Each file's handler is found by\n"
         "its extension (dxsign ext list); many files are worked on at once, on all cores.\n";
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
  if (args[0] == "certs") {
    status = runCertsCommand(rest);
  } else if (args[0] == "ext") {
    status = runExtCommand(rest);
  } else if (args[0] == "time") {
    status = runTimeCommand(rest);
  } else if (args[0] == "sign") {
    status = runSignCommand(rest);
  } else if (args[0] == "verify") {
    status = runVerifyCommand(rest);
  } else if (args[0] == "info") {
    status = runInfoCommand(rest);
  } else if (args[0] == "ciphers" || args[0] == "encrypt" || args[0] == "decrypt") {
    status = runCipherCommand(args[0], rest);
  } else if (args[0] == "emblems") {
    status = runEmblemsCommand(rest);
  } else {
    printUsage(true);
  }
  CoUninitialize();
  return status;
}
