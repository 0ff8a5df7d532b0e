#include "tools/dxsign/password_input.h"

#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace vexamor::dxsign {
namespace {

void dropLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
}

// A password is read into room made beforehand, so that the line never grows into a new
// buffer and leaves a copy of its first part behind in the old one.
constexpr size_t kPasswordRoom = 4096;

// The terminal's settings while echo is off, for the signal handler to put back.
termios gSavedTerminal;
volatile sig_atomic_t gEchoOff = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

void restoreEchoAndStop(int signo) {
  if (gEchoOff != 0) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSavedTerminal);
  // The handler was reset to the default on entry: the signal goes on to stop the program
  // once this returns.
  ::raise(signo);
}

std::optional<std::string> promptOnTerminal(const std::string& prompt, std::string& error) {
  if (::tcgetattr(STDIN_FILENO, &gSavedTerminal) != 0) {
    error = std::string("cannot read the terminal: ") + std::strerror(errno);
    return std::nullopt;
  }
  termios quiet = gSavedTerminal;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  struct sigaction stop {};
  stop.sa_handler = restoreEchoAndStop;
  stop.sa_flags = SA_RESETHAND;
  sigemptyset(&stop.sa_mask);
  struct sigaction previous[std::size(kStopSignals)];
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    ::sigaction(kStopSignals[i], &stop, &previous[i]);
  }
  // Echo goes off before the prompt invites typing.
  gEchoOff = 1;
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  std::cerr << prompt << std::flush;
  std::string line;
  line.reserve(kPasswordRoom);
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSavedTerminal);
  gEchoOff = 0;
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    ::sigaction(kStopSignals[i], &previous[i], nullptr);
  }
  if (!ok) {
    wipe(line);
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
  line.reserve(kPasswordRoom);
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
      wipe(line);
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

void wipe(std::string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.size());
  text.clear();
}

void wipe(std::u16string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.size() * sizeof(char16_t));
  text.clear();
}

}  // namespace vexamor::dxsign
