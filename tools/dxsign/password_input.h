// Where dxsign takes a password from: a file, standard input, or a prompt on the terminal
// without echo. Never from the command line itself, where other users can read it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexamor::dxsign {

struct PasswordSource {
  std::string file;      // --password-file FILE: its first line
  bool fromStdin = false;  // --password-stdin: the first line of standard input
};

// Consumes a password option at args[i] (and its value), advancing i past it. Returns false
// when args[i] is not a password option; sets `error` when it is one but is malformed.
bool takePasswordOption(const std::vector<std::string>& args, size_t& i, PasswordSource& source,
                        std::string& error);

// Reads the password from `source`, or prompts with `prompt` when neither option was given
// and standard input is a terminal, with echo off until the line is read or the program is
// stopped (Ctrl+C, a hang-up, a kill): the terminal echoes again in every case. The line end
// (LF or CR LF) is not part of the password. Returns nullopt with `error` set when no
// password can be had.
std::optional<std::string> readPassword(const PasswordSource& source, const std::string& prompt,
                                        std::string& error);

// Overwrites all of a string's storage with zeros and empties it, so that a password does not
// stay in freed memory.
void wipe(std::string& text);
void wipe(std::u16string& text);

}  // namespace vexamor::dxsign
