// Running the built programs as a user does, for the dxsign tests.
#pragma once

#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/run_command.h"

namespace vexamor::dxsign::testing {

using Outcome = signcore::testing::CommandOutcome;

// `command` starts with the program's name in the build's bin folder ("dxsign certs list").
inline Outcome run(const std::string& command) {
  return signcore::testing::runCommand(registry::binDir() + "/" + command);
}

}  // namespace vexamor::dxsign::testing
