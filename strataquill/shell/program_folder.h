#pragma once

#include <string>

namespace sq {

// Folder of the running executable as the system reports it, without a
// trailing separator.
std::string executableFolder();

// Base name of the running executable, without folder and extension.
std::string executableBaseName();

// The program folder, trimmed of blanks, with a trailing "/" added when
// missing. It holds File.tpl, Format.tpl, Classification.sqc, Patterns/, the
// shipped layouts, the tips, the help and the demo. It is the executable's
// folder, except for an installed program (see runsInstalled).
std::string programFolder();

// The one rule for an installed program: an executable whose folder has a
// sibling "share/strataquill" (/usr/bin beside /usr/share/strataquill, and the
// same under any other prefix) runs installed, and that share folder is its
// program folder. A build tree has its program-folder files beside the
// executables and no such sibling.
bool runsInstalled();

// The classification file and the "Patterns" folder in use. Running from a
// build tree they are the program folder's. Running installed, the program
// folder is not the user's to write, yet the classification designer edits
// the classification file and users add pattern pictures: so they are the
// user's own copies in userDataFolder(), made from the shipped ones the first
// time they are needed. Shipped pattern pictures that the user's folder lacks
// (a newer version brought them) are added; nothing of the user's is ever
// replaced. Should the copy fail, the shipped ones are used as they are.
std::string classificationFile();
std::string patternsFolder();

// $XDG_DATA_HOME/vexamor/strataquill, else ~/.local/share/vexamor/strataquill.
std::string userDataFolder();

// Points programFolder() at another folder (tests, tools run from elsewhere);
// an empty text restores the executable's folder. A folder set here is used
// as it is, never as an installed one.
void setProgramFolder(std::string folder);

// Stands in for the executable's folder (tests of the installed layout); an
// empty text restores the real one.
void setExecutableFolderForTesting(std::string folder);

}  // namespace sq
