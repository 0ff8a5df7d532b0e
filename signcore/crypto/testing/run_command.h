// Running a shell command the way a user types it, for tests of programs and of clients we
// did not write (the openssl command): standard output and error read together, standard
// input from nowhere so that nothing waits at a prompt.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace vexamor::signcore::testing {

struct CommandOutcome {
  int status;       // the exit status, -1 when the command did not exit
  std::string out;  // standard output and error together
};

// `command` may redirect standard input itself; a later "<" wins over the default.
inline CommandOutcome runCommand(const std::string& command) {
  CommandOutcome result{-1, ""};
  FILE* pipe = popen(("exec </dev/null; " + command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace vexamor::signcore::testing
