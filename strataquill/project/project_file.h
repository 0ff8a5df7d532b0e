#pragma once

#include <string>

namespace sq::project {

// The file step of creating a new project: copies the template "File.tpl"
// from the program folder to `target`, asking before it overwrites an
// existing file, and fills the new project's ten sample labels from the
// default labels of the settings ("Samples", "User1".."User10", default
// "Undefined"). True when the file is ready to be opened.
bool CreateNewProjectFile(const std::string& target);

}  // namespace sq::project
