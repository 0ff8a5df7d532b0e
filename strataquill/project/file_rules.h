#pragma once

#include <string>

#include "strataquill/db/status.h"

namespace sq::project {

// What the program does with the file named on its command line, judged by
// the last four characters in upper case (".SQ2"; quotes are not removed,
// so a quoted path is of an unknown type).
enum class CommandLineFile {
  kNone,           // no command line
  kProject,        // ".SQ2": open it
  kServerProject,  // a server address, or a link file to one (".SQP"): open it
  kOpenInProgram,  // ".SQF", ".SQC": to be opened from within the program
  kUnknown,
};
CommandLineFile classifyCommandLine(const std::string& commandLine);

// A project as a user named it (a project file, a server address, or a link
// file that holds one), as the session opens it: its path or address, and
// the title that windows and printed logs call it by (a server project's
// name, else the file name).
struct ProjectTarget {
  std::string path;
  std::string title;
};
db::Result<ProjectTarget> ResolveProject(const std::string& named);
// Where a command-line tool writes what it makes of the server project
// `named` (its address or a link file) unless told: beside a link file,
// else in the current folder under the project's `title` (slashes made
// "_", never a hidden file). `extension` has its dot.
std::string ServerOutputPath(const std::string& named, const std::string& title,
                             const std::string& extension);

// Whether `a` and `b` name the same file (also through other spellings of
// the same path, links and case differences of the file system aside).
bool sameFile(const std::string& a, const std::string& b);

// Why `target` may not be replaced by a new project or layout file: it is
// the project that is open (`projectPath`) or the layout open in the
// designer (`designerLayoutPath`). "" when it may.
std::string replacingOpenFile(const std::string& target, const std::string& projectPath,
                              const std::string& designerLayoutPath);

// The message of a command that would write into a read-only project
// `title`: "The project <title> is read-only.  <what>"
std::string readOnlyText(const std::string& title, const std::string& what);

}  // namespace sq::project
