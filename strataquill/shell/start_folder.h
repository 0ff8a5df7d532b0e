#pragma once

#include <string>

#include "strataquill/shell/user_prompts.h"

namespace sq {

// The folder a file dialog opens in: the folder the preferences name
// (settings section "Files", key `settingKey`) when it exists; else the
// folder of `openFile`, the file that is open (a project, a layout); else
// the user's documents folder. Never the program folder, which users of an
// installed program cannot write.
std::string startFolder(const std::string& settingKey, const std::string& openFile);

// The program's own kinds of file, as file dialogs offer them.
enum class FileKind {
  kProject,  // "Strataquill Data (*.sq2)", folder setting "DefaultSQFileDir"
  kLayout,   // "Strataquill Layout (*.sqf)", folder setting "DefaultLayoutDir"
};
// The dialog titled `title` for a file of `kind`, opening where startFolder()
// says with `openFile` the file of that kind that is open.
FileDialogRequest fileDialogFor(FileKind kind, const std::string& title, bool mustExist,
                                const std::string& openFile);

// The user's documents folder, or the home folder when there is none.
std::string documentsFolder();

}  // namespace sq
