#pragma once

#include <string>
#include <vector>

namespace sq::project {

// The projects opened last, newest first, for the File menu: file paths and
// server addresses (never with a password in them). They are kept in the
// settings, section "Files", keys "Recent1" to "Recent4".
inline constexpr int kRecentProjects = 4;

std::vector<std::string> RecentProjects();
// Puts `path` first (once).
void RememberRecentProject(const std::string& path);
void ForgetRecentProject(const std::string& path);

// The menu's text for a recent project: a file's name, or a server
// project's name with the server's host or folder ("Depot on dbhost").
std::string RecentProjectCaption(const std::string& path);

}  // namespace sq::project
