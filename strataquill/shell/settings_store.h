#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sq {

// The per-user settings store: application, section, key and a text value.
// Sections and keys compare without regard to case and keep the spelling
// they were first written with. Each application is one INI file in a
// folder; writes are atomic (lock, re-read, temporary file, rename), so two
// programs saving at once lose nothing.
class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // The store of the current user: $XDG_CONFIG_HOME/vexamor, or
  // ~/.config/vexamor when XDG_CONFIG_HOME is not set.
  static SettingsStore forCurrentUser();

  // The stored value, or `defaultValue` when it is absent or the file cannot
  // be read. Never fails.
  std::string get(std::string_view application, std::string_view section, std::string_view key,
                  std::string_view defaultValue) const;

  // Stores `value`, creating the file, section and key as needed. False when
  // the store cannot be written; the file is then unchanged.
  bool save(std::string_view application, std::string_view section, std::string_view key,
            std::string_view value) const;

  std::filesystem::path fileFor(std::string_view application) const;

 private:
  std::filesystem::path folder_;
};

// The application name that GetSetting and SaveSetting use: the base name of
// the running executable unless a program sets its own.
const std::string& applicationName();
void setApplicationName(std::string name);

// Get and Save on the current user's store under applicationName().
std::string GetSetting(std::string_view section, std::string_view key,
                       std::string_view defaultValue);
bool SaveSetting(std::string_view section, std::string_view key, std::string_view value);

}  // namespace sq
