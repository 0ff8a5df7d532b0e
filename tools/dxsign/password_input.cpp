#include "tools/dxsign/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

namespace vexamor::dxsign {
namespace {

void dropLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
}

std::optional<std::string> promptOnTerminal(const std::string& prompt, std::string& error) {
  termios saved {};
  if (::tcgetattr(STDIN_FILENO, &saved) != 0) {
    error = std::string("cannot read the terminal: ") + std::strerror(errno);
    return std::nullopt;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  std::cerr << prompt << std::flush;
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  std::string line;
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  if (!ok) {
    error = "no password was typed";
    return std::nullopt;
  }
  dropLineEnd(line);
  return line;
}

}  // namespace

bool takePasswordOption(const std::vector<std::string>& args, size_t& i, PasswordSource& source,
                        std::string& error) {
  if (args[i] == "--password-stdin") {
    source.fromStdin = true;
    ++i;
    return true;
  }
  if (args[i] == "--password-file") {
    if (i + 1 >= args.size()) {
      error = "--password-file needs a file name";
    } else {
      source.file = args[i + 1];
    }
    i += 2;
    return true;
  }
  if (args[i].starts_with("--password-file=")) {
    source.file = args[i].substr(std::strlen("--password-file="));
    ++i;
    return true;
  }
  if (args[i] == "--password" || args[i].starts_with("--password=")) {
    error = "a password is never taken from the command line; use --password-file or "
            "--password-stdin";
    ++i;
    return true;
  }
  return false;
}

std::optional<std::string> readPassword(const PasswordSource& source, const std::string& prompt,
                                        std::string& error) {
  if (!source.file.empty() && source.fromStdin) {
    error = "give either --password-file or --password-stdin, not both";
    return std::nullopt;
  }
  std::string line;
  if (!source.file.empty()) {
    std::ifstream in(source.file, std::ios::binary);
    if (!in) {
      error = "cannot read the password file " + source.file + ": " + std::strerror(errno);
      return std::nullopt;
    }
    std::getline(in, line);  // an empty file is an empty password, which callers judge
    dropLineEnd(line);
    return line;
  }
  if (source.fromStdin) {
    if (!std::getline(std::cin, line)) {
      error = "no password on standard input";
      return std::nullopt;
    }
    dropLineEnd(line);
    return line;
  }
  if (::isatty(STDIN_FILENO) == 0) {
    error = "no password given: use --password-file FILE or --password-stdin";
    return std::nullopt;
  }
  return promptOnTerminal(prompt, error);
}

}  // namespace vexamor::dxsign
