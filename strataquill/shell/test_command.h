// Running the command-line tools from tests the way a user types them: standard output and
// error read together, standard input from nowhere so that nothing waits at a prompt.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace sq {

struct CommandOutcome {
  int status = -1;     // the exit status, -1 when the command did not exit
  std::string output;  // standard output and error together
};

// `command` may redirect standard input itself; a later "<" wins over the default.
inline CommandOutcome runCommand(const std::string& command) {
  CommandOutcome r;
  FILE* pipe = ::popen(("exec </dev/null; " + command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe))
    r.output.append(buf.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// `s` as one word for the shell, whatever it holds.
inline std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace sq
