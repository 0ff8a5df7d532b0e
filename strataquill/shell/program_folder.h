#pragma once

#include <string>

namespace sq {

// Folder of the running executable as the system reports it, without a
// trailing separator.
std::string executableFolder();

// Base name of the running executable, without folder and extension.
std::string executableBaseName();

// The program folder: the executable's folder, trimmed of blanks, with a
// trailing "/" added when missing. It holds File.tpl, Format.tpl,
// Classification.sqc, Patterns/ and the help file.
std::string programFolder();

// Points programFolder() at another folder (tests, tools run from elsewhere);
// an empty text restores the executable's folder.
void setProgramFolder(std::string folder);

}  // namespace sq
