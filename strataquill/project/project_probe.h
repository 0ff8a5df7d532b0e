#pragma once

#include <string>

namespace sq::project {

// What a file offered as a project turns out to be, before anything is
// written to it.
enum class ProjectFileState {
  kProject,      // a project file that can be read and written
  kReadOnly,     // a project file that can be read but not written
  kMissing,      // no such file (or its folder is gone)
  kNotAProject,  // not a database, damaged, or a database without project tables
};

ProjectFileState ProbeProjectFile(const std::string& path);

// The message that refuses a file of `state`; "" for the states that open.
std::string ProjectFileRefusal(ProjectFileState state, const std::string& path);

}  // namespace sq::project
