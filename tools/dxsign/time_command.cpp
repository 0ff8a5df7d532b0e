// dxsign time: the time of a Time Protocol server (or of the local clock) through
// VexaSignature::GetRFC867Time.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "platform/com/com_ptr.h"
#include "signcore/idl/dxsigncore16.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"
#include "tools/dxsign/time_text.h"

namespace vexamor::dxsign {

bool parseMilliseconds(const std::string& text, LONG* out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != 0 || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
    return false;
  }
  *out = static_cast<LONG>(value);
  return true;
}

int runTimeCommand(const std::vector<std::string>& args) {
  const std::string* server = nullptr;
  LONG timeout = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--timeout" && i + 1 < args.size() && parseMilliseconds(args[i + 1], &timeout)) {
      ++i;
    } else if (server == nullptr && !args[i].starts_with("--")) {
      server = &args[i];
    } else {
      printUsage(true);
      return kUsage;
    }
  }
  com::ComPtr<IVexaSignature> signature;
  HRESULT hr = com::createInstance<IVexaSignature>(CLSID_VexaSignature, &signature);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("creating VexaSignature", hr) << '\n';
    return kFailure;
  }
  com::ComPtr<IVexaSystemTime> time;
  const com::Bstr serverName = server != nullptr ? com::Bstr(*server) : com::Bstr();
  hr = signature->GetRFC867Time(serverName.get(), timeout, time.out());
  if (FAILED(hr)) {
    const std::string what =
        server != nullptr ? "asking " + *server + " for the time" : "reading the clock";
    std::cerr << "dxsign: " << describeFailure(what, hr) << '\n';
    return kFailure;
  }
  std::cout << utcText(time.get()) << '\n';
  return kSuccess;
}

}  // namespace vexamor::dxsign
