#pragma once

#include <functional>
#include <string>

namespace sq {

// Roots of the registry that the program reads.
enum class RegistryRoot { kLocalMachine, kCurrentUser };

// Reads the string value `valueName` of `keyPath` under `root`: true and the
// text (cut at its first NUL, at most 1024 characters) when it can be read,
// else false and empty text. The key is closed in every case.
bool GetKeyValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                 std::string& value);

// Starts the system-information tool registered under kSysInfoKey (value
// "PATH"), else MSINFO32.EXE in the folder that kSharedToolsKey (value
// "MSINFO") names; when
// neither is there or the tool does not start, says "System Information Is
// Unavailable At This Time".
void StartSysInfo();

// How StartSysInfo starts a program: true when it started. Tests replace
// it; an empty function restores the real one.
void setProgramStarter(std::function<bool(const std::string& program)> starter);

// The registry key and value under which the system-information tool is
// registered.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSharedToolsValue = "MSINFO";

}  // namespace sq
