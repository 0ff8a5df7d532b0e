#pragma once

#include <string>

namespace sq {

// The folder a file dialog opens in: the folder the preferences name
// (settings section "Files", key `settingKey`) when it exists; else the
// folder of `openFile`, the file that is open (a project, a layout); else
// the user's documents folder. Never the program folder, which users of an
// installed program cannot write.
std::string startFolder(const std::string& settingKey, const std::string& openFile);

// The user's documents folder, or the home folder when there is none.
std::string documentsFolder();

}  // namespace sq
