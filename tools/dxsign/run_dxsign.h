// Running the built programs as a user does, for the dxsign tests: through the shell, with
// standard output and standard error read together.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/registry/testing/temp_registry.h"

namespace vexamor::dxsign::testing {

struct Outcome {
  int status;
  std::string out;  // standard output and error together
};

// `command` starts with the program's name in the build's bin folder ("dxsign certs list").
inline Outcome run(const std::string& command) {
  FILE* pipe = popen((registry::binDir() + "/" + command + " 2>&1").c_str(), "r");
  Outcome result{-1, ""};
  if (pipe == nullptr) return result;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace vexamor::dxsign::testing
